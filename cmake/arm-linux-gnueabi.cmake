# Cross build for 32-bit ARM with Debian's armel toolchain, whose calling
# convention is soft-float, as the Android armeabi-v7a library is marked:
# glibc's armel loader loads that library where the armhf one refuses it.
# Programs run under qemu-arm.
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
ime_debian_cross(arm-linux-gnueabi arm qemu-arm)
