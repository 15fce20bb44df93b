#!/usr/bin/env bash
# `make install` into a temporary DESTDIR: every file where a desktop, udev,
# man and bash expect it, each checked by its own validator, and the
# installed programs run from there.
# usage: install-layout.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
id=org.korvatool.KorvaTool
for tool in desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (make deps installs it)"; exit 1; }
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$stage.log" 2>&1 || { cat "$stage.log"; rm -f "$stage.log"; exit 1; }
rm -f "$stage.log"
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
  man_file=$root/share/man/man1/$page.1
  if [ ! -f "$man_file" ] && [ ! -f "$man_file.gz" ]; then
    fail "no man page $page(1)"
    continue
  fi
  [ -f "$man_file" ] || man_file=$man_file.gz
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man_file" 2>&1 >/dev/null) ||
    fail "man -l $page.1 failed"
  [ -z "$warnings" ] || fail "man -l $page.1 warns: $warnings"
done
[ -f "$root/share/bash-completion/completions/korva" ] || fail "no bash completion for korva"


# The installed programs run from their new place.
"$root/bin/korva" --help >/dev/null || fail "installed korva --help failed"
"$root/bin/korva-sim" --help >/dev/null || fail "installed korva-sim --help failed"

[ "$failures" -eq 0 ] && echo "install layout ok: $(find "$stage" -type f | wc -l) files"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"
