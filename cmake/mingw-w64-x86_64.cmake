# Cross-builds the Windows program (64-bit) with Debian's mingw-w64, posix
# threads flavour. Everything is linked statically, so the single .exe runs
# on a bare Windows without any DLL of the compiler beside it.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DBUILD_TESTING=OFF
#   cmake --build build-win
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SB_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# x86-64 does its double arithmetic in SSE2, like the Linux build; with
# -ffp-contract=off (set by the project) the plan's results are bit-identical.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CLI11 and nlohmann/json are header-only and live among the host's headers.
# Adding the whole /usr/include would put Linux's C headers before mingw's, so
# only their directories are exposed, through links in the build tree.
set(SB_HOST_HEADER_ROOT /usr/include CACHE PATH "Where the host's header-only libraries live")
set(SB_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${SB_HOST_HEADERS})
foreach(library CLI nlohmann)
  if(EXISTS ${SB_HOST_HEADER_ROOT}/${library} AND NOT EXISTS ${SB_HOST_HEADERS}/${library})
    file(CREATE_LINK ${SB_HOST_HEADER_ROOT}/${library} ${SB_HOST_HEADERS}/${library} SYMBOLIC)
  endif()
endforeach()
set(CMAKE_CXX_FLAGS_INIT "-I${SB_HOST_HEADERS}")
set(CLI11_INCLUDE_DIR ${SB_HOST_HEADERS} CACHE PATH "CLI11 headers for the cross-build")
