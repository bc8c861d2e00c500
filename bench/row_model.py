#!/usr/bin/env python3
"""Models the vector rows' inner loops with llvm-mca where they cannot be timed.

Compiles the NEON rows (color/row_neon.cc) for arm64 and armeabi-v7a, and the
AVX-512 rows (color/row_avx512.cc), with the project's clang (cmake/llvm.cmake)
and with GCC, takes the main loop of each row function (the file's convertRow
for that mode, found by its demangled name), and prints llvm-mca's block
reciprocal throughput per pixel on each modelled core beside that of the floor:
the best plain in-place loop of the same width (64 bytes an iteration: on arm64
one four-register load, four XORs and one four-register store; on x86 one
64-byte load, XOR and store). The NEON rows are modelled on the cores phones
use, the AVX-512 rows on the AVX-512 cores llvm-mca knows, since not every
machine here has AVX-512. These are modelled figures, not measurements: they
count the core's work alone, while a pass over a bitmap also waits for memory.
llvm-mca has no AArch32 models of the phone cores, so armeabi-v7a is modelled
on Cortex-A57 alone.

Installs nothing: it needs the Debian packages named in PACKAGES, which ./check
installs.

Usage: bench/row_model.py
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The project's one LLVM, as cmake/llvm.cmake names it.
with open(os.path.join(ROOT, "cmake", "llvm.cmake")) as listfile:
    LLVM_VERSION = re.search(r"^set\(IME_LLVM_VERSION (\d+)\)$", listfile.read(), re.M).group(1)
LLVM = f"/usr/lib/llvm-{LLVM_VERSION}/bin"
PACKAGES = {
    f"{LLVM}/clang++": f"clang-{LLVM_VERSION}",
    f"{LLVM}/llvm-mca": f"llvm-{LLVM_VERSION}",
    f"{LLVM}/llvm-cxxfilt": f"llvm-{LLVM_VERSION}",
    "g++": "g++",
    "aarch64-linux-gnu-g++": "g++-aarch64-linux-gnu",
    "arm-linux-gnueabihf-g++": "g++-arm-linux-gnueabihf",
}
PIXELS_PER_ITERATION = 16
MODES = ["night", "day", "nightPremul", "dayPremul"]
# A row's demangled name: convertRow<&...::nightVector(...), true, ...> is the
# night row for premultiplied pixels.
ROW_NAME = re.compile(r"convertRow<&.*?::(night|day)\w*\(.*?\), (true|false)")
TARGETS = {
    "arm64": {
        "clang": [f"{LLVM}/clang++", "--target=aarch64-linux-gnu"],
        "gcc": ["aarch64-linux-gnu-g++"],
        "mca": "aarch64",
        "cores": ["cortex-a55", "cortex-a510", "cortex-a78", "cortex-x2", "neoverse-n1"],
        "source": "row_neon.cc", "marker": "ld4", "floor_marker": "eor",
    },
    "armv7": {
        "clang": [f"{LLVM}/clang++", "--target=arm-linux-gnueabihf", "-march=armv7-a",
                  "-mfpu=neon", "-mthumb"],
        "gcc": ["arm-linux-gnueabihf-g++", "-march=armv7-a", "-mfpu=neon", "-mthumb"],
        "mca": "thumbv7a",
        "cores": ["cortex-a57"],
        "source": "row_neon.cc", "marker": "vld4", "floor_marker": "veor",
    },
    "x86_64 AVX-512": {
        "clang": [f"{LLVM}/clang++", "--target=x86_64-linux-gnu"],
        "gcc": ["g++"],
        "mca": "x86_64",
        "cores": ["znver4", "znver5", "icelake-server", "sapphirerapids"],
        "source": "row_avx512.cc", "marker": "zmm", "floor_marker": "zmm",
    },
}
X86_FLOOR = r"""
#include <immintrin.h>
#include <stddef.h>
#include <stdint.h>
__attribute__((target("avx512f"))) void floorRow(uint8_t* p, size_t count) {
  const __m512i x = _mm512_set1_epi32(1);
  for (; count >= 16; count -= 16, p += 64) {
    _mm512_store_si512(p, _mm512_xor_si512(_mm512_load_si512(p), x));
  }
}
"""
ARM_FLOOR = r"""
#include <arm_neon.h>
#include <stddef.h>
#include <stdint.h>
void floorRow(uint8_t* p, size_t count) {
  const uint8x16_t x = vdupq_n_u8(1);
  for (; count >= 16; count -= 16, p += 64) {
#if defined(__aarch64__)
    uint8x16x4_t v = vld1q_u8_x4(p);
    v.val[0] = veorq_u8(v.val[0], x);
    v.val[1] = veorq_u8(v.val[1], x);
    v.val[2] = veorq_u8(v.val[2], x);
    v.val[3] = veorq_u8(v.val[3], x);
    vst1q_u8_x4(p, v);
#else
    uint8x16_t a = vld1q_u8(p), b = vld1q_u8(p + 16);
    uint8x16_t c = vld1q_u8(p + 32), d = vld1q_u8(p + 48);
    vst1q_u8(p, veorq_u8(a, x));
    vst1q_u8(p + 16, veorq_u8(b, x));
    vst1q_u8(p + 32, veorq_u8(c, x));
    vst1q_u8(p + 48, veorq_u8(d, x));
#endif
  }
}
"""


def check_packages():
    missing = sorted({package for tool, package in PACKAGES.items() if not shutil.which(tool)})
    if missing:
        raise SystemExit("bench/row_model.py needs the Debian packages " + " ".join(missing) +
                         " (./check installs them)")


def assembly(compiler, source, out):
    subprocess.run(compiler + ["-O2", "-std=c++17", "-fno-exceptions", "-I", ROOT, "-S",
                               "-o", out, source], check=True)
    with open(out) as f:
        return f.read().splitlines()


def functions(lines):
    """Each function's label in the assembly, by its demangled name."""
    labels = [m.group(1) for m in (re.match(r"(_Z\w+):", l) for l in lines) if m]
    names = subprocess.run([f"{LLVM}/llvm-cxxfilt"], input="\n".join(labels),
                           capture_output=True, text=True, check=True).stdout.splitlines()
    return dict(zip(names, labels))


def row_labels(lines):
    """The label of each mode's row function."""
    rows = {}
    for name, label in functions(lines).items():
        m = ROW_NAME.search(name)
        if m:
            rows[m.group(1) + ("Premul" if m.group(2) == "true" else "")] = label
    if sorted(rows) != sorted(MODES):
        raise SystemExit(f"found rows {sorted(rows)}, not one for each of {MODES}")
    return rows


def inner_loop(lines, function, marker):
    """The instructions of the loop in the function labelled `function` that holds
    `marker`."""
    start = next(i for i, l in enumerate(lines) if l.startswith(function + ":"))
    end = next(i for i in range(start + 1, len(lines))
               if lines[i].startswith("\t.size") or re.match(r"\.Lfunc_end", lines[i]))
    body = lines[start:end]
    labels = {l.split(":")[0]: i for i, l in enumerate(body) if re.match(r"^\.?L\w+:", l)}
    for i, line in enumerate(body):
        m = re.match(r"\s+(b\.?\w*|cbn?z|bhi|bne|bcs|bgt|j\w+)\s+.*?(\.?L\w+)\s*$", line)
        if m and m.group(2) in labels and labels[m.group(2)] < i:
            loop = [l for l in body[labels[m.group(2)] + 1:i + 1]
                    if re.match(r"\s+[a-z]", l) and not l.strip().startswith(".")]
            if any(marker in l for l in loop):
                return loop
    raise SystemExit(f"no loop with {marker} in {function}")


def throughput(loop, triple, core):
    result = subprocess.run([f"{LLVM}/llvm-mca", f"-mtriple={triple}", f"-mcpu={core}",
                             "-iterations=200"], input="\n".join(loop) + "\n",
                            capture_output=True, text=True, check=True)
    return float(re.search(r"Block RThroughput:\s+([\d.]+)", result.stdout).group(1))


def main():
    check_packages()
    with tempfile.TemporaryDirectory() as tmp:
        floor_sources = {}
        for name, text in (("arm", ARM_FLOOR), ("x86", X86_FLOOR)):
            floor_sources[name] = os.path.join(tmp, f"floor_{name}.cc")
            with open(floor_sources[name], "w") as f:
                f.write(text)
        print(f"Modelled cycles per pixel (llvm-mca {LLVM_VERSION}, block reciprocal throughput of the inner "
              f"loop / {PIXELS_PER_ITERATION}); in brackets, times the floor.")
        for arch, target in TARGETS.items():
            source = os.path.join(ROOT, "color", target["source"])
            floor_source = floor_sources["x86" if target["mca"] == "x86_64" else "arm"]
            for name in ("clang", "gcc"):
                code = assembly(target[name], source, os.path.join(tmp, "rows.s"))
                floor = assembly(target[name], floor_source, os.path.join(tmp, "floor.s"))
                floor_label = next(label for fn, label in functions(floor).items()
                                   if fn.startswith("floorRow("))
                floor_loop = inner_loop(floor, floor_label, target["floor_marker"])
                labels = row_labels(code)
                loops = {mode: inner_loop(code, labels[mode], target["marker"]) for mode in MODES}
                print(f"\n{arch}, {name}")
                print(f"{'core':<15}{'floor':>7}" + "".join(f"{m:>22}" for m in MODES))
                for core in target["cores"]:
                    f = throughput(floor_loop, target["mca"], core) / PIXELS_PER_ITERATION
                    cells = []
                    for mode in MODES:
                        c = throughput(loops[mode], target["mca"], core) / PIXELS_PER_ITERATION
                        cells.append(f"{c:.3f} ({c / f:.1f}x)")
                    print(f"{core:<15}{f:>7.3f}" + "".join(f"{c:>22}" for c in cells))


if __name__ == "__main__":
    sys.exit(main())
