# Shared steps of the end-to-end runs: sourced by each run's script.
# Provides fail, a temporary run folder ($work, removed on exit), starting
# the production in it ($pid, $window) and waiting for it to end ($status).

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if [ -z "${DISPLAY:-}" ]; then
  echo "FAIL: no display; run under xvfb-run"
  exit 1
fi

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT

# start_production <binary>: starts it in $work with the dummy audio driver,
# console in out.txt and error stream in err.txt, and finds its window.
start_production() {
  cd "$work" || exit 1
  SDL_AUDIODRIVER=dummy "$1" >out.txt 2>err.txt &
  pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
  if [ -z "$window" ]; then
    fail "no window appeared"
    cat out.txt err.txt
    exit 1
  fi
}

# press_escape: focuses the window and taps Escape.
press_escape() {
  xdotool mousemove --window "$window" 20 20
  xdotool windowfocus "$window" 2>/dev/null
  xdotool key Escape
}

# wait_for_exit <what ended it>: waits up to 30 s; sets $status.
wait_for_exit() {
  for _ in $(seq 60); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "still running 30 s after the $1"
    kill -9 "$pid"
  fi
  wait "$pid"
  status=$?
  pid=
  [ "$status" -eq 0 ] || fail "exit code $status"
}
