# Archives that travel inside the program, packed with Debian's 7zz, and
# files embedded as Win32 resources of a program.
#
#   qnb_pack_7z(OUTPUT archive [FILES entry path ...] [TARGETS entry target ...])
#       packs files (and the files of targets) under their entry names
#   qnb_embed_resource(target FILE path ID number TYPE name [DEPENDS targets ...])
#       adds FILE to target's resources as (TYPE, ID) through a generated .rc
#   qnb_embed_payload(target)
#       adds the payload archive to target as resource 135 "DATA"

find_program(QNB_7ZZ 7zz DOC "7-Zip's 7zz, used to pack the archives")

# The layout the payload reader is built and tested for:
# - one solid block, LZMA2, for the data files;
# - one solid block for executables and libraries, coded with BCJ2 over an
#   LZMA2 main stream and two LZMA streams (calls and jumps). 7-Zip's
#   automatic filter (-mf=on) recognises them by their PE headers and takes
#   BCJ2 only at -mx=9; below that it uses BCJ;
# - the archive header compressed with LZMA (-mhc=on);
# - no times and no attributes, so the archive's bytes depend only on the
#   staged files and their names.
set(QNB_7Z_OPTIONS -t7z -mx=9 -ms=on -mf=on -mhc=on -mtm=off -mtc=off -mta=off -mtr=off)
set(_qnb_pack_script ${CMAKE_CURRENT_LIST_DIR}/pack_7z.cmake)

function(qnb_pack_7z)
    cmake_parse_arguments(ARG "" "OUTPUT" "FILES;TARGETS" ${ARGN})
    if(NOT QNB_7ZZ)
        message(FATAL_ERROR "7zz is missing (Debian package 7zip): ./x deps installs it")
    endif()
    set(manifest "")
    set(depends "")
    list(LENGTH ARG_FILES count)
    math(EXPR odd "${count} % 2")
    if(odd)
        message(FATAL_ERROR "qnb_pack_7z: FILES takes pairs of entry name and path")
    endif()
    while(ARG_FILES)
        list(POP_FRONT ARG_FILES entry path)
        string(APPEND manifest "${entry}\t${path}\n")
        list(APPEND depends ${path})
    endwhile()
    while(ARG_TARGETS)
        list(POP_FRONT ARG_TARGETS entry target)
        string(APPEND manifest "${entry}\t$<TARGET_FILE:${target}>\n")
        list(APPEND depends ${target})
    endwhile()
    set(manifest_file ${ARG_OUTPUT}.entries)
    file(GENERATE OUTPUT ${manifest_file} CONTENT "${manifest}")
    get_filename_component(name ${ARG_OUTPUT} NAME)
    add_custom_command(OUTPUT ${ARG_OUTPUT}
        COMMAND ${CMAKE_COMMAND} -DMANIFEST=${manifest_file} -DSTAGING=${ARG_OUTPUT}.staging
                -DARCHIVE=${ARG_OUTPUT} -DSEVENZIP=${QNB_7ZZ} -P ${_qnb_pack_script} -- ${QNB_7Z_OPTIONS}
        DEPENDS ${depends} ${manifest_file} ${_qnb_pack_script}
        COMMENT "Packing ${name}"
        VERBATIM)
endfunction()

function(qnb_embed_resource target)
    cmake_parse_arguments(ARG "" "FILE;ID;TYPE" "DEPENDS" ${ARGN})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_${ARG_TYPE}_${ARG_ID}.rc)
    file(CONFIGURE OUTPUT ${rc} CONTENT "${ARG_ID} ${ARG_TYPE} \"${ARG_FILE}\"\n" @ONLY)
    target_sources(${target} PRIVATE ${rc})
    # windres reads the file; the build does not see that on its own.
    set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${ARG_FILE})
    if(ARG_DEPENDS)
        add_dependencies(${target} ${ARG_DEPENDS})
    endif()
endfunction()

# What goes into the payload archive.
#
# Boot files come from outside and are taken from QNB_VENDOR_DIR when they
# are there (file in the vendor folder, entry name); a missing one is left
# out, never replaced by something made up under its name.
set(QNB_VENDOR_DIR "" CACHE PATH "Folder with the outside boot files of the payload (boot.sdi, grldr, grub.mbr, bootmgr, boot/bcd)")
set(_qnb_vendor_files
    boot.sdi xp/boot/boot.sdi
    grldr    xp/grldr
    grub.mbr xp/grub.mbr
    bootmgr  xp/bootmgr
    boot/bcd xp/boot/bcd)
# Programs of this repository (entry name, target). Each Windows build
# packs its own: the i686 ones go into the shipped program, the x86_64 ones
# into the win64 build's programs (run under Wine). isocmd needs no drivers,
# so the payload has no isocmd/ISODrive.sys or ISODrv64.sys entries (their
# deployment skips them).
set(QNB_PAYLOAD_TOOLS)
if(WIN32)
    list(APPEND QNB_PAYLOAD_TOOLS xldl.dll xldl imagex.exe imagex isocmd/isocmd.exe isocmd)
endif()

set(QNB_PAYLOAD_FILES)
if(QNB_VENDOR_DIR AND IS_DIRECTORY ${QNB_VENDOR_DIR})
    set(_missing)
    while(_qnb_vendor_files)
        list(POP_FRONT _qnb_vendor_files _file _entry)
        if(EXISTS ${QNB_VENDOR_DIR}/${_file})
            list(APPEND QNB_PAYLOAD_FILES ${_entry} ${QNB_VENDOR_DIR}/${_file})
        else()
            list(APPEND _missing ${_file})
        endif()
    endwhile()
    if(_missing)
        message(STATUS "Payload: not in ${QNB_VENDOR_DIR}, left out: ${_missing}")
    endif()
endif()

# With nothing staged there is no archive and the program gets no payload
# resource at all: its loads report false and every extraction yields 0,
# which the consumers report as a missing file. (7zz would make a 32-byte
# archive without entries; it would say the same less plainly.)
if(QNB_PAYLOAD_FILES OR QNB_PAYLOAD_TOOLS)
    set(QNB_PAYLOAD_ARCHIVE ${CMAKE_BINARY_DIR}/payload/payload.7z)
else()
    set(QNB_PAYLOAD_ARCHIVE "")
endif()

# Defines the target qnb_payload_archive that makes QNB_PAYLOAD_ARCHIVE
# (called once, from payload/).
function(qnb_payload_archive_target)
    if(NOT QNB_PAYLOAD_ARCHIVE)
        message(STATUS "Payload: nothing to pack, the programs carry no payload resource")
        return()
    endif()
    qnb_pack_7z(OUTPUT ${QNB_PAYLOAD_ARCHIVE} FILES ${QNB_PAYLOAD_FILES} TARGETS ${QNB_PAYLOAD_TOOLS})
    add_custom_target(qnb_payload_archive DEPENDS ${QNB_PAYLOAD_ARCHIVE})
endfunction()

function(qnb_embed_payload target)
    if(QNB_PAYLOAD_ARCHIVE)
        qnb_embed_resource(${target} FILE ${QNB_PAYLOAD_ARCHIVE} ID 135 TYPE DATA DEPENDS qnb_payload_archive)
    endif()
endfunction()
