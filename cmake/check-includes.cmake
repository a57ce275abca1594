# Checks every folder's #include "..." lines against the layer table of a README:
#
#   cmake -DROOT=SOURCE_TREE -DREADME=README.md -P check-includes.cmake
#
# The table is the one whose head begins "| layer | folder | library | on top of |". Each row
# names its folders (`link/`, `link/qt/`) and, under "on top of", the folders directly below
# them, each of which must be named by an earlier row, so the layers cannot form a circle. A
# file of a folder may include its own folder's headers and those of every folder below it,
# directly or through others; any other quoted include is reported, and the check fails.
cmake_minimum_required(VERSION 3.22)

if(NOT DEFINED ROOT OR NOT DEFINED README)
    message(FATAL_ERROR "usage: cmake -DROOT=DIR -DREADME=FILE -P check-includes.cmake")
endif()

file(READ "${README}" text)
string(REGEX MATCH "\n\\| layer \\| folder \\| library \\| on top of \\|[^\n]*\n(\\|[^\n]*\n)+"
       table "${text}")
if(table STREQUAL "")
    message(FATAL_ERROR "${README}: no layer table (\"| layer | folder | library | on top of |\")")
endif()
# One list element per row; the characters CMake lists treat specially go first.
string(REGEX REPLACE "[][;\\\\]" " " table "${table}")
string(STRIP "${table}" table)
string(REPLACE "\n" ";" rows "${table}")
list(REMOVE_AT rows 0 1) # the head and the line under it

# The folders named in `...` within one cell, without their closing "/".
function(folders_of cell out)
    string(REGEX MATCHALL "`[^`]+/`" found "${cell}")
    set(result)
    foreach(item ${found})
        string(REGEX REPLACE "^`(.*)/`$" "\\1" item "${item}")
        list(APPEND result "${item}")
    endforeach()
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

set(layers)
set(failures 0)
foreach(row ${rows})
    string(REPLACE "|" ";" cells "${row}")
    list(GET cells 2 folder_cell)
    list(GET cells 4 below_cell)
    folders_of("${folder_cell}" folders)
    folders_of("${below_cell}" below)
    set(allowed)
    foreach(lower ${below})
        if(NOT lower IN_LIST layers)
            message("the layer table puts ${folders} on top of ${lower}/, "
                    "which no earlier row names")
            math(EXPR failures "${failures} + 1")
        endif()
        list(APPEND allowed ${ALLOWED_${lower}})
    endforeach()
    foreach(folder ${folders})
        set(ALLOWED_${folder} ${folder} ${allowed})
        list(REMOVE_DUPLICATES ALLOWED_${folder})
        list(APPEND layers ${folder})
    endforeach()
endforeach()

foreach(folder ${layers})
    file(GLOB sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    foreach(source ${sources})
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${includes})
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" header
                   "${line}")
            get_filename_component(from "${header}" DIRECTORY)
            if(from STREQUAL "")
                continue() # a header beside the file
            endif()
            if(NOT from IN_LIST ALLOWED_${folder})
                file(RELATIVE_PATH shown "${ROOT}" "${source}")
                message("${shown}: includes \"${header}\", but ${folder}/ is not on top of "
                        "${from}/")
                math(EXPR failures "${failures} + 1")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} include(s) against the layer table of ${README}")
endif()
list(LENGTH layers count)
message("the includes of ${count} folders follow the layer table")
