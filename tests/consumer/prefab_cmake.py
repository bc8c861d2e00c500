#!/usr/bin/env python3
"""Writes the CMake package that the Android Gradle plugin has Prefab write for
an app's build, from a Prefab package (the prefab/ folder of an archive), for
one ABI and the app's minimum API level. The Prefab command-line tool is
published only in Google's Maven repository, which this build cannot reach,
so this writes what its CMake plugin writes (google/prefab,
cmake-plugin/src/main/kotlin/com/google/prefab/cmake/CMakePlugin.kt, from
release 1.1.0 on), byte for byte: under OUT/lib/TRIPLE/cmake/NAME/,
NAMEConfig.cmake, which finds each dependency as a config package
(emitDependency) and adds an IMPORTED SHARED target NAME::MODULE for each
module once (emitModule), and NAMEConfigVersion.cmake, which accepts any
version asked for up to the package's own (emitVersionFile). A module's
library is the one whose abi.json names the ABI, an API level no higher than
the app's (the highest such), and an STL the app can use: "none"
(Android.kt, checkIfUsable and findBestMatch). A module without one is
reported and left out, as the plugin does.

Usage: prefab_cmake.py PREFAB_DIR ABI API OUT_DIR
"""
import json
import pathlib
import sys

prefab, abi, api, out = sys.argv[1:]
prefab = pathlib.Path(prefab).resolve()
# The name CMake's find_package() looks under, CMAKE_LIBRARY_ARCHITECTURE.
triple = {
    "arm64-v8a": "aarch64-linux-android",
    "armeabi-v7a": "arm-linux-androideabi",
    "x86": "i686-linux-android",
    "x86_64": "x86_64-linux-android",
}[abi]
# 64-bit ABIs exist from API 21, whatever the app says.
api = max(int(api), 21) if abi in ("arm64-v8a", "x86_64") else int(api)

package = json.loads((prefab / "prefab.json").read_text())
name = package["name"]
config = "".join(f"find_package({dependency} REQUIRED CONFIG)\n\n"
                 for dependency in sorted(package["dependencies"]))
for module in sorted((prefab / "modules").iterdir()):
    metadata = json.loads((module / "module.json").read_text())
    # Linker flags first, then this package's modules (":MODULE") and other
    # packages' ("//PACKAGE:MODULE") as targets (LibraryReference.kt).
    references = sorted(metadata["export_libraries"],
                        key=lambda flag: 2 if flag.startswith("//") else flag.startswith(":"))
    links = ";".join(flag[2:].replace(":", "::") if flag.startswith("//") else
                     f"{name}::{flag[1:]}" if flag.startswith(":") else flag
                     for flag in references)
    usable = []
    for libs in (module / "libs").glob("android.*"):
        wanted = json.loads((libs / "abi.json").read_text())
        if wanted["abi"] == abi and wanted["api"] <= api and wanted["stl"] == "none":
            usable.append((wanted["api"], libs))
    if not usable:
        print(f"no library of //{name}/{module.name} for {abi} at API {api}", file=sys.stderr)
        continue
    chosen = max(usable)[1]
    headers = chosen / "include" if (chosen / "include").exists() else module / "include"
    target = f"{name}::{module.name}"
    config += (
        f"if(NOT TARGET {target})\n"
        f"add_library({target} SHARED IMPORTED)\n"
        f"set_target_properties({target} PROPERTIES\n"
        f'    IMPORTED_LOCATION "{chosen / f"lib{module.name}.so"}"\n')
    # A missing or empty include folder is left out: the Android Gradle
    # plugin drops empty folders when it unpacks an archive.
    if headers.is_dir() and any(headers.iterdir()):
        config += f'    INTERFACE_INCLUDE_DIRECTORIES "{headers}"\n'
    config += (
        f'    INTERFACE_LINK_LIBRARIES "{links}"\n'
        f")\n"
        f"endif()\n\n")

target = pathlib.Path(out) / "lib" / triple / "cmake" / name
target.mkdir(parents=True, exist_ok=True)
(target / f"{name}Config.cmake").write_text(config)
(target / f"{name}ConfigVersion.cmake").write_text(f"""\
set(PACKAGE_VERSION {package["version"]})
if("${{PACKAGE_VERSION}}" VERSION_LESS "${{PACKAGE_FIND_VERSION}}")
    set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
    set(PACKAGE_VERSION_COMPATIBLE TRUE)
    if("${{PACKAGE_VERSION}}" VERSION_EQUAL "${{PACKAGE_FIND_VERSION}}")
        set(PACKAGE_VERSION_EXACT TRUE)
    endif()
endif()""")
