// What the page's tests and its benchmark share: a static server for a
// built page (with extra files it answers from memory), headless Chromium
// with SwiftShader's WebGL, waiting for a condition in the page, and a
// count of the WebGL calls that make the page wait for the GPU.
import puppeteer from 'puppeteer-core';
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';

const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves the folder `dist`, and each name of `extra` (a path such as
// '/take.txt') with its contents. Resolves to { url, close }.
export async function serve(dist, extra = {}) {
  const server = http.createServer((req, res) => {
    const name = new URL(req.url, 'http://page').pathname;
    const answer = (err, body, type) => {
      if (err) { res.writeHead(404, 'Not Found'); res.end(); return; }
      res.writeHead(200, { 'content-type': type || 'application/octet-stream', 'content-length': body.length });
      res.end(body);
    };
    if (Object.hasOwn(extra, name))
      return answer(null, Buffer.from(extra[name]), 'text/plain');
    const file = path.join(dist, path.normalize(name.replace(/\/$/, '/index.html')));
    fs.readFile(file, (err, body) => answer(err, body, types[path.extname(file)]));
  }).listen(0, '127.0.0.1');
  await new Promise(resolve => server.on('listening', resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

const baseArgs = ['--headless=new', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--autoplay-policy=no-user-gesture-required', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--no-first-run', '--disable-quic'];

// Headless Chromium with a profile in `dir`, and `extra` switches.
export function launch(dir, extra = []) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
    userDataDir: fs.mkdtempSync(path.join(dir, 'profile-')), args: baseArgs.concat(extra) });
}

// Whether fn(arg) comes true in the page within `seconds`.
export async function waitFor(page, fn, arg, seconds) {
  try { await page.waitForFunction(fn, { timeout: seconds * 1000, polling: 100 }, arg); return true; }
  catch { return false; }
}

// Installed before the page's own scripts: every WebGL call that makes
// the page wait until the GPU is done (a query of state, an error, a read
// back, a finish, a status, an info log) is counted by name in
// window.glWaits.counts; window.glWaits.reset() starts a new count.
export function countGpuWaits(page) {
  return page.evaluateOnNewDocument(() => {
    const counts = {};
    window.glWaits = { counts, reset() { for (const k of Object.keys(counts)) delete counts[k]; } };
    const proto = window.WebGLRenderingContext && WebGLRenderingContext.prototype;
    if (!proto)
      return;
    for (const name of Object.getOwnPropertyNames(proto)) {
      if (!/^get\w*Parameter$|^getError$|^readPixels$|^finish$|^checkFramebufferStatus$|InfoLog$/.test(name))
        continue;
      const original = proto[name];
      proto[name] = function (...args) {
        counts[name] = (counts[name] || 0) + 1;
        return original.apply(this, args);
      };
    }
  });
}

// Frames drawn and the main thread's busy time (Chrome's own metrics)
// over `seconds` of play, per frame.
export async function measurePlay(page, seconds) {
  const read = async () => ({ metrics: await page.metrics(), frames: await page.evaluate(() => window.strobewerk.frames()) });
  const before = await read();
  await new Promise(resolve => setTimeout(resolve, seconds * 1000));
  const after = await read();
  const frames = after.frames - before.frames;
  const elapsed = after.metrics.Timestamp - before.metrics.Timestamp;
  const busy = after.metrics.TaskDuration - before.metrics.TaskDuration;
  return { frames, fps: frames / elapsed, msPerFrame: frames ? 1000 * busy / frames : Infinity };
}
