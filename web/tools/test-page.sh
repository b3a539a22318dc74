#!/usr/bin/env bash
# The web page's tests: builds web/dist (tools/web.sh), drives it in
# headless Chromium (web/test/page.test.mjs) and compares its frames held at
# a few song times with the native frames there (frame_fidelity from
# build/, drawn under a virtual X server), one of them rippled by the
# distortion and one with boxes at the edges: PSNR at least 35 dB at
# 640x360.
# A recorded performance (web/test/points-take.txt, which lays down point
# lines) is played in the page and natively, and compared the same way.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
times=${WEB_TEST_TIMES:-12000,20000,38750,47000,151200}
recording=web/test/points-take.txt
replayTimes=8000,16000
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

bash tools/web.sh --build-only
(cd web/test && npm install --no-audit --no-fund --loglevel=error >/dev/null)
status=0
node web/test/page.test.mjs "$out" "$times" "$root/$recording" "$replayTimes" || status=1

# The native frames: frame_fidelity has no references at these times (its
# exit code says so), only the frames it keeps count.
native() {
  xvfb-run -a -s "-screen 0 1600x1200x24" build/tools/fidelity/frame_fidelity --size=640x360 "$@" >/dev/null || true
}
native --at="$times" --keep="$out/native"
native --at="$replayTimes" --keep="$out/replayed" --replay-input="$recording"

# compare_frames NATIVE WEB WHAT
compare_frames() {
  local psnr
  psnr=$(compare -metric PSNR "$1" "$2" /dev/null 2>&1 || true)
  if awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 35) }'; then
    echo "ok   $3 matches the native one: PSNR $psnr dB"
  else
    echo "FAIL $3 differs from the native one: PSNR $psnr dB (35 needed)"
    status=1
  fi
}
for ms in ${times//,/ }; do
  compare_frames "$out/native/frame$ms-640x360.png" "$out/web$ms.png" "the page's frame at $ms ms"
done
for ms in ${replayTimes//,/ }; do
  compare_frames "$out/replayed/frame$ms-640x360.png" "$out/replay$ms.png" \
    "the page's frame at $ms ms of the recorded performance"
done
exit $status
