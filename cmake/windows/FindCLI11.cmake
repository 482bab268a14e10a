# CLI11 is header-only, so Debian's copy serves Windows builds too. Its package file would put
# all of /usr/include on the include path, where the Linux C library's headers would shadow
# MinGW's; this gives the compiler a folder that holds CLI11's headers alone.
find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(CLI11 REQUIRED_VARS CLI11_INCLUDE_DIR)

if(CLI11_FOUND AND NOT TARGET CLI11::CLI11)
    set(cli11_only ${CMAKE_BINARY_DIR}/cli11-include)
    file(MAKE_DIRECTORY ${cli11_only})
    file(CREATE_LINK ${CLI11_INCLUDE_DIR}/CLI ${cli11_only}/CLI SYMBOLIC)
    add_library(CLI11::CLI11 INTERFACE IMPORTED)
    set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cli11_only})
endif()
