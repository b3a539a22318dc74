// Drives the built page (web/dist) in headless Chromium: it must start
// without errors in its console, reach 10 s of song time with the song
// clock moving, show the native title over the canvas, and, held at each
// song time given, show a frame that is saved as PNG for the comparison
// with the native frames (test-page.sh). A browser without WebGL must get
// the page's own message. With a recorded performance (replay=) the frames
// held at its song times are saved too (replay<ms>.png).
// Usage: node page.test.mjs OUTDIR MS,MS,... [RECORDING MS,MS,...]
import puppeteer from 'puppeteer-core';
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const dist = path.resolve(here, '../dist');
const [outDir, timesArg, recording, replayTimesArg] = process.argv.slice(2);
const songTimes = timesArg.split(',').map(Number);
const replayTimes = replayTimesArg ? replayTimesArg.split(',').map(Number) : [];
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const failures = [];
const check = (ok, what) => { console.log((ok ? 'ok   ' : 'FAIL ') + what); if (!ok) failures.push(what); };

const server = http.createServer((req, res) => {
  const name = new URL(req.url, 'http://page').pathname;
  const file = recording && name === '/recording.txt' ? recording : path.join(dist, name.replace(/\/$/, '/index.html'));
  fs.readFile(file, (err, body) => {
    if (err) { res.writeHead(404); res.end(); return; }
    res.writeHead(200, { 'content-type': types[path.extname(file)] || 'application/octet-stream' });
    res.end(body);
  });
}).listen(0, '127.0.0.1');
await new Promise(resolve => server.on('listening', resolve));
const url = `http://127.0.0.1:${server.address().port}/`;

const baseArgs = ['--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--autoplay-policy=no-user-gesture-required', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic'];
const launch = (extra) => puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
  userDataDir: fs.mkdtempSync(path.join(outDir, 'profile-')), args: baseArgs.concat(extra) });
const waitFor = async (page, fn, arg, seconds) => {
  try { await page.waitForFunction(fn, { timeout: seconds * 1000, polling: 100 }, arg); return true; }
  catch { return false; }
};

// Holds the page's clock at each song time and saves what the canvas shows.
async function holdAndSave(page, times, prefix) {
  for (const ms of times) {
    const before = await page.evaluate(ms => { window.strobewerk.holdAt(ms); return window.strobewerk.frames(); }, ms);
    // Two frames later the frame held at ms is on the canvas.
    await waitFor(page, n => window.strobewerk.frames() >= n + 2, before, 30);
    await page.screenshot({ path: path.join(outDir, `${prefix}${ms}.png`) });
  }
}

try {
  const browser = await launch([]);
  const page = await browser.newPage();
  await page.setViewport({ width: 640, height: 360 });
  const problems = [];
  page.on('console', m => { if (m.type() === 'error') problems.push(m.text()); });
  page.on('pageerror', e => problems.push(String(e.message || e)));
  await page.goto(url + '?autostart=1');
  check(await waitFor(page, () => window.strobewerk && window.strobewerk.songTime() >= 10000, null, 90),
        'the song clock reaches 10 s');
  const hud = await page.$eval('#hud', el => el.textContent);
  check(/^strobewerk \d+:\d\d\.\d{3} \| \d+ fps/.test(hud), `the song time and frame rate are shown (${hud})`);
  await holdAndSave(page, songTimes, 'web');
  if (recording) {
    await page.goto(url + '?autostart=1&replay=recording.txt');
    check(await waitFor(page, () => window.strobewerk && window.strobewerk.frames() > 0, null, 60),
          'a recorded performance plays');
    await holdAndSave(page, replayTimes, 'replay');
  }
  check(problems.length === 0, 'no errors in the console' + (problems.length ? ': ' + problems.join(' | ') : ''));
  await browser.close();

  const noGl = await launch(['--disable-webgl', '--disable-3d-apis']);
  const plain = await noGl.newPage();
  await plain.goto(url);
  const text = await plain.$eval('#message', el => el.hidden ? '' : el.textContent);
  check(/needs WebGL/.test(text), 'without WebGL the page says so');
  await noGl.close();
} finally {
  server.close();
}
process.exit(failures.length ? 1 : 0);
