#!/usr/bin/env bash
# End-to-end run of a live take and its replay, as a careless user and an
# attacker would try them:
#  - the take is on the disk while it plays (take.txt.part) and is kept
#    whole when the terminal closes (SIGHUP), on SIGTERM and SIGINT;
#  - killed (SIGKILL), the run leaves take.txt.part, which the next run
#    does not replace;
#  - a take that cannot be kept (no folder, a folder's name, a file that is
#    not a recording, a take.txt.part of a run that did not finish) is
#    refused with one line and exit code 2 before a window opens;
#  - a take that cannot be saved at the end exits 1;
#  - a replay of /dev/zero or of a pipe with no writer is refused at once,
#    and a recording with CRLF line ends is played.
# Usage: records.sh <strobewerk binary> <data folder>   (needs DISPLAY, xdotool)
set -u
binary=$1
data=$2
source "$(dirname "$0")/common.sh"

ln -s "$data" "$work/data"
printf 'fullscreen:0\nwidth:320\nheight:240\n' >"$work/res.conf"
cd "$work" || exit 1

# start <args...>: live play in the background; sets $pid and $window.
# (A background command of a script starts with SIGINT ignored: env puts
# back the default that a terminal's Ctrl-C finds.)
start() {
  SDL_AUDIODRIVER=dummy env --default-signal=INT "$binary" "$@" >out.txt 2>err.txt &
  pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -1)
  [ -n "$window" ] || { fail "no window appeared for $*"; cat out.txt err.txt; exit 1; }
}
# finish: waits up to 30 s for the run to end; sets $status.
finish() {
  for _ in $(seq 60); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  kill -0 "$pid" 2>/dev/null && { fail "still running 30 s on"; kill -9 "$pid"; }
  wait "$pid"
  status=$?
  pid=
}
# refused <expected code> <what> <args...>: a run that must stop at once
# (within 10 s, no window) with that exit code; its line is in $line.
refused() {
  local expected=$1 what=$2
  shift 2
  SDL_AUDIODRIVER=dummy timeout 10 "$binary" "$@" >ref.txt 2>&1
  local code=$?
  line=$(tail -1 ref.txt)
  [ "$code" -eq "$expected" ] || fail "$what: exit code $code, expected $expected ($line)"
  [ "$(wc -l <ref.txt)" -le 4 ] || fail "$what: more than one line after the start-up lines: $(cat ref.txt)"
}

# Fault 2: written as it plays, kept whole on every way of ending.
for signal in HUP TERM INT; do
  rm -f take.txt
  start --record-input take.txt
  sleep 2
  head -1 take.txt.part 2>/dev/null | grep -qx "strobewerk input 1" ||
    fail "SIG$signal: no take.txt.part holding a recording while it plays"
  kill -s "$signal" "$pid"
  finish
  [ "$status" -eq 0 ] || fail "SIG$signal: exit code $status, expected 0 (the take kept)"
  [ "$(head -1 take.txt 2>/dev/null)" = "strobewerk input 1" ] || fail "SIG$signal: no take.txt"
  [ -e take.txt.part ] && fail "SIG$signal: take.txt.part left behind"
  grep -qxF "input recorded: 0 changes in take.txt" out.txt || fail "SIG$signal: no line for the recording"
  [ -s err.txt ] && fail "SIG$signal: error stream: $(head -3 err.txt)"
done

# A kill: take.txt.part stays, and is not replaced by the next run.
rm -f take.txt
start --record-input take.txt
sleep 2
kill -9 "$pid"
wait "$pid" 2>/dev/null
pid=
[ "$(head -1 take.txt.part 2>/dev/null)" = "strobewerk input 1" ] || fail "SIGKILL: no take.txt.part left"
cp take.txt.part killed.txt
refused 2 "a take.txt.part of a killed run" --record-input take.txt
[ "$line" = "strobewerk: cannot record the input to \"take.txt\": take.txt.part holds a take of a run that did not finish: rename it to keep it, or remove it" ] ||
  fail "killed take: line '$line'"
cmp -s take.txt.part killed.txt || fail "the killed run's take.txt.part was changed"
rm -f take.txt.part

# Fault 3: a take that cannot be kept is refused before the window opens.
refused 2 "no folder" --record-input nowhere/take.txt
[ "$line" = "strobewerk: cannot record the input to \"nowhere/take.txt\": no folder nowhere" ] || fail "no folder: line '$line'"
mkdir -p takes
refused 2 "a folder's name" --record-input takes
[ "$line" = "strobewerk: cannot record the input to \"takes\": it is a folder" ] || fail "a folder: line '$line'"
printf 'my notes\n' >notes.txt
refused 2 "a file that is not a recording" --record-input notes.txt
case $line in *"notes.txt\": it exists and is not an input recording"*) ;; *) fail "notes: line '$line'" ;; esac
[ "$(cat notes.txt)" = "my notes" ] || fail "notes.txt was changed"
[ -e notes.txt.part ] && fail "notes.txt.part made"
if [ "$(id -u)" -ne 0 ]; then
  mkdir -p locked && chmod 555 locked
  refused 2 "a read-only folder" --record-input locked/take.txt
  chmod 755 locked
fi

# A take that cannot be saved at the end: exit code 1, and what was written
# stays in take.txt.part.
rm -f take.txt
start --record-input take.txt
sleep 2
mkdir take.txt
kill -s TERM "$pid"
finish
[ "$status" -eq 1 ] || fail "unsaved take: exit code $status, expected 1"
grep -qF "input not recorded to take.txt: " out.txt || fail "unsaved take: no line saying so"
[ -f take.txt.part ] || fail "unsaved take: take.txt.part is gone"
rmdir take.txt
rm -f take.txt.part

# Fault 4: a replay reads only a regular file, at once.
refused 2 "/dev/zero" --replay-input /dev/zero
case $line in "strobewerk: cannot replay /dev/zero: it is not a regular file"*) ;; *) fail "/dev/zero: line '$line'" ;; esac
mkfifo pipe.txt
refused 2 "a pipe with no writer" --replay-input pipe.txt
case $line in "strobewerk: cannot replay pipe.txt: it is not a regular file"*) ;; *) fail "pipe: line '$line'" ;; esac
printf 'strobewerk input 1\r\n30 0 0 0 0 256 0\r\n40 0 0 0 0 0 0\r\n' >crlf.txt
start --replay-input crlf.txt
sleep 1
kill -s TERM "$pid"
finish
[ "$status" -eq 0 ] || fail "a CRLF recording: exit code $status ($(tail -1 out.txt))"

if [ "$failures" -ne 0 ]; then
  echo "--- last console"
  head -40 out.txt
  exit 1
fi
echo "takes kept on every ending, refused targets and replays told at once"
