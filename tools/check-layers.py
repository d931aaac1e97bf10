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

Inside packer/ the same holds between its rooms, lowest first:

  common        command line, messages, host paths, progress, entry names
  lint, examine reading and checking scripts; reading packages
  build         writing packages
  publish       signing, digests, bill of materials, winget manifest

main.cpp, in packer/ itself, may use every room. A file in a folder of
packer/ that is not a room is a fault too: a new room needs its place.

Prints every offending include or link and exits 1 if there is one.
"""
import pathlib
import re
import subprocess
import sys

LAYERS = [["support"], ["archive"], ["session"], ["script"], ["uninstall"], ["actions"], ["ui"],
          ["app", "packer"]]
LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
ROOMS = [["common"], ["lint", "examine"], ["build"], ["publish"]]
ROOM_LEVEL = {room: level for level, rooms in enumerate(ROOMS) for room in rooms}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/[^"]+"', re.M)
PACKER_INCLUDE = re.compile(r'^\s*#\s*include\s+"packer/([^"]+)"', re.M)
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


def room_of(path):
    """The room of a path below packer/, "" for packer/ itself."""
    parts = path.split("/")
    return parts[1] if len(parts) > 2 else ""


def room_faults(files):
    for path in files:
        if not path.startswith("packer/") or not re.search(r"\.(c|cpp|h)$", path):
            continue
        user = room_of(path)
        if user and user not in ROOM_LEVEL:
            yield f"{path}: packer/{user}/ is not a room in the order"
            continue
        text = pathlib.Path(path).read_text(encoding="latin-1")
        for header in PACKER_INCLUDE.findall(text):
            used = room_of("packer/" + header)
            if used not in ROOM_LEVEL:
                yield f"{path}: includes packer/{header}, which is in no room"
            elif user and used != user and ROOM_LEVEL[used] >= ROOM_LEVEL[user]:
                yield f"{path}: includes from packer/{used}/, which is not below packer/{user}/"


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
    faults = list(include_faults(files)) + list(room_faults(files)) + list(link_faults(files))
    for fault in faults:
        print(fault)
    print(f"layers: {len(faults)} dependencies run the wrong way")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
