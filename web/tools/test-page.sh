#!/usr/bin/env bash
# The web page's tests: builds web/dist (tools/web.sh), drives it in
# headless Chromium (web/test/page.test.mjs) and compares its frames held at
# a few song times with the native frames there (frame_fidelity from
# build/, drawn under a virtual X server): PSNR at least 30 dB at 640x360.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
times=${WEB_TEST_TIMES:-12000,20000,47000}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

bash tools/web.sh --build-only
(cd web/test && npm install --no-audit --no-fund --loglevel=error >/dev/null)
node web/test/page.test.mjs "$out" "$times"

# It has no reference frames of these times to compare with: only the
# frames it keeps count.
xvfb-run -a -s "-screen 0 1600x1200x24" build/tools/fidelity/frame_fidelity --size=640x360 --at="$times" \
  --keep="$out" >/dev/null || true
status=0
for ms in ${times//,/ }; do
  psnr=$(compare -metric PSNR "$out/frame$ms-640x360.png" "$out/web$ms.png" /dev/null 2>&1 || true)
  if awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 30) }'; then
    echo "ok   the page's frame at $ms ms matches the native one: PSNR $psnr dB"
  else
    echo "FAIL the page's frame at $ms ms differs from the native one: PSNR $psnr dB (30 needed)"
    status=1
  fi
done
exit $status
