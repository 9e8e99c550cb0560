# nlohmann/json for the Windows build: the Linux package's headers alone (see cmake/Windows.cmake).
if(NOT TARGET nlohmann_json::nlohmann_json)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${MESHGATE2_HOST_HEADERS}")
endif()
