#!/usr/bin/env python3
"""Writes the CMake package that the Android Gradle plugin has Prefab write for
an app's build, from a Prefab package (the prefab/ folder of an archive), for
one ABI and the app's minimum API level: under OUT/lib/TRIPLE/cmake/NAME/,
NAMEConfig.cmake with an IMPORTED SHARED target NAME::MODULE for each module,
and NAMEConfigVersion.cmake, which accepts any version asked for up to the
package's own. A module's library is the one whose abi.json names the ABI,
an API level no higher than the app's, and an STL the app can use: "none".
Fails, as Prefab does, when a module has no such library.

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
config = []
for dependency in sorted(package["dependencies"]):
    config.append(f"find_package({dependency} REQUIRED CONFIG)\n")
for module in sorted((prefab / "modules").iterdir()):
    metadata = json.loads((module / "module.json").read_text())
    links = ";".join(metadata["export_libraries"])
    chosen = None
    for libs in sorted((module / "libs").glob("android.*")):
        wanted = json.loads((libs / "abi.json").read_text())
        if wanted["abi"] == abi and wanted["api"] <= api and wanted["stl"] == "none":
            chosen = libs
    if chosen is None:
        sys.exit(f"no library of //{name}/{module.name} for {abi} at API {api}")
    library = chosen / f"lib{module.name}.so"
    headers = chosen / "include" if (chosen / "include").is_dir() else module / "include"
    config.append(
        f"add_library({name}::{module.name} SHARED IMPORTED)\n"
        f"set_target_properties({name}::{module.name} PROPERTIES\n"
        f'    IMPORTED_LOCATION "{library}"\n'
        f'    INTERFACE_INCLUDE_DIRECTORIES "{headers}"\n'
        f'    INTERFACE_LINK_LIBRARIES "{links}"\n'
        f")\n")

target = pathlib.Path(out) / "lib" / triple / "cmake" / name
target.mkdir(parents=True, exist_ok=True)
(target / f"{name}Config.cmake").write_text("\n".join(config))
(target / f"{name}ConfigVersion.cmake").write_text(f"""\
set(PACKAGE_VERSION {package["version"]})
if("${{PACKAGE_VERSION}}" VERSION_LESS "${{PACKAGE_FIND_VERSION}}")
    set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
    set(PACKAGE_VERSION_COMPATIBLE TRUE)
    if("${{PACKAGE_VERSION}}" VERSION_EQUAL "${{PACKAGE_FIND_VERSION}}")
        set(PACKAGE_VERSION_EXACT TRUE)
    endif()
endif()
""")
