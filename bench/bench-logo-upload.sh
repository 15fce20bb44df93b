#!/usr/bin/env bash
# Uploads logo lists to korva-sim and prints each measured time against the
# floor the protocol itself sets: the erase wait (3.5 s, 5 s over Ethernet),
# then the bytes at the line rate (none over TCP) or the 10 ms pauses after
# every chunk and between images, whichever is longer. Over a pty read at the
# rate korva sets on it (115200 and 9600 baud 8N1), and over loopback TCP at
# three sizes. Target: at most 3 % above the floor.
set -euo pipefail
. "$(dirname "$0")/sim-support.sh"

le16() { printf "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }

# WriteLogos COUNT HEIGHT: COUNT 1-bit BMPs of 512 x HEIGHT random dots in $work.
WriteLogos() {
  local count=$1 height=$2 pixels=$((512 / 8 * $2)) i
  files=()
  for i in $(seq 1 "$count"); do
    local f="$work/logo$i.bmp"
    {
      printf 'BM'; le32 $((62 + pixels)); le32 0; le32 62                # file header
      le32 40; le32 512; le32 "$height"; le16 1; le16 1; le32 0          # info header, 1 bit
      le32 $pixels; le32 2835; le32 2835; le32 2; le32 0
      printf '\x00\x00\x00\x00\xff\xff\xff\x00'                          # black, white
      head -c $pixels /dev/urandom                                        # random dots
    } > "$f"
    files+=("$f")
  done
}

# Upload LINK COUNT HEIGHT: LINK is a baud rate (the pty, read at the rate korva sets)
# or "tcp". Prints the figures and fails when the simulator lacks the list.
Upload() {
  local link=$1 count=$2 height=$3
  local image=$((512 / 8 * height))
  WriteLogos "$count" "$height"
  rm -f "$work/state.json"
  if [ "$link" = tcp ]; then
    # korva asks the printer's address for its MAC first: the simulator
    # answers that search on loopback, to a free port korva listens on.
    local listen; listen=$(/usr/bin/python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    StartSim --tcp 127.0.0.1:0 --udp 127.0.0.1:0 --udp-reply-port "$listen" --record-limit 64 --state "$work/state.json"
    local port; port=$(sed -n 's/^tcp=.*://p' "$work/sim.out")
    local udp; udp=$(sed -n 's/^udp=.*://p' "$work/sim.out")
    set -- --port ETHERNET_II --ip 127.0.0.1 --tcp-port "$port" --udp-port "$udp" --listen-port "$listen"
  else
    # The simulated line reads at the rate korva sets on the pty (--baud).
    StartSim --serial --line-rate tty --record-limit 64 --state "$work/state.json"
    set -- --port "$(sed -n 's/^serial=//p' "$work/sim.out")" --baud "$link" --flow none
  fi
  local start end
  start=$(date +%s.%N)
  "$bin/korva" logo upload "$@" "${files[@]}" 2> "$work/korva.err" || {
    echo "upload failed:"; cat "$work/korva.err"; exit 1; }
  # Done when the simulator has taken in the last byte (its state file is
  # rewritten within 20 ms of a change): bytes still in the pty buffer when
  # korva exits count too. (--record-limit keeps the state file small, so
  # rewriting it never holds up the simulated line.)
  local total=$((count * image))
  nv_used() { grep -o '"nv_used": *[0-9]*' "$work/state.json" 2>/dev/null | grep -o '[0-9]*$' || echo 0; }
  for _ in $(seq 1 1000); do
    [ "$(nv_used)" -eq $total ] && break
    sleep 0.01
  done
  end=$(date +%s.%N)
  local stored; stored=$(nv_used)
  StopSim
  awk -v start="$start" -v end="$end" -v logos="$count" -v image=$image -v stored="$stored" \
      -v total=$total -v link="$link" 'BEGIN {
    chunks = int(image / 512) + 1                  # whole chunks, then the (maybe empty) rest
    tcp = link == "tcp"
    bytes = 3 + (tcp ? 0 : 2) + 3 + logos * (4 + image)  # GS I 1, ESC @ (not over TCP), FS q n, images
    line = tcp ? 0 : bytes * 10 / link             # 8N1: ten bit times a byte
    erase = tcp ? 5.0 : 3.5
    pauses = (1 + logos * (chunks + 1)) * 0.010    # after the erase, each chunk, each image
    # The pauses pass while the line still carries the bytes written before
    # them (the pty and the driver hold them), so a serial floor is the
    # longer of the two, not their sum.
    floor = erase + (line > pauses ? line : pauses)
    measured = end - start
    printf "logo upload over %s, %d logos, %d bytes (%d KB)\n", tcp ? "TCP" : "a pty at " link " 8N1", logos, bytes, total / 1024
    printf "  floor: %.3f s (erase %.3f s + the longer of line %.3f s and pauses %.3f s)\n", floor, erase, line, pauses
    printf "  measured: %.3f s, %+.2f %% against the floor (target <= 3 %% above)\n", measured, (measured / floor - 1) * 100
    if (stored != total) { printf "  FAIL: the simulator holds %d of %d NV bytes\n", stored, total; exit 1 }
  }'
}

Upload 115200 8 768   # 384 KB, the whole NV graphics memory
Upload 9600 1 96      # 6 KB: a slow line
Upload tcp 1 96       # 6 KB
Upload tcp 4 768      # 192 KB
Upload tcp 8 768      # 384 KB
