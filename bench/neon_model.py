#!/usr/bin/env python3
"""Models the NEON rows' inner loops on the cores phones use, with llvm-mca.

Compiles color/row_neon.cc with clang 19 and with GCC, for arm64 and for
armeabi-v7a, takes the main loop of each row function (the one that loads
with ld4), and prints llvm-mca's block reciprocal throughput per pixel on each
modelled core beside that of the floor: the best plain in-place loop of the
same width (64 bytes an iteration: one four-register load, four XORs, one
four-register store on arm64). These are modelled
figures, not measurements. llvm-mca has no AArch32 models of the phone cores,
so armeabi-v7a is modelled on Cortex-A57 alone.

Usage: bench/neon_model.py
"""
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LLVM = "/usr/lib/llvm-19/bin"
PIXELS_PER_ITERATION = 16
ROWS = ["nightRowNeon", "dayRowNeon", "nightPremulRowNeon", "dayPremulRowNeon"]
TARGETS = {
    "arm64": {
        "clang": [f"{LLVM}/clang++", "--target=aarch64-linux-gnu"],
        "gcc": ["aarch64-linux-gnu-g++"],
        "mca": "aarch64",
        "cores": ["cortex-a55", "cortex-a510", "cortex-a78", "cortex-x2", "neoverse-n1"],
    },
    "armv7": {
        "clang": [f"{LLVM}/clang++", "--target=arm-linux-gnueabihf", "-march=armv7-a",
                  "-mfpu=neon", "-mthumb"],
        "gcc": ["arm-linux-gnueabihf-g++", "-march=armv7-a", "-mfpu=neon", "-mthumb"],
        "mca": "thumbv7a",
        "cores": ["cortex-a57"],
    },
}
FLOOR = r"""
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


def ensure_packages():
    subprocess.run(["bash", "-c", "source tools/ensure-packages.sh && ensure_packages "
                    "llvm-19 clang-19 g++-aarch64-linux-gnu g++-arm-linux-gnueabihf "
                    "android-libnativehelper-dev"], cwd=ROOT, check=True)


def assembly(compiler, source, out):
    subprocess.run(compiler + ["-O2", "-std=c++17", "-fno-exceptions", "-I", ROOT, "-S",
                               "-o", out, source], check=True)
    with open(out) as f:
        return f.read().splitlines()


def inner_loop(lines, function, marker):
    """The instructions of the loop in `function` that holds `marker`."""
    start = next(i for i, l in enumerate(lines) if re.match(rf"_Z\w*{function}\w*:", l))
    end = next(i for i in range(start + 1, len(lines))
               if lines[i].startswith("\t.size") or re.match(r"\.Lfunc_end", lines[i]))
    body = lines[start:end]
    labels = {l.split(":")[0]: i for i, l in enumerate(body) if re.match(r"^\.?L\w+:", l)}
    for i, line in enumerate(body):
        m = re.match(r"\s+(b\.?\w*|cbn?z|bhi|bne|bcs|bgt)\s+.*?(\.?L\w+)\s*$", line)
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
    ensure_packages()
    source = os.path.join(ROOT, "color", "row_neon.cc")
    with tempfile.TemporaryDirectory() as tmp:
        floor_source = os.path.join(tmp, "floor.cc")
        with open(floor_source, "w") as f:
            f.write(FLOOR)
        print("Modelled cycles per pixel (llvm-mca 19, block reciprocal throughput of the inner "
              f"loop / {PIXELS_PER_ITERATION}); in brackets, times the floor.")
        for arch, target in TARGETS.items():
            for name in ("clang", "gcc"):
                rows = assembly(target[name], source, os.path.join(tmp, "rows.s"))
                floor = assembly(target[name], floor_source, os.path.join(tmp, "floor.s"))
                floor_loop = inner_loop(floor, "floorRow", "eor" if arch == "arm64" else "veor")
                loops = {row: inner_loop(rows, row, "ld4" if arch == "arm64" else "vld4")
                         for row in ROWS}
                print(f"\n{arch}, {name}")
                print(f"{'core':<13}{'floor':>7}" + "".join(f"{r[:-4]:>22}" for r in ROWS))
                for core in target["cores"]:
                    f = throughput(floor_loop, target["mca"], core) / PIXELS_PER_ITERATION
                    cells = []
                    for row in ROWS:
                        c = throughput(loops[row], target["mca"], core) / PIXELS_PER_ITERATION
                        cells.append(f"{c:.3f} ({c / f:.1f}x)")
                    print(f"{core:<13}{f:>7.3f}" + "".join(f"{c:>22}" for c in cells))


if __name__ == "__main__":
    sys.exit(main())
