# The packages a user installs, made by CPack from the install rules: what every package says of
# the program, then each system's own kind. Included before the install rules, so that the
# manuals and the changelog take their version and maintainer from here.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane developers")
set(CPACK_PACKAGE_CONTACT "Corvane developers <dev@corvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Writes audio and battery parameter sets into a handheld's radio module")
set(CPACK_PACKAGE_HOMEPAGE_URL https://corvane.org/)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/PackagingNsis.cmake)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    include(${CMAKE_CURRENT_LIST_DIR}/PackagingDeb.cmake)
endif()

include(CPack)
