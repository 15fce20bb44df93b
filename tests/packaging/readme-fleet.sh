#!/usr/bin/env bash
# The README's fleet example, its xargs lines run exactly as printed against
# two simulated Ethernet printers on loopback, one of which hangs up halfway:
# a line per printer, a JSON result each, and xargs's exit status 123.
# usage: readme-fleet.sh BIN_DIR SOURCE_DIR
set -uo pipefail
bin=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
export PATH=$bin:$PATH

# The lines from "mkdir -p results" to the one reading printers.txt.
example=$(awk '/^mkdir -p results$/ { on = 1 } on { print } on && /< printers.txt$/ { exit }' "$source/README.md")
grep -q 'xargs' <<<"$example" || { echo "FAIL: no xargs fleet example in README.md"; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Two small logos: 24-bit bitmaps with a black disc on white.
python3 - <<'PY'
import struct
for name, (w, h) in (("logo1.bmp", (96, 48)), ("logo2.bmp", (64, 64))):
    stride = (w * 3 + 3) & ~3
    rows = b""
    for y in range(h):
        row = b"".join(b"\0\0\0" if (x - w / 2) ** 2 + (y - h / 2) ** 2 < (min(w, h) / 2 - 4) ** 2
                       else b"\xff\xff\xff" for x in range(w))
        rows += row + b"\0" * (stride - w * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    open(name, "wb").write(header + info + rows)
PY

# Two printers on addresses of their own, both at the default TCP port the
# example relies on; the second drops the connection after 200 bytes.
net=127.$((RANDOM % 200 + 20)).$((RANDOM % 250 + 1))
good=$net.1
bad=$net.2
start_printer() {
  local address=$1
  shift
  "$bin/korva-sim" --tcp "$address:6001" --state "$work/$address.state" "$@" >"$work/$address.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do
    grep -q '^ready' "$work/$address.out" && return 0
    sleep 0.05
  done
  echo "FAIL: korva-sim on $address:6001 did not start: $(cat "$work/$address.out")"
  exit 1
}
start_printer "$good"
start_printer "$bad" --disconnect-after-bytes 200

run_example() {
  printf '%s\n' "$@" >printers.txt
  rm -rf results
  output=$(sh -c "$example" 2>"$work/stderr")
  status=$?
}

run_example "$good" "$bad"
[ "$status" -eq 123 ] || fail "xargs exited $status with one printer failing, not 123"
[ "$(sort <<<"$output")" = "$(printf '%s exit 0\n%s exit 1' "$good" "$bad")" ] ||
  fail "the lines printed: '$output'"
grep -q '"outcome":"done"' "results/$good.json" || fail "$good: $(cat "results/$good.json")"
grep -q '"outcome":"failed"' "results/$bad.json" || fail "$bad: $(cat "results/$bad.json")"

# The bytes a printer has received, over all its connections.
received() {
  python3 -c 'import json, sys; s = json.load(open(sys.argv[1])); print(sum(c["byte_count"] for c in s["received"]))' "$1"
}
before=$(received "$work/$good.state")
run_example "$good"
[ "$status" -eq 0 ] || fail "xargs exited $status with every printer done: $output $(cat "$work/stderr")"
# The second run converges: the printer took the set already and is sent nothing.
grep -q '"changed":false' "results/$good.json" || fail "second run on $good: $(cat "results/$good.json")"
grep -q "\"ip\":\"$good\"" "results/$good.json" || fail "no target.ip in $(cat "results/$good.json")"
[ "$(received "$work/$good.state")" = "$before" ] || fail "the second run sent $good bytes again"

[ "$failures" -eq 0 ] && echo "fleet example ok"
exit "$([ "$failures" -eq 0 ] && echo 0 || echo 1)"
