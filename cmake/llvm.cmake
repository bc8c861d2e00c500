# The one LLVM that everything clang builds here uses: the Android libraries,
# the clang ARM builds and the fuzzers, and the strip and model tools beside
# them. Debian 12's clang-19, lld-19, llvm-19 and libclang-rt-19-dev;
# tools/ensure-packages.sh (for the packages and ./package's strip) and
# bench/row_model.py read the version from here.
set(IME_LLVM_VERSION 19)
set(IME_LLVM /usr/lib/llvm-${IME_LLVM_VERSION}/bin)
