#!/bin/bash
# Checks the shipped shared object: its name, exactly the exported names Java
# and callers bind to, no code run at load, no C++ runtime, and the hardening
# and 16 KiB page alignment Android requires. With "android", also what the
# device's dynamic linker, debuggerd and Play require: only the NDK's stable
# platform libraries, no glibc symbol versions, on arm64 the BTI/PAC note, a
# 20-byte build id, unwind tables for every function, below API 23 a SysV
# hash table, and below API 30 no read-only segment apart from the code's.
# Usage: check_elf.sh LIBRARY PROCESSOR [android MIN_SDK]
set -u
lib=$1 processor=$2 android=${3:-} min_sdk=${4:-}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

header=$(readelf -hW "$lib") || exit 1
dynamic=$(readelf -dW "$lib")
segments=$(readelf -lW "$lib")
sections=$(readelf -SW "$lib")

case $processor in
  x86_64) machine='X86-64' ;;
  aarch64) machine='AArch64' ;;
  armv7*) machine='ARM' ;;
  i?86) machine='Intel 80386' ;;
  *) machine=$processor ;;
esac
grep -q "Machine:.*$machine" <<<"$header" || fail "not built for $processor"

grep -q 'Library soname: \[libime_graphics.so\]' <<<"$dynamic" ||
  fail "soname is not libime_graphics.so"

expected=$(sort <<'NAMES'
Java_com_zarnu_util_ImeGraphics_glSetNightColor
Java_com_zarnu_util_ImeGraphics_glSetDayColor
Java_com_zarnu_util_ImeGraphics_glSetNight
Java_com_zarnu_util_ImeGraphics_glSetToDayMode
Java_com_zarnu_util_ImeGraphics_glChangeColor
_Z18changeToNightColori
_Z16changeToDayColori
_Z23changeDayNightModeInnerP7_JNIEnvP8_jobjecth
_Z18setIntArrayElementP7_JNIEnvP10_jintArrayii
NAMES
)
exported=$(readelf --dyn-syms -W "$lib" |
  awk '$5 ~ /GLOBAL|WEAK/ && $7 != "UND" && $8 != "" { sub(/@.*/, "", $8); print $8 }' |
  sort)
if [[ $exported != "$expected" ]]; then
  fail "exported names differ from the nine (< missing, > extra):"
  diff <(echo "$expected") <(echo "$exported") | grep '^[<>]'
fi

# Loading runs nothing of the library's own.
for tag in INIT FINI INIT_ARRAY FINI_ARRAY PREINIT_ARRAY; do
  grep -q "($tag)" <<<"$dynamic" && fail "has $tag: code runs at load or unload"
done

# No C++ runtime, nothing but libc and the platform's bitmap library.
while read -r needed; do
  case $android:$needed in
    android:libc.so | android:libm.so | android:libdl.so) ;;
    # glibc keeps the ARM stack canaries in the dynamic loader.
    :libc.so.6 | :ld-linux-*.so.*) ;;
    *:libjnigraphics.so) ;;
    *) fail "needs $needed" ;;
  esac
done < <(sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' <<<"$dynamic")
if [[ $android ]]; then
  readelf -VW "$lib" | grep -q GLIBC && fail "needs glibc symbol versions"
  notes=$(readelf -nW "$lib")
  if [[ $processor == aarch64 ]]; then
    grep -q 'AArch64 feature: BTI, PAC' <<<"$notes" || fail "no BTI/PAC property note"
  fi
  # Studio's debugger and Play's symbol upload match libraries by a SHA-1.
  grep -Eq 'Build ID: [0-9a-f]{40}$' <<<"$notes" || fail "no 20-byte GNU build id"
  # The loader of API 21 and 22 looks names up in DT_HASH only.
  if ((min_sdk < 23)) && ! grep -q '(HASH)' <<<"$dynamic"; then
    fail "no DT_HASH, which the loader before API 23 needs (link with --hash-style=both)"
  fi
  # A crash report walks the stack through unwind tables; without them it
  # stops at the library's frames (-ffreestanding turns clang's off).
  if [[ $processor == armv7* ]]; then
    # Each function, from .symtab where the library still has one, must fall
    # under an .ARM.exidx entry that can unwind: the entry with the highest
    # address at or below its start (Thumb bit cleared), not EXIDX_CANTUNWIND.
    entries=$(readelf -uW "$lib" | awk '/^0x[0-9a-f]+[ :]/ { print $1, /\[cantunwind\]/ }')
    while read -r function; do
      start=$((16#$function & ~1)) covered=
      while read -r address cantunwind; do
        (($(printf '%d' "${address%:}") <= start)) && covered=$cantunwind
      done <<<"$entries"
      [[ $covered == 0 ]] || fail "function at 0x$function has no unwind entry"
    done < <(readelf -sW "$lib" | awk '$4 == "FUNC" && $7 != "UND" { print $2 }' | sort -u)
  elif ! grep -q ' \.eh_frame_hdr ' <<<"$sections" || ! grep -q 'GNU_EH_FRAME' <<<"$segments"; then
    fail "no .eh_frame_hdr: built without unwind tables (-funwind-tables)"
  fi
  # debuggerd before API 30 cannot unwind through a library whose read-only
  # data has a segment of its own.
  if ((min_sdk < 30)) &&
    awk '$1 == "LOAD" { $1 = $2 = $3 = $4 = $5 = $6 = $NF = ""; print }' <<<"$segments" |
    grep -qx ' *R *'; then
    fail "a read-only LOAD segment apart from the code's (link with --no-rosegment)"
  fi
fi

# No writable state: nothing in .data, .bss or thread-local sections, and no
# table of pointers in .data.rel.ro, which stays writable until the loader has
# relocated it.
while read -r name size; do
  [[ $((16#$size)) -ne 0 ]] && fail "has $name of 0x$size bytes"
done < <(awk '{ sub(/^ *\[ *[0-9]+\] */, "") }
  $1 ~ /^\.(data|data\.rel\.ro|bss|tdata|tbss)$/ { print $1, $5 }' <<<"$sections")

# The stack protector guards the functions with a local whose address is
# taken (the bitmap description, the rows a path hands back), so its failure
# handler is imported.
readelf --dyn-syms -W "$lib" | grep -q ' UND __stack_chk_fail' ||
  fail "not built with the stack protector"

grep -q 'GNU_RELRO' <<<"$segments" || fail "no RELRO segment"
grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" || fail "not linked with -z now"
grep -Eq 'TEXTREL' <<<"$dynamic" && fail "has text relocations"
stack=$(awk '$1 == "GNU_STACK"' <<<"$segments")
[[ -n $stack ]] || fail "no GNU_STACK header"
grep -q 'RWE' <<<"$stack" && fail "executable stack"
aligns=$(awk '$1 == "LOAD" { print $NF }' <<<"$segments" | sort -u)
[[ $aligns == 0x4000 ]] || fail "LOAD segments aligned to $aligns, not 0x4000"

if ((failures)); then
  echo "$lib: $failures problem(s)"
  exit 1
fi
echo "$lib: exports, load behaviour, dependencies and hardening as required"
