# What a Windows build (cross-compiled with cmake/mingw-w64-x86_64.cmake) takes from this Linux machine.

# The header-only libraries installed for Linux, seen alone: adding /usr/include itself would bring glibc's
# headers in before MinGW's. Their Linux package files cannot be used either (they point at /usr/include).
set(MESHGATE2_HOST_HEADERS ${PROJECT_BINARY_DIR}/host-headers)
foreach(folder nlohmann CLI)
    if(NOT EXISTS /usr/include/${folder})
        message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/deps.sh")
    endif()
    file(MAKE_DIRECTORY ${MESHGATE2_HOST_HEADERS})
    file(CREATE_LINK /usr/include/${folder} ${MESHGATE2_HOST_HEADERS}/${folder} SYMBOLIC)
endforeach()
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/windows CACHE PATH "" FORCE)
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/windows CACHE PATH "" FORCE)

# GoogleTest from Debian's sources, built by the cross compiler, before our warnings apply to every target.
if(MESHGATE2_TESTS)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# Unicode Win32 API by default; nothing of the old <windows.h> macros min and max.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00)

# Tests (and ctest's listing of them) run under Wine, finding Qt's and the MinGW runtime's DLLs where they
# are; a packaged program carries them beside itself instead (dist/windows).
set(MESHGATE2_MINGW_RUNTIME /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
set(MESHGATE2_WINEPATH)
foreach(folder ${MESHGATE2_QT_WINDOWS}/bin ${MESHGATE2_MINGW_RUNTIME})
    string(REPLACE "/" "\\" folder "Z:${folder}")
    list(APPEND MESHGATE2_WINEPATH "${folder}")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/windows/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)

# meshgate2_windows_resources(TARGET DESCRIPTION): the icon and version information of a program.
enable_language(RC)
function(meshgate2_windows_resources target description)
    set(MESHGATE2_RC_NAME ${target})
    set(MESHGATE2_RC_DESCRIPTION "${description}")
    configure_file(${PROJECT_SOURCE_DIR}/dist/windows/version.rc.in ${PROJECT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/${target}.rc)
    # windres reads these through the .rc, which CMake does not scan.
    set_source_files_properties(${PROJECT_BINARY_DIR}/${target}.rc PROPERTIES OBJECT_DEPENDS
        "${PROJECT_SOURCE_DIR}/res/meshgate2.ico;${PROJECT_SOURCE_DIR}/dist/windows/meshgate2.manifest")
endfunction()
