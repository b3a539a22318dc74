// The page's frame rate and main-thread time per frame on this machine's
// browser (SwiftShader WebGL): 6 s of play from 0:20 at 640 x 360 and
// 1280 x 720, with the WebGL calls that wait for the GPU counted. Several
// built pages (folders like web/dist) are measured in turn, each size one
// after the other, for a before-and-after in one session.
// Usage: node page-bench.mjs DIST [DIST ...]
// (SECONDS=6, FROM=20000, SIZES=640x360,1280x720 change the run)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { serve, launch, waitFor, countGpuWaits, measurePlay } from './harness.mjs';

const dists = process.argv.slice(2);
if (!dists.length) {
  console.log('usage: node page-bench.mjs DIST [DIST ...]');
  process.exit(2);
}
const seconds = Number(process.env.SECONDS || 6);
const from = Number(process.env.FROM || 20000);
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'page-bench-'));
const sizes = (process.env.SIZES || '640x360,1280x720').split(',').map(size => size.split('x').map(Number));

console.log('page                          size       frames/s  main thread ms/frame  GPU waits/frame');
for (const [width, height] of sizes) {
  for (const dist of dists) {
    const server = await serve(path.resolve(dist));
    const browser = await launch(dir);
    try {
      const page = await browser.newPage();
      await page.setViewport({ width, height });
      await countGpuWaits(page);
      await page.goto(`${server.url}?autostart=1&from=${from}`);
      if (!await waitFor(page, () => window.strobewerk && window.strobewerk.frames() > 30, null, 120))
        throw new Error(`${dist} did not start`);
      await page.evaluate(() => window.glWaits.reset());
      const run = await measurePlay(page, seconds);
      const counts = await page.evaluate(() => window.glWaits.counts);
      const waits = Object.values(counts).reduce((a, b) => a + b, 0);
      console.log(`${dist.padEnd(30)}${(width + 'x' + height).padEnd(11)}${run.fps.toFixed(1).padStart(8)}` +
                  `${run.msPerFrame.toFixed(1).padStart(22)}${(waits / run.frames).toFixed(2).padStart(17)}` +
                  (waits ? '  ' + JSON.stringify(counts) : ''));
    } finally {
      await browser.close();
      server.close();
    }
  }
}
fs.rmSync(dir, { recursive: true, force: true });
