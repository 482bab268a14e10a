# Cross-compiles for 64-bit Windows with Debian's MinGW-w64, whose "-posix" compilers carry
# std::thread. Programs are linked statically so that an .exe runs with no DLLs beside it, and
# run under Wine wherever CMake or ctest starts one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# windres starts the preprocessor through the shell, which takes the quotes off a string given
# with -D (the version's text), unless it has the preprocessor write to a temporary file.
set(CMAKE_RC_FLAGS_INIT --use-temp-file)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Find modules for the build machine's header-only packages, which the root path hides.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)

foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endforeach()

# The prefix lives in the build folder, so that a fresh build folder means a fresh prefix.
get_filename_component(corvane_root ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${corvane_root}/scripts/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
