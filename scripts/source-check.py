#!/usr/bin/python3
"""The source tree's own rules, checked: run by ctest (source_check) and by hand.

usage: source-check.py [SOURCE_ROOT]

Each rule prints what it found and why the rule exists; the exit status is 1
when any rule is broken. A file's layer is the library CMake compiles it into
(korva_codec, korva_core, korva_ui) or the command line front end (src/cli);
a header takes the layer of its .cpp, or of what it includes when it has none.
Folders are layers too: FOLDER_LAYERS orders them.
"""
import pathlib
import re
import sys

LAYERS = ("codec", "core", "ui", "cli")
# What each layer may include. The CLI and the dialogs are two front ends
# over the same engines: neither includes the other.
MAY_INCLUDE = {
    "codec": {"codec"},
    "core": {"codec", "core"},
    "ui": {"codec", "core", "ui"},
    "cli": {"codec", "core", "cli"},
}
# Folders from the bottom up. A folder includes its own rank and the ranks
# below it: the subsystems may use one another, never the front ends; the
# shared dialog kit (ui/) serves every */ui/ folder and the application
# (app/), which nothing includes.
FOLDER_LAYERS = [
    ("printer", "base"),
    ("port",),
    ("profile",),
    ("usersetup", "netcfg", "firmware", "logo"),
    ("cli", "ui"),
    ("usersetup/ui", "netcfg/ui", "firmware/ui", "logo/ui"),
    ("app",),
]
FOLDER_RANK = {folder: rank for rank, folders in enumerate(FOLDER_LAYERS) for folder in folders}
QT_WIDGETS_DIR = pathlib.Path("/usr/include/x86_64-linux-gnu/qt6/QtWidgets")
# Used when Qt's headers are not where Debian puts them.
KNOWN_WIDGET_HEADERS = {
    "QAbstractButton", "QAccessibleWidget", "QApplication", "QButtonGroup", "QCheckBox",
    "QComboBox", "QDialog", "QDialogButtonBox", "QFileDialog", "QFormLayout", "QFrame",
    "QGridLayout", "QGroupBox", "QHBoxLayout", "QHeaderView", "QLabel", "QLineEdit",
    "QMessageBox", "QProgressBar", "QPushButton", "QRadioButton", "QScrollArea", "QShortcut",
    "QSlider", "QSpinBox", "QStyle", "QStyledItemDelegate", "QTabBar", "QTabWidget",
    "QTableWidget", "QTextBrowser", "QTreeWidget", "QVBoxLayout", "QWidget",
}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# ESC, FS, GS or DLE followed by a further byte: the start of a printer command.
COMMAND_BYTES = re.compile(r"\b0x(1[BbCcDd]|10)\s*,\s*0x[0-9A-Fa-f]{2}\b")
ERRNO_WORDS = re.compile(r"\bstrerror(_r)?\s*\(|\bstrerrordesc_np\s*\(|\.message\(\)")


def widget_headers():
    if QT_WIDGETS_DIR.is_dir():
        return {p.name for p in QT_WIDGETS_DIR.iterdir() if p.name.startswith("Q")} | {"QtWidgets"}
    return KNOWN_WIDGET_HEADERS | {"QtWidgets"}


def in_ui(name):
    """Whether a file belongs to the dialogs: the shared kit or a */ui/ folder."""
    return name.startswith("ui/") or "/ui/" in name


def folder_of(name):
    """The folder layer of 'logo/ui/Page5Setup.cpp' ('logo/ui'); app/ui is app."""
    parts = name.split("/")
    if parts[0] == "app" or len(parts) < 3 or parts[1] != "ui":
        return parts[0]
    return f"{parts[0]}/ui"


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def cmake_layers(src):
    """Maps 'folder/File.cpp' to the layer its library is; from target_sources()."""
    layers = {}
    for cmake in sorted(src.glob("*/CMakeLists.txt")):
        folder = cmake.parent.name
        text = re.sub(r"#[^\n]*", "", cmake.read_text())
        variables = {name: body.split() for name, body in
                     re.findall(r"set\((\w+)\s+([^)]*)\)", text)}
        for library, body in re.findall(r"target_sources\(korva_(\w+)\s+PRIVATE([^)]*)\)", text):
            words = []
            for word in body.split():
                ref = re.fullmatch(r"\$\{(\w+)\}", word)
                words += variables.get(ref.group(1), []) if ref else [word]
            for word in words:
                name = word.replace("${CMAKE_CURRENT_SOURCE_DIR}/", "")
                if name.endswith((".cpp", ".h")):
                    layers[f"{folder}/{name}"] = library
    return layers


class Tree:
    def __init__(self, root):
        self.root = root
        self.src = root / "src"
        self.files = sorted(p for p in self.src.rglob("*") if p.suffix in (".h", ".cpp"))
        self.text = {self.rel(p): p.read_text(errors="replace") for p in self.files}
        self.listed = cmake_layers(self.src)
        self.widgets = widget_headers()
        self.memo = {}

    def rel(self, path):
        return path.relative_to(self.src).as_posix()

    def includes(self, name):
        """(line, kind, target) of every include of a file."""
        text = self.text[name]
        for match in INCLUDE.finditer(text):
            yield text.count("\n", 0, match.start()) + 1, match.group(1), match.group(2)

    def layer(self, name, seen=()):
        if name in self.memo:
            return self.memo[name]
        if name in self.listed:
            layer = self.listed[name]
        elif name.endswith(".h") and name[:-2] + ".cpp" in self.listed:
            layer = self.listed[name[:-2] + ".cpp"]
        elif name.startswith("cli/"):
            layer = "cli"
        elif in_ui(name):
            layer = "ui"
        else:
            # A header of its own: as high as the highest thing it includes.
            layer = "codec"
            for _, kind, target in self.includes(name):
                if kind == "<":
                    found = "ui" if target.split("/")[-1] in self.widgets else (
                        "core" if target.startswith("Q") else "codec")
                elif target in self.text and target not in seen:
                    found = self.layer(target, seen + (name,))
                else:
                    continue
                if LAYERS.index(found) > LAYERS.index(layer) and found != "cli":
                    layer = found
        self.memo[name] = layer
        return layer


def rule_command_bytes(tree):
    """Printer commands are built in printer/ and the codecs, so a command
    changes in one place and the stream tests see every use of it."""
    for name, text in tree.text.items():
        if name.startswith("printer/") or tree.layer(name) == "codec":
            continue
        code = strip_comments(text)
        for match in COMMAND_BYTES.finditer(code):
            yield name, code.count("\n", 0, match.start()) + 1, match.group(0)


def rule_widgets_in_ui(tree):
    """QtWidgets belongs to the dialogs (*/ui/): the engines and the CLI run
    without a display, and report to their caller instead of opening windows."""
    for name in tree.text:
        if in_ui(name):
            continue
        for line, kind, target in tree.includes(name):
            if kind == "<" and target.split("/")[-1] in tree.widgets:
                yield name, line, f"#include <{target}>"


def rule_layer_order(tree):
    """A layer includes only itself and the layers below it (codec < core <
    dialogs, codec < core < CLI), so each library builds and tests alone."""
    for name in tree.text:
        mine = tree.layer(name)
        for line, kind, target in tree.includes(name):
            if kind != '"' or target not in tree.text:
                continue
            theirs = tree.layer(target)
            if theirs not in MAY_INCLUDE[mine]:
                yield name, line, f'{mine} file includes "{target}" ({theirs})'


def rule_folder_order(tree):
    """A folder includes only its own layer and those below it (printer and
    base, port, profile, the subsystems, the CLI and the dialog kit, the
    subsystems' dialogs, the application), so the layers show in the tree
    and no two folders need each other."""
    for name in tree.text:
        mine = folder_of(name)
        if mine not in FOLDER_RANK:
            yield name, 1, f"folder {mine}/ has no place in FOLDER_LAYERS"
            continue
        for line, kind, target in tree.includes(name):
            if kind != '"' or target not in tree.text:
                continue
            theirs = folder_of(target)
            if FOLDER_RANK.get(theirs, len(FOLDER_LAYERS)) > FOLDER_RANK[mine]:
                yield name, line, f'{mine}/ includes "{target}" from the higher {theirs}/'


def rule_errno_words(tree):
    """A port's error code is turned into words once, in the port layer
    (port/FailureLine.h, port/PortFailures.h): code that talks to ports takes
    those words or the typed reason, so the GUI and the CLI say the same."""
    for name, text in tree.text.items():
        if name.startswith("port/"):
            continue
        if not any(kind == '"' and target.startswith("port/") for _, kind, target in tree.includes(name)):
            continue
        code = strip_comments(text)
        for match in ERRNO_WORDS.finditer(code):
            yield name, code.count("\n", 0, match.start()) + 1, match.group(0).strip()


RULES = [
    ("printer command bytes outside printer/ and the codecs", rule_command_bytes),
    ("QtWidgets outside ui/", rule_widgets_in_ui),
    ("include of a higher layer", rule_layer_order),
    ("include of a higher folder", rule_folder_order),
    ("error code worded outside the port layer", rule_errno_words),
]


def main(argv):
    root = pathlib.Path(argv[1] if len(argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    if not (root / "src").is_dir():
        print(f"source-check: no src/ under {root}", file=sys.stderr)
        return 2
    tree = Tree(root)
    broken = 0
    for title, rule in RULES:
        found = list(rule(tree))
        if not found:
            continue
        broken += len(found)
        print(f"RULE BROKEN: {title}")
        print("  why: " + " ".join(rule.__doc__.split()))
        for name, line, what in found:
            print(f"  src/{name}:{line}: {what}")
    if broken:
        print(f"source-check: {broken} finding(s)")
        return 1
    print(f"source-check: {len(tree.files)} files, {len(RULES)} rules, all kept")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
