#!/usr/bin/env python3
"""Checks that every #include under src/ and tests/ follows the layer order.

Bottom up: data < the language (code, variables) < world < graphics < sound <
functions < step < runner < debug. A folder may include its own headers and
those of folders below it. src/platform stands beside the engine: it includes
nothing of the engine, and only world and the folders above it include it.
Files that bind built-ins to the registry (Function_*.cpp, Variable_BuiltIn.cpp)
may include any folder below runner. The program entry point (runner/main.cpp)
may include anything. Only src/platform includes SDL, OpenGL, epoxy, FFmpeg,
ENet or SDL_mixer headers, tests included.

Usage: scripts/check_layers.py [ROOT]   (exit status 1 on any violation)
       scripts/check_layers.py --self-test (plants bad includes in a scratch
                                            tree and checks they are caught)
"""
import pathlib
import re
import sys
import tempfile

RANK = {
    "data": 0,
    "code": 1,
    "variables": 1,
    "world": 2,
    "graphics": 3,
    "sound": 4,
    "functions": 5,
    "step": 6,
    "runner": 7,
    "debug": 8,
}
PLATFORM_USERS_FROM = RANK["world"]
PLATFORM_HEADERS = re.compile(r"^(SDL2?/|SDL[_.]|GL/|GLES|epoxy/|EGL/|libav|libsw|enet/)")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]', re.M)


def is_binding(path: pathlib.Path) -> bool:
    return path.name.startswith("Function_") or path.name == "Variable_BuiltIn.cpp"


def check_file(path: pathlib.Path, folder: str, in_tests: bool) -> list:
    problems = []
    text = path.read_text(errors="replace")
    for match in INCLUDE.finditer(text):
        kind, target = match.groups()
        line = text.count("\n", 0, match.start()) + 1
        where = f"{path}:{line}"
        if kind == "<":
            if PLATFORM_HEADERS.match(target) and folder != "platform":
                problems.append(f"{where}: <{target}> outside src/platform")
            continue
        target_folder = target.split("/", 1)[0]
        if in_tests or "/" not in target or target_folder == folder:
            continue
        if folder == "platform":
            if target_folder in RANK:
                problems.append(f"{where}: platform includes the engine ({target})")
            continue
        if folder not in RANK:
            continue
        if target_folder == "platform":
            if RANK[folder] < PLATFORM_USERS_FROM and not is_binding(path):
                problems.append(f"{where}: {folder} is below world and may not use the platform ({target})")
            continue
        if target_folder not in RANK:
            continue
        if folder == "runner" and path.name == "main.cpp":
            continue
        limit = RANK["runner"] if is_binding(path) else RANK[folder]
        allowed = RANK[target_folder] < limit or (not is_binding(path) and RANK[target_folder] == RANK[folder])
        if is_binding(path) and RANK[folder] >= RANK["runner"]:
            allowed = RANK[target_folder] <= RANK[folder]
        if not allowed:
            problems.append(f"{where}: {folder} may not include {target}")
    return problems


def check_tree(root: pathlib.Path) -> list:
    problems = []
    for path in sorted((root / "src").rglob("*")):
        if path.suffix in (".cpp", ".h"):
            problems += check_file(path, path.relative_to(root / "src").parts[0], False)
    for path in sorted((root / "tests").rglob("*")):
        if path.suffix in (".cpp", ".h", ".c"):
            problems += check_file(path, "tests", True)
    return problems


def self_test() -> int:
    planted = {
        "src/code/Bad.cpp": '#include "runner/Run_Main.h"\n',
        "src/platform/Bad.cpp": '#include "world/Room_Main.h"\n',
        "src/variables/Bad.cpp": '#include "platform/Platform.h"\n',
        "src/graphics/Bad.cpp": "#include <SDL.h>\n",
        "tests/step/bad_test.cpp": "#include <SDL2/SDL.h>\n",
    }
    allowed = {
        "src/world/Good.cpp": '#include "code/Code_Main.h"\n#include "platform/Platform.h"\n',
        "src/variables/Function_Good.cpp": '#include "step/Run_Step.h"\n',
        "src/runner/main.cpp": '#include "debug/Debug_Main.h"\n',
        "src/platform/Good.cpp": "#include <SDL.h>\n",
    }
    with tempfile.TemporaryDirectory() as scratch:
        root = pathlib.Path(scratch)
        for name, text in {**planted, **allowed}.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        problems = check_tree(root)
    caught = {name for name in planted if any(name in problem for problem in problems)}
    wrongly = [problem for problem in problems if not any(name in problem for name in planted)]
    if caught != set(planted) or wrongly:
        print("layer check self-test failed:", sorted(set(planted) - caught), wrongly)
        return 1
    print("layer check self-test passed")
    return 0


def main() -> int:
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    problems = check_tree(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) against the layer order")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
