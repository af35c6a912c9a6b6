# Compile settings for the project's own code, and helpers that declare its
# libraries and tests the same way in every folder.

if(QNB_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(QNB_FUZZ)
    # Coverage instrumentation for everything a fuzzer links; the fuzzers add -fsanitize=fuzzer.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(WIN32)
    # Wide Win32 calls everywhere; the headers of Windows 7, newer functions looked up at run time.
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

function(qnb_defaults target)
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wno-missing-field-initializers)
endfunction()

# qnb_library(name SOURCES ... [LIBS ...])
function(qnb_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    qnb_defaults(${name})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# qnb_test(name SOURCES ... [LIBS ...]): a GoogleTest program run by ctest,
# natively or, in the Windows builds, under Wine through the cross-compiling emulator.
function(qnb_test name)
    if(NOT QNB_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    qnb_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} qnb::gmock qnb::gtest_main)
    target_compile_definitions(${name} PRIVATE QNB_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    if(WIN32)
        add_test(NAME ${name} COMMAND ${name})
    else()
        include(GoogleTest)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
    endif()
endfunction()

if(WIN32 AND CMAKE_CROSSCOMPILING)
    # ctest starts Windows programs in a throw-away Wine prefix.
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set(QNB_WINE_RUN ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/testbed/winebox.py run --)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QNB_WINE_RUN})
endif()

# The Windows test builds run their test programs under Wine in a 64-bit
# prefix. win64 (x86_64) runs every Windows test and the scenario scripts;
# win32test (i686) runs, as a 32-bit process under WOW64, only what depends
# on bitness, and the smoke test of the shipped program.
if(WIN32 AND QNB_TESTS)
    math(EXPR QNB_WINE_TEST_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
else()
    set(QNB_WINE_TEST_BITS 0)
endif()
if(QNB_WINE_TEST_BITS EQUAL 64 AND CMAKE_CROSSCOMPILING)
    set(QNB_WINE_SCENARIOS ON)
else()
    set(QNB_WINE_SCENARIOS OFF)
endif()

# Windows-side tests are gathered into one program per Windows test build (a
# Wine prefix takes seconds to make): each folder adds its test sources and
# libraries here, and testbed/ builds qnb_wine_tests (win64) or
# qnb_wine32_tests (win32test) from them.
#
# qnb_wine_test_sources(SOURCES ... [LIBS ...] [BITS 64|32|BOTH])
#
# BITS names the programs a source joins: 64 (the default) the x86_64 one
# only; 32 the i686 one only (stdcall calls, WOW64 answers and file-system
# redirection: what a 64-bit process cannot see); BOTH each of them, for
# code whose structures or calls change with the pointer size. A source
# that joins the i686 program is built twice, so ask for it where the
# bitness can break it, not by habit.
function(qnb_wine_test_sources)
    if(QNB_WINE_TEST_BITS EQUAL 0)
        return()
    endif()
    cmake_parse_arguments(ARG "" "BITS" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_BITS)
        set(ARG_BITS 64)
    endif()
    if(NOT ARG_BITS MATCHES "^(64|32|BOTH)$")
        message(FATAL_ERROR "qnb_wine_test_sources: BITS is 64, 32 or BOTH, not ${ARG_BITS}")
    endif()
    if(NOT (ARG_BITS STREQUAL "BOTH" OR ARG_BITS EQUAL QNB_WINE_TEST_BITS))
        return()
    endif()
    foreach(source ${ARG_SOURCES})
        get_filename_component(source ${source} ABSOLUTE)
        set_property(GLOBAL APPEND PROPERTY QNB_WINE_TEST_SOURCES ${source})
    endforeach()
    set_property(GLOBAL APPEND PROPERTY QNB_WINE_TEST_LIBS ${ARG_LIBS})
endfunction()
