# CLI11 for the Windows build: the Linux package's headers alone (see cmake/Windows.cmake).
if(NOT TARGET CLI11::CLI11)
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${MESHGATE2_HOST_HEADERS}")
endif()
