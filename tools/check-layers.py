#!/usr/bin/env python3
"""Checks that the product folders depend on each other one way only.

Each folder may include headers from, and link libraries of, the folders
below it, never from one beside or above it. The order, lowest first:

  support   text, files, folders, threads: what everything stands on
  archive   the package format, the entry codec, pack mode
  session   the install job and the values of one run
  script    reading setup scripts; the install worker's loop
  uninstall the uninstall record; the uninstall worker's loop
  actions   the Win32 actions both workers carry out, and the workers
  ui        the wizard pages and dialogs
  app, packer   the stub's entry point and modes; the Linux packer

Prints every offending include or link and exits 1 if there is one.
"""
import pathlib
import re
import subprocess
import sys

LAYERS = [["support"], ["archive"], ["session"], ["script"], ["uninstall"], ["actions"], ["ui"],
          ["app", "packer"]]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/[^"]+"', re.M)
LIBRARY = re.compile(r"\bvornak_(\w+)\b")


def may_use(user, used):
    return used == user or LEVEL[used] < LEVEL[user]


def folder_of(path):
    top = path.split("/", 1)[0]
    return top if top in LEVEL and "/" in path else None


def include_faults(files):
    for path in files:
        user = folder_of(path)
        if user is None or not re.search(r"\.(c|cpp|h|rc)$", path):
            continue
        text = pathlib.Path(path).read_text(encoding="latin-1")
        for used in INCLUDE.findall(text):
            if used in LEVEL and not may_use(user, used):
                yield f"{path}: includes from {used}/, which is not below {user}/"


def library_folder(name):
    # vornak_pack_lib is the packer's library; the others are named after
    # their folder.
    return "packer" if name == "pack_lib" else name


def link_faults(files):
    for path in files:
        user = folder_of(path)
        if user is None or not path.endswith("CMakeLists.txt"):
            continue
        text = pathlib.Path(path).read_text()
        for call in re.findall(r"(?:vornak_library|target_link_libraries)\(([^)]*)\)", text):
            names = [library_folder(n) for n in LIBRARY.findall(call)]
            for used in names[1:]:
                if used in LEVEL and not may_use(user, used):
                    yield f"{path}: links vornak_{used}, which is not below {user}/"


def main():
    files = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard"], capture_output=True, text=True,
                           check=True).stdout.split()
    faults = list(include_faults(files)) + list(link_faults(files))
    for fault in faults:
        print(fault)
    print(f"layers: {len(faults)} dependencies run the wrong way")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
