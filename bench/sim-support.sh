# Sourced by the bench scripts that talk to korva-sim: `bin` (the programs),
# `work` (a scratch folder removed on exit, with the simulator), and
# StartSim OPTIONS... (returns once the simulator says "ready"; its words are
# in $work/sim.out); StopSim ends it, so the next StartSim begins afresh.
bin=$(cd "${1:-build/bin}" && pwd)
work=$(mktemp -d)
sim_pid=""
StopSim() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  sim_pid=""
}
cleanup() {
  StopSim
  rm -rf "$work"
}
trap cleanup EXIT

StartSim() {
  "$bin/korva-sim" "$@" > "$work/sim.out" 2> "$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 1 100); do grep -q '^ready' "$work/sim.out" 2>/dev/null && return 0; sleep 0.1; done
  echo "korva-sim did not start"; cat "$work/sim.err"; exit 1
}
