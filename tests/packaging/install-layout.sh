#!/usr/bin/env bash
# `make install` into a temporary DESTDIR: every file where a desktop, udev,
# man and bash expect it, each checked by its own validator, and the
# installed programs run from there. Then `make uninstall`, which must leave
# the staging directory as it found it: a file and the directories that were
# there before stay, nothing else does.
# usage: install-layout.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
id=org.korvatool.KorvaTool
for tool in desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (make deps installs it)"; exit 1; }
done

stage=$(mktemp -d)
record=$(mktemp -d)
trap 'rm -rf "$stage" "$record"' EXIT
mkdir -p "$stage/usr/bin"
echo "another program" >"$stage/usr/bin/another-program"
before=$(cd "$stage" && find . | sort)
# The layout is checked here, not whether the build is older than the sources.
export KORVA_INSTALL_RECORD=$record KORVA_INSTALL_ANY_AGE=1
DESTDIR=$stage "$source/scripts/install.sh" "$build" /usr korvatool korva korva-sim >"$record/log" 2>&1 ||
  { cat "$record/log"; exit 1; }
root=$stage/usr
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for program in korvatool korva korva-sim; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is not installed"
done
diff -r "$source/help" "$root/share/korvatool/help" >/dev/null || fail "share/korvatool/help differs from help/"

desktop=$root/share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$root/bin/${exec_line%% *}" ] || fail "the desktop entry starts '$exec_line', which is not installed"

out=$(appstreamcli validate --no-net "$root/share/metainfo/$id.metainfo.xml" 2>&1) || fail "appstreamcli: $out"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo does not launch $id.desktop"

# PNG sizes from the image header: width and height at bytes 16-23.
[ -f "$root/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
pngs=0
for png in "$root"/share/icons/hicolor/*x*/apps/$id.png; do
  [ -f "$png" ] || continue
  folder=$(basename "$(dirname "$(dirname "$png")")")
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  size="$(( (w0 << 24) | (w1 << 16) | (w2 << 8) | w3 ))x$(( (h0 << 24) | (h1 << 16) | (h2 << 8) | h3 ))"
  [ "$size" = "$folder" ] || fail "icon in $folder is $size"
  pngs=$((pngs + 1))
done
[ "$pngs" -ge 4 ] || fail "only $pngs PNG icon sizes"

rule=$root/lib/udev/rules.d/70-korva.rules
grep -E '^SUBSYSTEM=="usbmisc".*ATTRS\{idVendor\}=="7f3d".*GROUP="lp".*TAG\+="uaccess"' "$rule" >/dev/null ||
  fail "70-korva.rules does not give KORVA printers to the seat's user and group lp"

for page in korva korvatool korva-sim; do
  man_file=$root/share/man/man1/$page.1.gz
  if [ ! -f "$man_file" ]; then
    fail "no man page $page(1) compressed"
    continue
  fi
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man_file" 2>&1 >/dev/null) ||
    fail "man -l $page.1 failed"
  [ -z "$warnings" ] || fail "man -l $page.1 warns: $warnings"
done
[ -f "$root/share/bash-completion/completions/korva" ] || fail "no bash completion for korva"
[ -f "$root/share/zsh/vendor-completions/_korva" ] || fail "no zsh completion for korva"
[ -f "$root/share/fish/vendor_completions.d/korva.fish" ] || fail "no fish completion for korva"

# The Ansible collection where Ansible looks for the system's collections, and
# ansible-doc finds it there (no bytecode written, so uninstall leaves nothing).
collections=$root/share/ansible/collections
for path in galaxy.yml meta/runtime.yml plugins/modules/printer_settings.py plugins/inventory/printers.py \
            plugins/module_utils/korva_report.py plugins/doc_fragments/connection.py; do
  [ -f "$collections/ansible_collections/korva/printers/$path" ] || fail "the Ansible collection lacks $path"
done
if command -v ansible-doc >/dev/null; then
  PYTHONDONTWRITEBYTECODE=1 ANSIBLE_COLLECTIONS_PATH=$collections ANSIBLE_LOCAL_TEMP=$record/ansible \
    ansible-doc korva.printers.printer_settings >/dev/null 2>"$record/ansible-doc.err" ||
    fail "ansible-doc does not find the installed collection: $(cat "$record/ansible-doc.err")"
fi

# The installed programs run from their new place.
"$root/bin/korva" --help >/dev/null || fail "installed korva --help failed"
"$root/bin/korva-sim" --help >/dev/null || fail "installed korva-sim --help failed"

grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$root/share/doc/korvatool/copyright" || fail "no machine-readable share/doc/korvatool/copyright"
zcat "$root/share/doc/korvatool/changelog.gz" | head -n 1 | grep -q "^korvatool (" ||
  fail "share/doc/korvatool/changelog.gz is not a changelog"

installed=$(find "$stage" -type f | wc -l)
"$source/scripts/uninstall.sh" "$build" >"$record/log" 2>&1 || fail "make uninstall: $(cat "$record/log")"
after=$(cd "$stage" && find . | sort)
[ "$after" = "$before" ] || fail "make uninstall left behind: $(comm -13 <(echo "$before") <(echo "$after") | xargs)"
[ "$(cat "$stage/usr/bin/another-program" 2>/dev/null)" = "another program" ] ||
  fail "make uninstall removed a file it did not install"
[ ! -e "$record/installed-files.txt" ] || fail "the install record is still there after make uninstall"

[ "$failures" -eq 0 ] && echo "install layout ok: $installed files, all removed again"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"
