#!/usr/bin/python3
"""Fails when a source file includes a header its layer may not use.

Usage: check_layers.py SRC_ROOT QT_INCLUDE_ROOT

Each C++ file under SRC_ROOT (every header and source extension) belongs to
the layer of the longest folder prefix in LAYERS; a file in a folder no layer
names is a violation itself, except main.cpp at the root. An include that
names a file under SRC_ROOT, quoted or in angle brackets, must resolve to a
layer that the file's layer may use; any other include, quoted ones that
resolve elsewhere or nowhere included, must not be the header of a Qt module
(QtGui, QtWidgets, ...) the layer may not link. Units (a header and its
source, named alike) must not depend on each other in a cycle, within a
layer too. Prints one line per violation.
"""
import os
import re
import sys

ENGINE = "spreadsheet/engine/"
ENGINE_WINGS = [ENGINE + wing for wing in ("model", "formula", "files", "xlsx", "document", "macro")]
TEXT_FORMATS = ["textsystem/" + family for family in ("rtf", "doc", "html", "plain")]
BASE = ["platform", "platform/package"]

# layer -> layers it may include (itself always allowed)
LAYERS = {
    "platform": [],
    "platform/package": ["platform"],
    "platform/widgets": BASE,
    # The engine's wings, each using only those below it.
    ENGINE + "model": BASE,
    ENGINE + "formula": BASE + [ENGINE + "model"],
    ENGINE + "files": BASE + [ENGINE + "model", ENGINE + "formula"],
    ENGINE + "xlsx": BASE + [ENGINE + "model", ENGINE + "formula"],
    ENGINE + "document": BASE + ENGINE_WINGS[:4],
    ENGINE + "macro": BASE + ENGINE_WINGS[:5],
    "spreadsheet/editor": BASE + ["platform/widgets"] + ENGINE_WINGS,
    # The styled-text model uses no format; a format uses the model, never
    # another format (RTFD lives with RTF).
    "textsystem": BASE,
    **{family: BASE + ["textsystem"] for family in TEXT_FORMATS},
    # The built-in Office Open XML converter stands in for the platform's:
    # it knows the styled text and nothing of the writer or the reader.
    "docx/builtin": BASE + ["textsystem"],
    "docx/writer": BASE + ["textsystem", "docx/builtin"],
    "docx/reader": BASE + ["textsystem"],
    "word/document": BASE + ["textsystem", "docx/writer", "docx/reader"] + TEXT_FORMATS,
    # The page's layout and drawing know no screen of the word processor.
    "word/layout": BASE + ["textsystem", "docx/writer", "docx/reader", "word/document"] + TEXT_FORMATS,
    "word": BASE + ["platform/widgets", "textsystem", "docx/writer", "docx/reader", "word/document", "word/layout"]
            + TEXT_FORMATS,
    "presentation/document": BASE,
    "presentation/editor": BASE + ["platform/widgets", "presentation/document"],
    "app": BASE + ["platform/widgets", "spreadsheet/editor", "word", "presentation/editor"],
    "": ["app"],  # main.cpp
}

CORE_ONLY = {"Core"}
CORE_GUI = {"Core", "Gui"}
ANY = None
# layer -> Qt modules it may include (None: any); a layer not listed takes
# the rule of the nearest listed folder above it.
QT_MODULES = {
    "platform": CORE_ONLY,
    "platform/package": CORE_ONLY,
    "platform/widgets": ANY,
    "spreadsheet/engine": CORE_ONLY,
    "presentation/document": CORE_ONLY,
    "textsystem": CORE_GUI,
    "docx": CORE_GUI,
    "word/document": CORE_GUI,
}

CPP_EXTENSIONS = (".h", ".hh", ".hpp", ".hxx", ".h++", ".inl", ".ipp", ".tpp", ".txx",
                  ".c", ".cc", ".cpp", ".cxx", ".c++", ".cppm", ".ixx", ".mm")
ROOT_FILES = {"main.cpp"}

INCLUDE = re.compile(r'^\s*#\s*(?:include|include_next|import)\s*([<"])([^>"]+)[>"]')


def layer_of(relative_path):
    folder = os.path.dirname(relative_path)
    best = ""
    for layer in LAYERS:
        if layer and (folder == layer or folder.startswith(layer + "/")):
            if len(layer) > len(best):
                best = layer
    return best


def qt_header_modules(qt_root):
    """Header name -> Qt module ("Core", "Gui", "Widgets", ...)."""
    modules = {}
    if not os.path.isdir(os.path.join(qt_root, "QtCore")):
        sys.exit(f"no Qt headers under {qt_root}")
    for entry in sorted(os.listdir(qt_root)):
        if not entry.startswith("Qt"):
            continue
        folder = os.path.join(qt_root, entry)
        if not os.path.isdir(folder):
            continue
        module = entry[2:]
        for header in os.listdir(folder):
            modules.setdefault(header, module)
            modules.setdefault(entry + "/" + header, module)
    return modules


def check(src_root, qt_root):
    qt_modules = qt_header_modules(qt_root)
    violations = []
    unit_includes = {}
    for folder, _, files in os.walk(src_root):
        for name in sorted(files):
            if not name.lower().endswith(CPP_EXTENSIONS):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, src_root)
            layer = layer_of(relative)
            if not layer and relative not in ROOT_FILES:
                violations.append(f"{relative}: belongs to no layer (add its folder to LAYERS)")
                continue
            violations += check_file(src_root, path, relative, layer, qt_modules, unit_includes)
    violations += unit_cycles(unit_includes)
    return sorted(violations)


def unit_of(relative_path):
    return os.path.splitext(relative_path)[0]


def unit_cycles(unit_includes):
    """One violation per group of units that depend on each other in a cycle
    (a strongly connected group of the include graph, found without recursion)."""
    order, low, on_stack, stack, cycles = {}, {}, set(), [], []
    for root in sorted(unit_includes):
        if root in order:
            continue
        walk = [(root, iter(sorted(unit_includes.get(root, ()))))]
        order[root] = low[root] = len(order)
        stack.append(root)
        on_stack.add(root)
        while walk:
            unit, targets = walk[-1]
            target = next(targets, None)
            if target is None:
                walk.pop()
                if walk:
                    low[walk[-1][0]] = min(low[walk[-1][0]], low[unit])
                if low[unit] == order[unit]:
                    group = []
                    while group[-1:] != [unit]:
                        group.append(stack.pop())
                        on_stack.discard(group[-1])
                    if len(group) > 1:
                        cycles.append(sorted(group))
            elif target not in order:
                order[target] = low[target] = len(order)
                stack.append(target)
                on_stack.add(target)
                walk.append((target, iter(sorted(unit_includes.get(target, ())))))
            elif target in on_stack:
                low[unit] = min(low[unit], order[target])
    return [f"{group[0]}: units depend on each other in a cycle: {', '.join(group)}" for group in cycles]


def check_file(src_root, path, relative, layer, qt_modules, unit_includes):
    violations = []
    unit = unit_of(relative)
    unit_includes.setdefault(unit, set())
    folder = os.path.dirname(path)
    with open(path, encoding="utf-8-sig", errors="replace") as source:
        for number, line in enumerate(source, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            kind, target = match.groups()
            header = project_header(src_root, folder if kind == '"' else None, target)
            if header:
                target_unit = unit_of(os.path.relpath(header, os.path.realpath(src_root)))
                if target_unit != unit:
                    unit_includes[unit].add(target_unit)
            problem = (check_project(src_root, layer, header, target) if header
                       else check_qt(layer, target, qt_modules))
            if problem:
                violations.append(f"{relative}:{number}: {problem}")
    return violations


def project_header(src_root, folder, target):
    """The file under SRC_ROOT an include names, or None: a quoted include is
    looked for beside the including file first, then (as an angle one) under
    SRC_ROOT, the build's include folder. One that resolves outside SRC_ROOT
    is no project header."""
    candidates = ([os.path.join(folder, target)] if folder else []) + [os.path.join(src_root, target)]
    root = os.path.realpath(src_root)
    for candidate in candidates:
        if not os.path.isfile(candidate):
            continue
        resolved = os.path.realpath(candidate)
        if os.path.commonpath([root, resolved]) == root:
            return resolved
    return None


def check_project(src_root, layer, header, target):
    target_layer = layer_of(os.path.relpath(header, os.path.realpath(src_root)))
    if target_layer == layer or target_layer in LAYERS[layer]:
        return None
    return f'layer "{layer or "main"}" may not include "{target}" (layer "{target_layer or "main"}")'


def qt_rule(layer):
    while layer:
        if layer in QT_MODULES:
            return QT_MODULES[layer]
        layer = os.path.dirname(layer)
    return ANY


def check_qt(layer, target, qt_modules):
    allowed = qt_rule(layer)
    module = qt_module_of(target, qt_modules)
    if allowed is ANY or module is None or module in allowed:
        return None
    return f'layer "{layer}" may not use Qt{module} (<{target}>)'


def qt_module_of(target, qt_modules):
    """The Qt module of a header named as the build finds it ("QWidget",
    "QtWidgets/QWidget") or by a path into a Qt include folder."""
    if target in qt_modules:
        return qt_modules[target]
    parts = os.path.normpath(target).split(os.sep)
    if len(parts) > 2 and parts[-2].startswith("Qt"):
        return qt_modules.get(parts[-2] + "/" + parts[-1])
    return None


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    violations = check(sys.argv[1], sys.argv[2])
    for violation in violations:
        print(violation)
    print(f"{len(violations)} layer violation(s)")
    return 1 if violations else 0


if __name__ == "__main__":
    sys.exit(main())
