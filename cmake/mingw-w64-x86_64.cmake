# Cross-building for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The POSIX thread model gives std::thread; libgcc and libstdc++ are linked statically so
# the programs and trk.dll need no DLLs beyond Windows' own.
set(CMAKE_SYSTEM_NAME Windows)
# Windows' own name of x86-64, as the GDAL kit's packages (PROJ's) check it.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZORNAK_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZORNAK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORNAK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZORNAK_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORNAK_MINGW_TRIPLET})
# The GDAL kit for MinGW-w64 (scripts/gdal-kit.sh), when given: find_package(GDAL) finds it.
if(ZORNAK_GDAL_MINGW)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ZORNAK_GDAL_MINGW})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread statically, so nothing but Windows DLLs (and Qt's) is needed
# beside trk.dll and the plugins.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine when CTest is asked to run them here.
find_program(ZORNAK_WINE NAMES wine64 wine)
if(ZORNAK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORNAK_WINE})
endif()
