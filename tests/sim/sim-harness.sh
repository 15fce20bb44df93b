# korva-sim from a shell script. Source this file, then:
#
#   sim_start [korva-sim options...]  starts the simulator with --state (and
#                                     everything given), waits for "ready" and sets
#                                     SIM_PID, SIM_DIR, SIM_STATE, SIM_SERIAL,
#                                     SIM_TCP_PORT, SIM_UDP_PORT
#   sim_state 'PYTHON EXPRESSION'     prints the expression evaluated on the state
#                                     (bound as `s`), e.g. sim_state 'len(s["nv_images"])'
#   sim_wait 'PYTHON CONDITION' [SECONDS]  waits until the condition holds on the state
#   sim_stop                          stops the simulator and removes SIM_DIR
#
# KORVA_BIN_DIR names the folder of korva-sim (default build/bin).

sim_start() {
  local bin=${KORVA_BIN_DIR:-build/bin}
  SIM_DIR=$(mktemp -d "${TMPDIR:-/tmp}/korva-sim.XXXXXX")
  SIM_STATE=$SIM_DIR/state.json
  mkfifo "$SIM_DIR/out"
  "$bin/korva-sim" --state "$SIM_STATE" "$@" > "$SIM_DIR/out" 2> "$SIM_DIR/err" &
  SIM_PID=$!
  exec {SIM_OUT_FD}< "$SIM_DIR/out"
  local line
  SIM_SERIAL= SIM_TCP_PORT= SIM_UDP_PORT=
  while IFS= read -r -t 10 line <&"$SIM_OUT_FD"; do
    case $line in
      serial=*) SIM_SERIAL=${line#serial=} ;;
      tcp=*) SIM_TCP_PORT=${line##*:} ;;
      udp=*) SIM_UDP_PORT=${line##*:} ;;
      ready) return 0 ;;
    esac
  done
  echo "korva-sim did not become ready: $(cat "$SIM_DIR/err")" >&2
  sim_stop
  return 1
}

sim_state() {
  python3 -c 'import json, sys; s = json.load(open(sys.argv[1])); print(eval(sys.argv[2]))' \
    "$SIM_STATE" "$1"
}

sim_wait() {
  local condition=$1 seconds=${2:-5} i
  for ((i = 0; i < seconds * 50; i++)); do
    [ "$(sim_state "bool($condition)" 2>/dev/null)" = True ] && return 0
    sleep 0.02
  done
  echo "sim_wait: still not true after ${seconds}s: $condition" >&2
  return 1
}

sim_stop() {
  if [ -n "${SIM_PID:-}" ]; then
    kill "$SIM_PID" 2>/dev/null
    wait "$SIM_PID" 2>/dev/null
    SIM_PID=
  fi
  if [ -n "${SIM_OUT_FD:-}" ]; then
    exec {SIM_OUT_FD}<&-
    SIM_OUT_FD=
  fi
  [ -n "${SIM_DIR:-}" ] && rm -rf "$SIM_DIR"
  SIM_DIR=
}
