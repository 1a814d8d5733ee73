#!/usr/bin/env python3
"""Writes every include of a header of src/<layer>/ as "<layer>/Name.h" ("engine/dsp/Name.h").

Run from the project's folder after adding files that include a layer's header by its bare name;
it changes nothing that is already prefixed. A bare name that two layers hold is resolved by the
including file's own layer.
"""
import os
import re
import sys

LAYERS = ["engine", "render", "ui", "cli"]
INCLUDE = re.compile(r'^(\s*#\s*include\s+)"([^"/]+)"', re.M)


def headers():
    found = {}
    for layer in LAYERS:
        for folder, _, names in os.walk(os.path.join("src", layer)):
            for name in names:
                if name.endswith((".h", ".inl")):
                    found.setdefault(name, []).append(os.path.relpath(folder, "src"))
    return found


def layer_of(path):
    parts = path.split(os.sep)
    for layer in LAYERS:
        if layer in parts[:2]:
            return layer
    return None


def main():
    known = headers()
    changed = 0
    for top in ["src", "tests", "bench", "fuzz"]:
        for folder, _, files in os.walk(top):
            for name in files:
                if not name.endswith((".cpp", ".h", ".inl")):
                    continue
                path = os.path.join(folder, name)
                own = layer_of(path)
                local = set(os.listdir(folder))
                text = open(path, encoding="utf-8").read()

                def prefix(m):
                    header = m.group(2)
                    layers = known.get(header)
                    if not layers:
                        return m.group(0)
                    # A test's own helper beside it keeps its bare name.
                    if not path.startswith("src") and header in local:
                        return m.group(0)
                    mine = [where for where in layers if where.split(os.sep)[0] == own]
                    layer = mine[0] if mine else layers[0]
                    if len(layers) > 1 and len(mine) != 1:
                        sys.exit(f"{path}: {header} is in {layers}; write the layer yourself")
                    return f'{m.group(1)}"{layer}/{header}"'

                new = INCLUDE.sub(prefix, text)
                if new != text:
                    open(path, "w", encoding="utf-8").write(new)
                    changed += 1
    print(f"prefix-includes: {changed} files changed")


if __name__ == "__main__":
    main()
