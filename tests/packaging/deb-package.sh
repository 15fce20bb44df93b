#!/usr/bin/env bash
# `make package`: the .deb's control fields (dependencies found from the
# binaries by dpkg-shlibdeps), its contents, its programs run unpacked, and
# lintian's verdict: no errors, no warnings (its output is printed).
# usage: deb-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (make deps installs it)"; exit 1; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/korvatool_*.deb)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
field() { dpkg-deb -f "$deb" "$1"; }

[ "$(field Package)" = korvatool ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version), not $version"
[[ "$(field Maintainer)" == *"<"*"@"*">" ]] || fail "maintainer '$(field Maintainer)'"
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "no long description: $description"
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6network6; do
  [[ "$depends" == *"$library "* || "$depends" == *"$library," || "$depends" == *"$library" ]] ||
    fail "Depends lacks $library: $depends"
done
contents=$(dpkg-deb -c "$deb")
for path in usr/bin/korvatool usr/bin/korva usr/bin/korva-sim usr/lib/udev/rules.d/70-korva.rules \
            usr/share/applications/org.korvatool.KorvaTool.desktop usr/share/korvatool/help/Setup.html; do
  grep -q " \./$path\$" <<<"$contents" || fail "$path is not in the package"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q postinst || fail "no postinst to reload the udev rules"

for path in usr/share/doc/korvatool/copyright usr/share/doc/korvatool/changelog.gz \
            usr/share/man/man1/korva.1.gz usr/share/man/man1/korvatool.1.gz usr/share/man/man1/korva-sim.1.gz \
            usr/share/ansible/collections/ansible_collections/korva/printers/plugins/modules/printer_settings.py; do
  grep -q " \./$path\$" <<<"$contents" || fail "$path is not in the package"
done

dpkg-deb -x "$deb" "$out/root"
"$out/root/usr/bin/korva" --help >/dev/null || fail "the packaged korva does not run"
# Installed programs find their libraries where the system keeps them, and
# carry no symbols or compiler notes.
for program in korvatool korva korva-sim; do
  sections=$(readelf -S --wide "$out/root/usr/bin/$program")
  readelf -d "$out/root/usr/bin/$program" | grep -E 'RPATH|RUNPATH' && fail "$program has a RUNPATH"
  grep -qE ' \.(symtab|comment|debug_info) ' <<<"$sections" && fail "$program is not stripped"
done

if command -v lintian >/dev/null; then
  lintian_status=0
  lintian_out=$(lintian --display-info --fail-on error,warning "$deb" 2>&1) || lintian_status=$?
  echo "lintian $(lintian --version | awk '{print $2}') on $(basename "$deb"):"
  sed 's/^/  /' <<<"${lintian_out:-(nothing to report)}"
  [ "$lintian_status" -eq 0 ] || fail "lintian reports errors or warnings (exit $lintian_status)"
else
  echo "note: lintian is not installed, the package was not checked against Debian policy (make deps installs it)"
fi

[ "$failures" -eq 0 ] && echo "package ok: $(basename "$deb")"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"
