# nlohmann/json is header-only, so Debian's copy serves Windows builds too. Its package file would
# put all of /usr/include on the include path, where the Linux C library's headers would shadow
# MinGW's; this gives the compiler a folder that holds its headers alone.
find_path(nlohmann_json_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(nlohmann_json REQUIRED_VARS nlohmann_json_INCLUDE_DIR)

if(nlohmann_json_FOUND AND NOT TARGET nlohmann_json::nlohmann_json)
    set(json_only ${CMAKE_BINARY_DIR}/nlohmann-json-include)
    file(MAKE_DIRECTORY ${json_only})
    file(CREATE_LINK ${nlohmann_json_INCLUDE_DIR}/nlohmann ${json_only}/nlohmann SYMBOLIC)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES ${json_only})
endif()
