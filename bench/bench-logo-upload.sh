#!/usr/bin/env bash
# Uploads a logo list that fills the 384 KB of NV graphics memory to
# korva-sim over a pty read at 115200 baud 8N1, and prints the measured time
# against the floor the protocol itself sets: the bytes at the line rate, the
# 3.5 s erase wait and the 10 ms pauses after every chunk and between images.
# Target: at most 3 % above the floor.
set -euo pipefail
. "$(dirname "$0")/sim-support.sh"

# 8 logos of 512 x 768 dots, 49,152 bytes each: 393,216 bytes = 384 KB.
logos=8 width=512 height=768
le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
pixels=$((width / 8 * height))
files=()
for i in $(seq 1 $logos); do
  f="$work/logo$i.bmp"
  {
    printf 'BM'; le32 $((62 + pixels)); le32 0; le32 62                   # file header
    le32 40; le32 $width; le32 $height; le16 1; le16 1; le32 0            # info header, 1 bit
    le32 $pixels; le32 2835; le32 2835; le32 2; le32 0
    printf '\x00\x00\x00\x00\xff\xff\xff\x00'                             # black, white
    head -c $pixels /dev/urandom                                           # random dots
  } > "$f"
  files+=("$f")
done

StartSim --serial --line-rate 115200 --record-limit 64 --state "$work/state.json"
pty=$(sed -n 's/^serial=//p' "$work/sim.out")

start=$(date +%s.%N)
"$bin/korva" logo upload --port "$pty" --baud 115200 --flow none "${files[@]}" 2> "$work/korva.err" || {
  echo "upload failed:"; cat "$work/korva.err"; exit 1; }

# Done when the simulator has taken in the last byte (its state file is
# rewritten within 20 ms of a change): bytes still in the pty buffer when
# korva exits count too. (--record-limit keeps the state file small, so
# rewriting it never holds up the simulated line.)
nv_used() { grep -o '"nv_used": *[0-9]*' "$work/state.json" 2>/dev/null | grep -o '[0-9]*$' || echo 0; }
for _ in $(seq 1 1000); do
  [ "$(nv_used)" -eq 393216 ] && break
  sleep 0.01
done
end=$(date +%s.%N)
stored=$(nv_used)

awk -v start="$start" -v end="$end" -v logos=$logos -v image=$((width / 8 * height)) \
    -v stored="$stored" 'BEGIN {
  chunks = int(image / 512) + 1                  # whole chunks, then the (maybe empty) rest
  bytes = 3 + 2 + 3 + logos * (4 + image)        # GS I 1, ESC @, FS q n, headers + rasters
  line = bytes * 10 / 115200                     # 8N1: ten bit times a byte
  pauses = (1 + logos * (chunks + 1)) * 0.010    # after the erase, each chunk, each image
  floor = line + 3.5 + pauses
  measured = end - start
  printf "logo upload, %d logos, %d bytes to the printer at 115200 8N1\n", logos, bytes
  printf "  NV bytes stored by the simulator: %d of 393216\n", stored
  printf "  floor: %.3f s (line %.3f s + erase 3.500 s + pauses %.3f s)\n", floor, line, pauses
  printf "  measured: %.3f s, %+.2f %% against the floor (target <= 3 %% above)\n", measured, (measured / floor - 1) * 100
  if (measured < floor)
    print "  (below the floor: a pty takes bytes ahead of the simulated line, so some pauses overlap it)"
  if (stored != 393216) { print "  FAIL: the simulator does not hold the whole list"; exit 1 }
}'
