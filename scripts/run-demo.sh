#!/usr/bin/env bash
# Starts a simulated printer on a pty and KorvaTool beside it.
set -euo pipefail
bin=${1:-build/bin}
state_dir=$(mktemp -d /tmp/korva-demo.XXXXXX)
link="$state_dir/ttyKORVA"
"$bin/korva-sim" --serial --serial-link "$link" --tcp 127.0.0.1:6001 \
  --state "$state_dir/state.json" --paper "$state_dir/paper.png" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "Simulated printer: serial $link, TCP 127.0.0.1:6001; state in $state_dir"
KORVA_SIM_PORT="$link" "$bin/korvatool"
