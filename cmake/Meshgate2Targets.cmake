# The version every program reports with --version, from project().
add_library(meshgate2_version INTERFACE)
target_compile_definitions(meshgate2_version INTERFACE MESHGATE2_VERSION="${PROJECT_VERSION}")

# meshgate2_library(NAME [QT] SOURCES file... [LIBS target...])
# A folder's static library. Its headers are found by file name, from the folder and from whatever links it.
# QT: the folder has QObject classes, so moc runs over it.
function(meshgate2_library name)
    cmake_parse_arguments(A "QT" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
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
