#!/usr/bin/python3
"""scripts/source-check.py against planted faults: each row plants one line
in a copy of src/ and says whether the check must refuse it, and by which
rule. The tree itself is never touched.

usage: source_check_test.py SOURCE_ROOT
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

# (file, planted line, rule that must name it, or None when the line is allowed)
ROWS = [
    ("logo/ui/Page5Setup.cpp", "static const unsigned char kPlanted[] = {0x1D, 0x49, 0x01};",
     "printer command bytes outside printer/ and the codecs"),
    ("port/ReceiptCheck.cpp", "static const unsigned char kPlanted[] = {0x1b, 0x40};",
     "printer command bytes outside printer/ and the codecs"),
    ("port/ByteStream.cpp", "#include <QMessageBox>", "QtWidgets outside ui/"),
    ("usersetup/SetupSession.cpp", "#include <QtWidgets/QDialog>", "QtWidgets outside ui/"),
    ("cli/SendCommand.cpp", '#include "usersetup/ui/UserSetupDlg.h"', "include of a higher layer"),
    ("logo/NvDefinition.cpp", '#include "port/Ports.h"', "include of a higher layer"),
    ("port/PortKind.cpp", '#include "logo/NvUpload.h"', "include of a higher layer"),
    ("cli/SendCommand.cpp", '#include "app/TypedPort.h"', "include of a higher layer"),
    ("port/Ports.cpp", '#include "profile/IniProfile.h"', "include of a higher folder"),
    ("profile/IniProfile.cpp", '#include "usersetup/SettingsFile.h"', "include of a higher folder"),
    ("ui/NetAddress.cpp", '#include "netcfg/ui/NetSetting.h"', "include of a higher folder"),
    ("logo/ui/Page4Print.cpp", '#include "app/ui/MenuDlg.h"', "include of a higher folder"),
    ("cli/SendCommand.cpp", 'static const char* kPlanted = strerror(5);',
     "error code worded outside the port layer"),
    ("app/ui/ConnectDlg.cpp", 'static std::string Planted(int e) { return std::strerror(e); }',
     "error code worded outside the port layer"),
    # Allowed: a comment naming command bytes, bytes inside a codec, the
    # port layer wording its own errors, a file that talks to no port, a
    # dialog using the shared kit, the CLI reading the profile.
    ("logo/ui/Page5Setup.cpp", "// sends {0x1D, 0x49, 0x01} through the engine", None),
    ("usersetup/SetupCommands.cpp", "static const unsigned char kPlanted[] = {0x1D, 0x49, 0x01};", None),
    ("port/Ports.cpp", 'static const char* kPlanted = strerror(5);', None),
    ("profile/IniFile.cpp", 'static const char* kPlanted = strerror(5);', None),
    ("logo/ui/Page5Setup.cpp", '#include "usersetup/SetupCommands.h"', None),
    ("logo/ui/Page4Print.cpp", '#include "ui/ElidedLabel.h"', None),
    ("cli/SendCommand.cpp", '#include "profile/IniProfile.h"', None),
]


def run_check(script, root):
    result = subprocess.run([sys.executable, str(script), str(root)], capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def main():
    source = pathlib.Path(sys.argv[1]).resolve()
    script = source / "scripts" / "source-check.py"
    failures = []
    code, said = run_check(script, source)
    if code != 0:
        failures.append(f"the tree itself breaks a rule:\n{said}")
    with tempfile.TemporaryDirectory() as temp:
        for file, line, rule in ROWS:
            root = pathlib.Path(temp) / "tree"
            shutil.rmtree(root, ignore_errors=True)
            shutil.copytree(source / "src", root / "src")
            target = root / "src" / file
            text = target.read_text()
            number = text.count("\n") + 1
            target.write_text(text + line + "\n")
            code, said = run_check(script, root)
            where = f"src/{file}:{number}:"
            if rule is None and code != 0:
                failures.append(f"{file}: allowed line refused: {line}\n{said}")
            elif rule is not None and (code != 1 or f"RULE BROKEN: {rule}" not in said or where not in said):
                failures.append(f"{file}: planted line not refused by '{rule}' at {where}: {line}\n"
                                f"exit {code}:\n{said}")
            elif rule is not None and "why: " not in said:
                failures.append(f"{file}: the broken rule does not say why:\n{said}")
    for failure in failures:
        print("FAIL: " + failure)
    print(f"{len(ROWS)} planted lines, {len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
