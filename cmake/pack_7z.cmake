# Run by qnb_pack_7z (cmake/Payload.cmake) at build time:
#   cmake -DMANIFEST=m -DSTAGING=dir -DARCHIVE=a.7z -DSEVENZIP=7zz -P pack_7z.cmake -- OPTIONS...
# MANIFEST has one line "entry<TAB>source" per file. The files are copied
# under their entry names into a fresh STAGING folder, which is packed from
# inside, so that the entry names are relative and use "/".

set(options)
set(after_dashes FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
    if(after_dashes)
        list(APPEND options "${CMAKE_ARGV${i}}")
    elseif(CMAKE_ARGV${i} STREQUAL "--")
        set(after_dashes TRUE)
    endif()
endforeach()

file(REMOVE_RECURSE ${STAGING})
file(REMOVE ${ARCHIVE})
file(MAKE_DIRECTORY ${STAGING})

file(STRINGS ${MANIFEST} lines ENCODING UTF-8)
foreach(line IN LISTS lines)
    string(FIND "${line}" "\t" tab)
    string(SUBSTRING "${line}" 0 ${tab} entry)
    math(EXPR from "${tab} + 1")
    string(SUBSTRING "${line}" ${from} -1 source)
    if(NOT EXISTS ${source})
        message(FATAL_ERROR "${source} (entry ${entry}) does not exist")
    endif()
    get_filename_component(folder ${STAGING}/${entry} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(COPY_FILE ${source} ${STAGING}/${entry})
endforeach()

execute_process(
    COMMAND ${SEVENZIP} a ${options} -bso0 -bsp0 ${ARCHIVE} .
    WORKING_DIRECTORY ${STAGING}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE ${ARCHIVE})
    message(FATAL_ERROR "7zz could not pack ${ARCHIVE} (exit ${result})")
endif()
