#!/usr/bin/env python3
"""The man pages name the same options as the programs' --help.

Both lists are read, never written down here: the commands from
`korva --help`, each command's options from its usage lines and option
lines, and from the man page the tags (.TP) of the command's own section,
plus COMMON OPTIONS, plus CONNECTION OPTIONS where the section says it takes
them. An
option added to or dropped from a program without its man page fails here.

usage: man-options.py BIN_DIR MAN_DIR
"""
import re
import subprocess
import sys
from pathlib import Path

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")
# Every program and command takes these; the texts need not list them.
UNIVERSAL = {"--help", "-h"}


def run(*args):
    done = subprocess.run(args, capture_output=True, text=True, timeout=30)
    return done.stdout + done.stderr


def help_options(text):
    """Options of a help text: its usage lines and the tags of its option lines."""
    found, in_usage = set(), False
    for line in text.splitlines():
        if line.lower().startswith("usage:"):
            in_usage = True
        elif not (in_usage and line[:1].isspace()):
            in_usage = False
        if in_usage:
            found |= set(OPTION.findall(line))
        elif re.match(r"\s+-", line):
            tag = re.split(r"\s{2,}", line.strip())[0]
            found |= set(OPTION.findall(tag))
    return found


def commands(text):
    """The commands `korva --help` lists: "  logo upload    store ..." lines."""
    names = []
    for line in text.splitlines():
        match = re.match(r"^  ([a-z][a-z-]*(?: [a-z][a-z-]*)*)\s{2,}\S", line)
        if match:
            names.append(match.group(1))
    return names


def plain(troff):
    """Man source without font changes and escapes: "\\fB\\-\\-port\\fR" -> "--port"."""
    text = re.sub(r"\\f[BIRP]|\\f\(..|\\&|\\c", "", troff)
    return text.replace("\\-", "-").replace("\\(em", " ").replace('"', " ")


def sections(troff):
    """Each .SH/.SS heading with the lines under it, up to the next heading."""
    parts, name = {}, ""
    for line in troff.splitlines():
        heading = re.match(r"^\.S[HS]\s+(.*)$", line)
        if heading:
            name = heading.group(1).strip().strip('"')
            parts[name] = []
        else:
            parts.setdefault(name, []).append(line)
    return parts


def tag_options(lines):
    """Options in the tag lines of .TP paragraphs."""
    found = set()
    for previous, line in zip(lines, lines[1:]):
        if previous.startswith(".TP"):
            found |= set(OPTION.findall(plain(line)))
    return found


def compare(what, in_help, in_man, failures):
    in_help, in_man = in_help - UNIVERSAL, in_man - UNIVERSAL
    if in_help != in_man:
        missing, extra = sorted(in_help - in_man), sorted(in_man - in_help)
        failures.append(f"{what}: not in the man page {missing}, only in the man page {extra}")


def main(bin_dir, man_dir):
    failures = []
    bin_dir, man_dir = Path(bin_dir), Path(man_dir)

    korva_man = sections((man_dir / "korva.1").read_text())
    connection = tag_options(korva_man.get("CONNECTION OPTIONS", []))
    common = tag_options(korva_man.get("COMMON OPTIONS", []))
    top = run(bin_dir / "korva", "--help")
    compare("korva", help_options(top) - common, tag_options(korva_man.get("OPTIONS", [])), failures)
    names = commands(top)
    if len(names) < 10:
        failures.append(f"korva --help lists only {names}")
    for name in names:
        section = korva_man.get(f"korva {name}")
        if section is None:
            failures.append(f"korva.1 has no section .SS \"korva {name}\"")
            continue
        in_man = tag_options(section) | common
        if "connection options" in plain("\n".join(section)):
            in_man |= connection
        compare(f"korva {name}", help_options(run(bin_dir / "korva", *name.split(), "--help")), in_man,
                failures)
    documented = {n[len("korva "):] for n in korva_man if n.startswith("korva ")}
    for gone in sorted(documented - set(names)):
        failures.append(f"korva.1 describes 'korva {gone}', which korva --help does not list")

    sim_man = sections((man_dir / "korva-sim.1").read_text())
    sim_options = set()
    for lines in sim_man.values():
        sim_options |= tag_options(lines)
    compare("korva-sim", help_options(run(bin_dir / "korva-sim", "--help")), sim_options, failures)

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"man pages ok: korva ({len(names)} commands), korva-sim")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
