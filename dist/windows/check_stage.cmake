# cmake -DSTAGE=<folder> -DFILES=<a;b/c;...> -P check_stage.cmake: fails unless the folder holds exactly these
# files, so the installer (whose uninstaller removes exactly the files listed) and the zip never differ.
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(SORT found)
set(wanted ${FILES})
list(SORT wanted)
if(NOT found STREQUAL wanted)
    message(FATAL_ERROR "the staged files (${found}) are not the listed ones (${wanted}): list each file in "
                        "dist/windows/CMakeLists.txt")
endif()
