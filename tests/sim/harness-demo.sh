#!/usr/bin/env bash
# Drives korva-sim through the shell harness the way an end-to-end script does:
# one logo over the pty, a printer-ID request over TCP, then checks the state.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/sim-harness.sh"
trap sim_stop EXIT

sim_start --serial --tcp 127.0.0.1:0
stty -F "$SIM_SERIAL" raw -echo 9600
# FS q, one 8 x 8 image, its 8 column bytes, then FS p 1 0.
printf '\x1c\x71\x01\x01\x00\x01\x00\xff\x81\x81\x81\x81\x81\x81\xff\x1c\x70\x01\x00' > "$SIM_SERIAL"
sim_wait 'len(s["printed"]) == 1'
[ "$(sim_state 's["nv_images"][0]["width"]')" = 8 ]

exec 3<>"/dev/tcp/127.0.0.1/$SIM_TCP_PORT"
printf '\x1d\x49\x01' >&3
id=$(head -c 1 <&3 | od -An -tx1 | tr -d ' ')
exec 3<&-
[ "$id" = 22 ]
sim_wait 'len(s["received"]) == 2'
echo "harness ok: printer id $id, $(sim_state 'len(s["nv_images"])') image(s)"
