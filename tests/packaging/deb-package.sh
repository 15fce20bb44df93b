#!/usr/bin/env bash
# `make package`: the .deb's control fields (dependencies found from the
# binaries by dpkg-shlibdeps), its contents, and its programs run unpacked.
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

dpkg-deb -x "$deb" "$out/root"
"$out/root/usr/bin/korva" --help >/dev/null || fail "the packaged korva does not run"

[ "$failures" -eq 0 ] && echo "package ok: $(basename "$deb")"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"
