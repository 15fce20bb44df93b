#!/usr/bin/env bash
# Starts a simulated printer on a pty (and TCP 127.0.0.1:6001) and KorvaTool
# beside it. The pty's path is offered in the connection dialog's port list
# for the serial models; an Ethernet model reaches the printer at 127.0.0.1.
set -euo pipefail
bin=${1:-build/bin}
[ -d "$bin" ] && bin=$(cd "$bin" && pwd)

if [ ! -x "$bin/korvatool" ]; then
  echo "run-demo: $bin/korvatool is missing; build first (make)" >&2
  exit 1
fi

if [ ! -x "$bin/korva-sim" ]; then
  echo "run-demo: $bin/korva-sim is not built; starting KorvaTool without a simulated printer" >&2
  exec "$bin/korvatool"
fi

state_dir=$(mktemp -d /tmp/korva-demo.XXXXXX)
# KorvaTool runs in the demo folder in portable mode (a profile there), so the
# demo leaves the user's own profile and log alone.
: > "$state_dir/KorvaTool.INI"
cd "$state_dir"
link="$state_dir/ttyKORVA"
# The network setting's datagrams go to the simulator on loopback (UDP 2919,
# answers to 2918) instead of the broadcast, which never reaches loopback.
"$bin/korva-sim" --serial --serial-link "$link" --tcp 127.0.0.1:6001 \
  --udp 127.0.0.1:2919 --udp-reply-port 2918 \
  --state "$state_dir/state.json" --paper "$state_dir/paper.png" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do
  [ -e "$link" ] && break
  if ! kill -0 "$sim" 2>/dev/null; then
    echo "run-demo: korva-sim stopped; starting KorvaTool without it" >&2
    KORVA_SIM_PORT= "$bin/korvatool"
    exit
  fi
  sleep 0.1
done
echo "Simulated printer: serial $link, TCP 127.0.0.1:6001, UDP 127.0.0.1:2919; state, profile and log in $state_dir"
KORVA_SIM_PORT="$link" KORVA_NETCFG_DEST=127.0.0.1:2919 "$bin/korvatool"
