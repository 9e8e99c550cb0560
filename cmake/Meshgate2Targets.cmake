# The version every program reports with --version, from project().
add_library(meshgate2_version INTERFACE)
target_compile_definitions(meshgate2_version INTERFACE MESHGATE2_VERSION="${PROJECT_VERSION}")

# meshgate2_library(NAME [QT] SOURCES file... [LIBS target...])
# A folder's static library. Every include names its folder from the repository root
# (#include "comm/modbus_master.h"), so the root is the one include directory.
# QT: the folder has QObject classes, so moc runs over it.
function(meshgate2_library name)
    cmake_parse_arguments(A "QT" "" "SOURCES;LIBS" ${ARGN})
    # Code that differs by platform sits in foo_posix.cpp and foo_win32.cpp beside one header: keep this
    # platform's file.
    if(WIN32)
        list(FILTER A_SOURCES EXCLUDE REGEX "_posix\\.cpp$")
    else()
        list(FILTER A_SOURCES EXCLUDE REGEX "_win32\\.cpp$")
    endif()
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_LIBS})
    if(A_QT)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
    endif()
endfunction()

# meshgate2_program(NAME SOURCES file... LIBS target...)
# An installed executable: a few lines of main over the folder's library.
function(meshgate2_program name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS} meshgate2_version)
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
