# Cross build for 64-bit ARM with Debian's toolchain; programs run under
# qemu-aarch64.
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
ime_debian_cross(aarch64-linux-gnu aarch64 qemu-aarch64)
