#!/usr/bin/env python3
"""Holds the code to its layers: every #include "..." in check/ runs down the
layer order (src/ below them all), no file of check/ but main.cpp lies
outside a layer folder, and no module (a .h with its .cpp) reaches itself
again through includes, in src/ or check/. The order is the one
check/CMakeLists.txt declares, handed over by CTest; docs/code-map.md's table
of the layers must list them in that order.

  layer_order.py PROJECT_SOURCE_DIR LAYER,LAYER,...   (bottom first)
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# A row of the code map's table of layers: | `text/` | ...
MAP_ROW = re.compile(r"^\| `([a-z_]+)/` \|", re.M)


def code_map_layers(root):
    """The layers docs/code-map.md lists in its table of mae-check's layers."""
    text = (root / "docs" / "code-map.md").read_text(encoding="utf-8")
    start = text.find("### mae-check's layers")
    section = text[start:text.find("\n#", start + 1)] if start >= 0 else ""
    return MAP_ROW.findall(section)


def main(root, layer_list):
    root = pathlib.Path(root)
    # check/'s layers, from the bottom up; main.cpp stands above them all.
    LAYERS = [name for name in layer_list.split(",") if name]
    problems = []
    if LAYERS and code_map_layers(root) != LAYERS:
        problems.append(f"docs/code-map.md lists the layers {code_map_layers(root)}, the build "
                        f"{LAYERS}")
    # Where each header lives: its layer's rank (src/ is -1) and its module.
    rank, module_of = {}, {}
    for path in sorted((root / "src").glob("*.[ch]*")):
        rank[path.name] = -1
        module_of[path] = "src/" + path.stem
    for path in sorted((root / "check").rglob("*")):
        if not path.is_file() or path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(root / "check")
        if len(relative.parts) == 1:
            if relative.name != "main.cpp":
                problems.append(f"check/{relative} is outside a layer folder")
            module_of[path] = "check/main"
            continue
        layer = relative.parts[0]
        if layer not in LAYERS or len(relative.parts) != 2:
            problems.append(f"check/{relative} is not in one of the layers {LAYERS}")
            continue
        if path.suffix == ".h":
            if path.name in rank:
                problems.append(f"check/{relative}: a header of that name is in another folder")
            rank[path.name] = LAYERS.index(layer)
        module_of[path] = f"check/{layer}/{path.stem}"

    # Each include against the order, and the graph of modules.
    edges = {}
    header_module = {p.name: m for p, m in module_of.items() if p.suffix == ".h"}
    for path, module in module_of.items():
        text = path.read_text(encoding="utf-8")
        here = rank.get(path.name) if path.suffix == ".h" else None
        if path.parts[-2] in LAYERS:
            here = LAYERS.index(path.parts[-2])
        elif path.name == "main.cpp" and path.parent.name == "check":
            here = len(LAYERS)
        elif path.parent.name == "src":
            here = -1
        for name in INCLUDE.findall(text):
            base = pathlib.PurePosixPath(name).name
            if base not in rank:
                continue  # the test kit, or a header of a package
            if rank[base] > here:
                where = LAYERS[rank[base]] if rank[base] >= 0 else "src"
                problems.append(f"{path.relative_to(root)} includes {name}, from the layer above "
                                f"it ({where})")
            target = header_module[base]
            if target != module:
                edges.setdefault(module, set()).add(target)

    # Circles: a module that reaches itself.
    state, stack = {}, []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                circle = stack[stack.index(nxt):] + [nxt]
                problems.append("a circle of includes: " + " -> ".join(circle))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = "done"

    for node in sorted(set(module_of.values())):
        if node not in state:
            visit(node)

    for problem in problems:
        print(problem)
    print(f"layer order: {len(problems)} problems in {len(module_of)} files")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else ""))
