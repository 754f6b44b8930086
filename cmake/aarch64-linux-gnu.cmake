# Cross-building for 64-bit ARM Linux (arm64: a 64-bit Raspberry Pi OS, Debian on ARM laptops)
# with Debian's cross toolchain, against Debian's own arm64 libraries installed beside the
# build machine's (dpkg --add-architecture arm64). Used by scripts/build-arm64. With qemu-user,
# CTest runs the arm64 tests through the emulator, the libraries found under / as on arm64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(triplet aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${triplet}-gcc)
set(CMAKE_CXX_COMPILER ${triplet}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
find_program(QEMU_AARCH64 qemu-aarch64)
if(QEMU_AARCH64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64} -L /)
endif()
