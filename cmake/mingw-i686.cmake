# Cross build for Windows 95 with MinGW-w64 (Debian: g++-mingw-w64-i686,
# binutils-mingw-w64-i686). The win32 thread-model compiler keeps
# winpthreads out of the program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 4.0)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(brennick_mingw i686-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${brennick_mingw}-g++-win32 ${brennick_mingw}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${brennick_mingw}-gcc-win32 ${brennick_mingw}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${brennick_mingw}-windres REQUIRED)
find_program(CMAKE_OBJDUMP NAMES ${brennick_mingw}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${brennick_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The machines this program is for have Pentium-class chipsets (430HX/VX/TX),
# and a Pentium has no CMOV: the compiler's default of pentiumpro is too new.
# No exceptions and no RTTI: the runtime behind them calls functions Windows
# 95 lacks (platform/win32/cxx_runtime.cpp stands in for the rest).
set(CMAKE_C_FLAGS_INIT "-march=pentium -mtune=pentium")
set(CMAKE_CXX_FLAGS_INIT "-march=pentium -mtune=pentium -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables")

# Windows 95 loads only images that ask for 4.0 at most. The runtime
# libraries of the compiler go into the program: Windows 95 has no copy.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static-libgcc -static-libstdc++ -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0")
