# Third-party libraries. Natively they come from Debian's -dev packages; the
# Windows builds compile them from the Debian source packages that ./x fetches
# into QNB_DEPS_DIR. Nothing of theirs lives in this repository.
#
# Targets for the rest of the tree: qnb::jsoncpp, qnb::pugixml, qnb::lzma7z,
# and for tests qnb::gtest_main / qnb::gmock.

set(QNB_DEPS_DIR "${CMAKE_SOURCE_DIR}/.cache/deps" CACHE PATH "Unpacked dependency sources (made by ./x deps)")

function(qnb_require_source folder)
    if(NOT EXISTS "${QNB_DEPS_DIR}/${folder}/.fetched")
        message(FATAL_ERROR "${QNB_DEPS_DIR}/${folder} is missing: run ./x deps first")
    endif()
endfunction()

# The LZMA SDK's C 7z decoder has no -dev package, so every build compiles it.
qnb_require_source(7zip)
set(_lzma ${QNB_DEPS_DIR}/7zip/C)
add_library(qnb_lzma7z STATIC
    ${_lzma}/7zAlloc.c ${_lzma}/7zArcIn.c ${_lzma}/7zBuf.c ${_lzma}/7zBuf2.c
    ${_lzma}/7zCrc.c ${_lzma}/7zCrcOpt.c ${_lzma}/7zDec.c ${_lzma}/7zStream.c
    ${_lzma}/Bcj2.c ${_lzma}/Bra.c ${_lzma}/Bra86.c ${_lzma}/BraIA64.c
    ${_lzma}/CpuArch.c ${_lzma}/Delta.c ${_lzma}/LzmaDec.c ${_lzma}/Lzma2Dec.c)
target_include_directories(qnb_lzma7z SYSTEM PUBLIC ${_lzma})
target_compile_definitions(qnb_lzma7z PUBLIC Z7_EXTRACT_ONLY)
add_library(qnb::lzma7z ALIAS qnb_lzma7z)

if(WIN32)
    qnb_require_source(jsoncpp)
    set(_json ${QNB_DEPS_DIR}/jsoncpp)
    add_library(qnb_jsoncpp STATIC
        ${_json}/src/lib_json/json_reader.cpp
        ${_json}/src/lib_json/json_value.cpp
        ${_json}/src/lib_json/json_writer.cpp)
    target_include_directories(qnb_jsoncpp SYSTEM PUBLIC ${_json}/include)
    add_library(qnb::jsoncpp ALIAS qnb_jsoncpp)

    qnb_require_source(pugixml)
    add_library(qnb_pugixml STATIC ${QNB_DEPS_DIR}/pugixml/src/pugixml.cpp)
    target_include_directories(qnb_pugixml SYSTEM PUBLIC ${QNB_DEPS_DIR}/pugixml/src)
    add_library(qnb::pugixml ALIAS qnb_pugixml)

    if(QNB_TESTS)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
        add_library(qnb::gtest_main ALIAS gtest_main)
        add_library(qnb::gmock ALIAS gmock)
    endif()
else()
    find_package(jsoncpp CONFIG REQUIRED)
    add_library(qnb::jsoncpp ALIAS JsonCpp::JsonCpp)
    find_package(pugixml CONFIG REQUIRED)
    add_library(qnb::pugixml ALIAS pugixml::pugixml)
    if(QNB_TESTS)
        find_package(GTest REQUIRED)
        add_library(qnb::gtest_main ALIAS GTest::gtest_main)
        add_library(qnb::gmock ALIAS GTest::gmock)
    endif()
endif()
