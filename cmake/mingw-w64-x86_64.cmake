# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 in the posix thread model (std::thread,
# std::mutex and Qt need it; the -win32 compilers lack them). Qt for Windows is found in
# MESHGATE2_QT_WINDOWS (a cache variable or the environment); Qt's host tools (moc, rcc) are Debian's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT MESHGATE2_QT_WINDOWS AND DEFINED ENV{MESHGATE2_QT_WINDOWS})
    set(MESHGATE2_QT_WINDOWS "$ENV{MESHGATE2_QT_WINDOWS}")
endif()
set(MESHGATE2_QT_WINDOWS "${MESHGATE2_QT_WINDOWS}" CACHE PATH "Qt 6 built for MinGW-w64 (its install prefix)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MESHGATE2_QT_WINDOWS)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${MESHGATE2_QT_WINDOWS})
list(APPEND CMAKE_PREFIX_PATH ${MESHGATE2_QT_WINDOWS})
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
