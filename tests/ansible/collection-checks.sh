#!/usr/bin/env bash
# The collection as its users and Galaxy meet it: ansible-doc renders every
# plugin (documentation, examples, return values) without a warning; the
# offline tests of ansible-test sanity pass; ansible-galaxy builds the tarball.
# Skipped (77) where Ansible is not installed.
# usage: collection-checks.sh SOURCE_DIR
set -uo pipefail
source=$(cd "$1" && pwd)
collection=$source/ansible/ansible_collections/korva/printers
for tool in ansible-doc ansible-test ansible-galaxy; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed (make deps installs ansible-core)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work ANSIBLE_COLLECTIONS_PATH=$source/ansible ANSIBLE_NOCOLOR=1 ANSIBLE_LOCAL_TEMP=$work/tmp
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

plugins=(module:printer_info module:printer_settings module:printer_logos module:printer_firmware
         module:printer_network inventory:printers)
for plugin in "${plugins[@]}"; do
  type=${plugin%%:*} name=korva.printers.${plugin#*:}
  if ! ansible-doc -t "$type" "$name" >"$work/doc" 2>"$work/doc.err"; then
    fail "ansible-doc -t $type $name: $(cat "$work/doc.err")"
    continue
  fi
  [ ! -s "$work/doc.err" ] || fail "ansible-doc -t $type $name warns: $(cat "$work/doc.err")"
  for part in "${name^^}" "OPTIONS" "EXAMPLES:"; do
    grep -q "$part" "$work/doc" || fail "ansible-doc -t $type $name shows no $part"
  done
  [ "$type" = inventory ] || grep -q "RETURN VALUES:" "$work/doc" || fail "ansible-doc $name shows no RETURN VALUES"
done
listed=$(ansible-doc -t module -l korva.printers 2>/dev/null | awk '{print $1}' | sort | xargs)
[ "$listed" = "korva.printers.printer_firmware korva.printers.printer_info korva.printers.printer_logos korva.printers.printer_network korva.printers.printer_settings" ] ||
  fail "ansible-doc -l korva.printers lists: $listed"

# ansible-test runs on a copy: it writes its results into the collection.
# The tests left out need packages from PyPI in a virtual environment of
# their own (pylint, pycodestyle, voluptuous, yamllint), which Debian's
# ansible-core cannot fetch offline.
copy=$work/sanity/ansible_collections/korva/printers
mkdir -p "$copy" && cp -r "$collection/." "$copy/"
offline_tests=(action-plugin-docs changelog compile empty-init future-import-boilerplate ignores
               line-endings metaclass-boilerplate no-assert no-basestring no-dict-iteritems
               no-dict-iterkeys no-dict-itervalues no-get-exception no-illegal-filenames
               no-main-display no-smart-quotes no-unicode-literals replace-urlopen shebang
               symlinks use-argspec-type-path use-compat-six)
python=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])')
if (cd "$copy" && ansible-test sanity --python "$python" "${offline_tests[@]/#/--test=}" >"$work/sanity.log" 2>&1); then
  echo "ansible-test sanity passed: ${offline_tests[*]}"
else
  fail "ansible-test sanity: $(grep -v 'locale' "$work/sanity.log")"
fi

ansible-galaxy collection build "$collection" --output-path "$work/dist" >"$work/build" 2>&1 ||
  fail "ansible-galaxy collection build: $(cat "$work/build")"
tarball=$(ls "$work"/dist/korva-printers-*.tar.gz 2>/dev/null)
if [ -n "$tarball" ]; then
  contents=$(tar -tzf "$tarball")
  for path in MANIFEST.json FILES.json plugins/modules/printer_settings.py plugins/inventory/printers.py \
              plugins/module_utils/korva_report.py meta/runtime.yml; do
    grep -qx "$path" <<<"$contents" || fail "$path is not in $(basename "$tarball")"
  done
  grep -q '^tests/output' <<<"$contents" && fail "$(basename "$tarball") holds ansible-test's results"
fi

[ "$failures" -eq 0 ] && echo "collection ok: ansible-doc, ansible-test sanity, ansible-galaxy build"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"
