# What every cross build with one of Debian's GNU toolchains shares: its
# compilers, its sysroot under /usr/TRIPLE for libraries, headers and
# packages, and qemu-user (the command given, run with that sysroot) as the
# emulator, so ctest runs the target's programs as it runs the host's.
macro(ime_debian_cross triple processor)
  set(CMAKE_SYSTEM_NAME Linux)
  set(CMAKE_SYSTEM_PROCESSOR ${processor})
  set(CMAKE_C_COMPILER ${triple}-gcc)
  set(CMAKE_CXX_COMPILER ${triple}-g++)
  set(CMAKE_FIND_ROOT_PATH /usr/${triple})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ARGN} -L /usr/${triple})
endmacro()
