#!/usr/bin/env python3
"""Checks that the engine's folders include only what their libraries may use.

    core  <-  dsp, audiofile, device  <-  live

core includes nothing else of the program; dsp, audiofile and device include core and
themselves; live includes them all. No engine file includes the render, ui or cli layers or
Qt. Prints every include that breaks this and exits non-zero.
"""
import os
import re
import sys

ALLOWED = {
    "core": {"core"},
    "dsp": {"core", "dsp"},
    "audiofile": {"core", "audiofile"},
    "device": {"core", "device"},
    "live": {"core", "dsp", "audiofile", "device", "live"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([^>"]+)[>"]', re.M)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "engine")
    wrong = []
    for folder in sorted(os.listdir(root)):
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            continue
        if folder not in ALLOWED:
            wrong.append(f"src/engine/{folder}: a folder with no place in the layers")
            continue
        for name in sorted(os.listdir(path)):
            with open(os.path.join(path, name), encoding="utf-8") as f:
                text = f.read()
            for header in INCLUDE.findall(text):
                parts = header.split("/")
                if parts[0] in ("render", "ui", "cli", "app") or header.startswith("Q"):
                    wrong.append(f"src/engine/{folder}/{name}: includes {header}")
                elif parts[0] == "engine" and (len(parts) < 3 or parts[1] not in ALLOWED[folder]):
                    wrong.append(f"src/engine/{folder}/{name}: includes {header}")
    for line in wrong:
        print(f"  {line}")
    if wrong:
        sys.exit("engine layers: includes across the allowed arrows (above)")
    print("engine layers: clean")


if __name__ == "__main__":
    main()
