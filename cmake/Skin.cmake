# The skin archive (resource 134 "ZIPRES": skin/'s layouts and pictures in
# a 7z) and the program's icon (resource 128), made in skin/.
#
#   qnb_embed_skin(target)   adds both to a Windows program

set(QNB_SKIN_ARCHIVE ${CMAKE_BINARY_DIR}/skin/skin.7z)
set(QNB_PROGRAM_ICON ${CMAKE_BINARY_DIR}/skin/QNBReinstaller.ico)

function(qnb_embed_skin target)
    qnb_embed_resource(${target} FILE ${QNB_SKIN_ARCHIVE} ID 134 TYPE ZIPRES DEPENDS qnb_skin_archive)
    qnb_embed_resource(${target} FILE ${QNB_PROGRAM_ICON} ID 128 TYPE ICON DEPENDS qnb_skin_archive)
endfunction()
