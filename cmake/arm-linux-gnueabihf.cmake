# Cross build for 32-bit ARM as Android's armeabi-v7a defines it (ARMv7-A,
# Thumb-2, NEON) with Debian's toolchain; Debian's hard-float calling
# convention is the one difference, and no integer code sees it. Programs run
# under qemu-arm.
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
ime_debian_cross(arm-linux-gnueabihf armv7-a qemu-arm)
set(CMAKE_C_FLAGS_INIT "-march=armv7-a -mfpu=neon -mthumb")
set(CMAKE_CXX_FLAGS_INIT "-march=armv7-a -mfpu=neon -mthumb")
