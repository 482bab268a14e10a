# The packages a user installs, made by CPack from the install rules: what every package says of
# the program, then each system's own kind.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Writes audio and battery parameter sets into a handheld's radio module")
set(CPACK_PACKAGE_HOMEPAGE_URL https://corvane.org/)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_STRIP_FILES ON)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/PackagingNsis.cmake)
endif()

include(CPack)
