// Drives the built page (web/dist) in headless Chromium as a viewer would.
//  - It loads with a progress line counting the bytes of its files, starts
//    without errors in its console, reaches 10 s of song time and shows
//    the native title over the canvas.
//  - While it plays no frame calls WebGL in a way that waits for the GPU.
//  - M mutes and unmutes; F, the button and a double click go to and from
//    full screen, Escape leaves full screen before it ends the production.
//  - Hidden and shown again, it draws the frame at the sound's time.
//  - Held at each song time given, its frame is saved as PNG for the
//    comparison with the native frames (test-page.sh); holdAt clamps.
//  - Its canvas draws at the screen's device pixels up to 1920 x 1080.
//  - Every bad link (from=, replay=, unknown parameters) and a file that
//    does not load get the page's own words, never a blank page or an
//    exception; a browser without WebGL gets the page's message.
// With a recorded performance (replay=) the frames held at its song times
// are saved too (replay<ms>.png).
// Usage: node page.test.mjs OUTDIR MS,MS,... [RECORDING MS,MS,...]
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve, launch, waitFor, countGpuWaits } from './harness.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const dist = path.resolve(here, '../dist');
const [outDir, timesArg, recording, replayTimesArg] = process.argv.slice(2);
const songTimes = timesArg.split(',').map(Number);
const replayTimes = replayTimesArg ? replayTimesArg.split(',').map(Number) : [];
const failures = [];
const check = (ok, what) => { console.log((ok ? 'ok   ' : 'FAIL ') + what); if (!ok) failures.push(what); };
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

const server = await serve(dist, {
  '/recording.txt': recording ? fs.readFileSync(recording) : '',
  '/empty.txt': '',
  '/garbage.txt': '\u0000\u00ffPNG not a recording at all\n1 2 3\n',
});
const url = server.url;

// A fresh tab at 640 x 360 whose console errors and exceptions are kept
// in `problems`, with the GPU waits counted and the start screen's lines
// noted as they change (window.startLines).
async function openPage(browser, problems) {
  const page = await browser.newPage();
  await page.setViewport({ width: 640, height: 360 });
  // The browser's own line for a file answered 404 is no error of the
  // page's (the bad links ask for such files).
  page.on('console', m => {
    if (m.type() === 'error' && !/^Failed to load resource: .* 404/.test(m.text()))
      problems.push(m.text());
  });
  page.on('pageerror', e => problems.push(String(e.message || e)));
  await countGpuWaits(page);
  await page.evaluateOnNewDocument(() => {
    window.startLines = [];
    document.addEventListener('DOMContentLoaded', () => {
      const line = document.getElementById('start-text');
      new MutationObserver(() => window.startLines.push(line.textContent))
        .observe(line, { childList: true, characterData: true, subtree: true });
    });
  });
  return page;
}

const messageOf = page => page.$eval('#message', el => el.hidden ? '' : el.textContent);
const notesOf = page => page.$eval('#notes', el => el.textContent);
const sum = counts => Object.values(counts).reduce((a, b) => a + b, 0);

// Holds the page's clock at each song time and saves what the canvas shows.
async function holdAndSave(page, times, prefix) {
  for (const ms of times) {
    const before = await page.evaluate(ms => { window.strobewerk.holdAt(ms); return window.strobewerk.frames(); }, ms);
    // Two frames later the frame held at ms is on the canvas.
    await waitFor(page, n => window.strobewerk.frames() >= n + 2, before, 30);
    await page.screenshot({ path: path.join(outDir, `${prefix}${ms}.png`) });
  }
}

// Whether the song clock moves on (by more than 300 ms in a second).
// Whether the song clock moves on by 300 ms within 3 s (a busy machine
// draws few frames a second).
async function clockMoves(page) {
  const before = await page.evaluate(() => window.strobewerk.songTime());
  for (let waited = 0; waited < 3000; waited += 250) {
    await sleep(250);
    if (await page.evaluate(() => window.strobewerk.songTime()) > before + 300)
      return true;
  }
  return false;
}

async function playing(browser, problems) {
  const page = await openPage(browser, problems);
  await page.goto(url + '?autostart=1');
  check(await waitFor(page, () => window.strobewerk && window.strobewerk.songTime() >= 10000, null, 90),
        'the song clock reaches 10 s');
  const hud = await page.$eval('#hud', el => el.textContent);
  check(/^strobewerk \d+:\d\d\.\d{3} \| \d+ fps/.test(hud), `the song time and frame rate are shown (${hud})`);

  const bytes = ['strobewerk.js', 'strobewerk.wasm', 'strobewerk.data']
    .reduce((total, name) => total + fs.statSync(path.join(dist, name)).size, 0);
  const lines = await page.evaluate(() => window.startLines);
  const whole = `of ${(bytes / 1048576).toFixed(1)} MB`;
  check(lines.some(l => /^Loading… \d+\.\d of/.test(l)) && lines.some(l => l.endsWith(whole)),
        `the download's progress is shown in bytes, ${whole} (${lines.length} lines, the last ${lines.at(-1)})`);

  // Start-up asks WebGL what it needs (the wrapper counts it); the frames
  // that follow must not: 2 s of play, then a frame in every 30 s of the
  // song (each layer drawn for the first time somewhere), then back.
  const atStart = sum(await page.evaluate(() => window.glWaits.counts));
  const framesBefore = await page.evaluate(() => { window.glWaits.reset(); return window.strobewerk.frames(); });
  await sleep(2000);
  for (let i = 0; i < 6; ++i) {
    await page.keyboard.press('PageDown');
    await waitFor(page, n => window.strobewerk.frames() > n + 2, await page.evaluate(() => window.strobewerk.frames()), 20);
  }
  const [waits, frames, reached] = await page.evaluate(() => [window.glWaits.counts, window.strobewerk.frames(),
                                                              window.strobewerk.songTime()]);
  check(atStart > 0 && sum(waits) === 0 && frames > framesBefore && reached > 170000,
        `no frame waits for the GPU (${frames - framesBefore} frames up to ${reached} ms: ` +
        `${JSON.stringify(waits)}; ${atStart} calls at start-up)`);
  await page.keyboard.press('Home');
  // The key takes effect at the next frame.
  await waitFor(page, () => window.strobewerk.songTime() < 10000, null, 10);

  await page.keyboard.press('m');
  const mutedNow = await page.evaluate(() => [window.strobewerk.muted(), SDL.audioContext.destination.gain.value]);
  await page.keyboard.press('m');
  const unmuted = await page.evaluate(() => [window.strobewerk.muted(), SDL.audioContext.destination.gain.value]);
  check(mutedNow[0] && mutedNow[1] === 0 && !unmuted[0] && unmuted[1] === 1 && await clockMoves(page),
        `M mutes the sound and unmutes it, the production playing on (${mutedNow} then ${unmuted})`);

  await page.keyboard.press('f');
  const byKey = await waitFor(page, () => document.fullscreenElement !== null, null, 5);
  await page.keyboard.press('Escape');
  const leftByEscape = await waitFor(page, () => document.fullscreenElement === null, null, 5);
  check(byKey && leftByEscape && await page.evaluate(() => window.strobewerk.state) === 'playing' &&
        await clockMoves(page), 'F goes to full screen, and Escape leaves it with the production playing on');
  await page.click('#fullscreen');
  const byButton = await waitFor(page, () => document.fullscreenElement !== null, null, 5);
  await page.mouse.click(320, 180, { count: 2 });
  check(byButton && await waitFor(page, () => document.fullscreenElement === null, null, 5),
        'the button goes to full screen and a double click leaves it');

  // Hidden behind another tab, then shown again: the first frame drawn is
  // at the time the sound reached meanwhile.
  const other = await browser.newPage();
  await other.bringToFront();
  const hidden = await waitFor(page, () => document.visibilityState === 'hidden', null, 5);
  const beforeHiding = await page.evaluate(() => [window.strobewerk.songTime(), performance.now()]);
  await sleep(2500);
  const atShow = await page.evaluate(() => [window.strobewerk.frames(), performance.now()]);
  await page.bringToFront();
  await other.close();
  await waitFor(page, n => window.strobewerk.frames() > n, atShow[0], 5);
  const shown = await page.evaluate(() => window.strobewerk.songTime());
  const expected = beforeHiding[0] + (atShow[1] - beforeHiding[1]);
  check(hidden && shown >= expected - 400,
        `shown again after ${((atShow[1] - beforeHiding[1]) / 1000).toFixed(1)} s hidden, the frame is at ` +
        `the sound's time (${shown} ms, ${expected.toFixed(0)} ms expected)`);

  await holdAndSave(page, songTimes, 'web');

  // Past the song holds at its end, whatever the number; not a number
  // changes nothing.
  const end = await page.evaluate(() => window.strobewerk.holdAt(1e12));
  const wrapped = await page.evaluate(() => window.strobewerk.holdAt(2 ** 32 + 5000));
  const still = await page.evaluate(() => [window.strobewerk.holdAt('soon'), window.strobewerk.holdAt(NaN),
                                           window.strobewerk.holdAt(undefined)]);
  await sleep(300);
  const heldAt = await page.evaluate(() => window.strobewerk.songTime());
  const resumed = await page.evaluate(() => window.strobewerk.holdAt(-1));
  check(end > 100000 && wrapped === end && still.every(v => v === null) && heldAt === end && resumed === -1,
        `holdAt past the song holds at its end (${end}, ${wrapped}), not a number is refused (${still})`);
  await page.evaluate(() => window.strobewerk.holdAt(30000));

  // The drawing buffer: the layout in device pixels, at most 1920 x 1080.
  const canvasSize = async (width, height, deviceScaleFactor) => {
    await page.setViewport({ width, height, deviceScaleFactor });
    await waitFor(page, n => window.strobewerk.frames() > n + 2, await page.evaluate(() => window.strobewerk.frames()), 20);
    return page.$eval('#canvas', c => [c.width, c.height]);
  };
  const sizes = [await canvasSize(640, 360, 2), await canvasSize(1600, 900, 2), await canvasSize(412, 915, 3.5),
                 await canvasSize(915, 412, 3.5), await canvasSize(640, 360, 1)];
  const [retina, fourK, upright, turned, plain] = sizes;
  check(String(retina) === '1280,720' && String(fourK) === '1920,1080' && upright[0] * upright[1] <= 1920 * 1080 &&
        upright[0] * upright[1] > 0.99 * 1920 * 1080 && String(turned) === String([upright[1], upright[0]]) &&
        String(plain) === '640,360', `the canvas draws at device pixels up to 1920 x 1080 (${sizes.join(' | ')})`);

  await page.evaluate(() => window.strobewerk.holdAt(-1));
  await page.keyboard.press('Escape');
  check(await waitFor(page, () => window.strobewerk.state === 'ended', null, 10) &&
        /^The end/.test(await messageOf(page)), 'Escape out of full screen ends the production');

  if (recording) {
    await page.goto(url + '?autostart=1&replay=recording.txt');
    check(await waitFor(page, () => window.strobewerk && window.strobewerk.frames() > 0, null, 60),
          'a recorded performance plays');
    await holdAndSave(page, replayTimes, 'replay');
  }
  await page.close();
}

// The start screen of `query` once loaded (or its message), then started
// by a click when it can be; returns the notes, the message and the song
// time after the first frames.
async function follow(browser, problems, query) {
  const page = await openPage(browser, problems);
  await page.goto(url + query);
  await waitFor(page, () => window.strobewerk && window.strobewerk.state !== 'loading', null, 60);
  const notes = await notesOf(page);
  let songTime = -1;
  if (await page.evaluate(() => window.strobewerk.state) === 'ready') {
    await page.click('#start');
    await waitFor(page, () => window.strobewerk.state === 'ended' || window.strobewerk.frames() > 3, null, 30);
    songTime = await page.evaluate(() => window.strobewerk.songTime());
  }
  const message = await messageOf(page);
  await page.close();
  return { notes, message, songTime };
}

async function badLinks(browser, problems) {
  let r = await follow(browser, problems, '?from=soon');
  check(/“from=soon” is not a song time/.test(r.notes) && r.songTime >= 0 && r.songTime < 5000,
        `from= with text is named and it plays from the start (${r.notes}; ${r.songTime} ms)`);
  r = await follow(browser, problems, '?from=-5000');
  check(r.notes === '' && r.songTime >= 0 && r.songTime < 5000, `a negative from= starts at 0 (${r.songTime} ms)`);
  r = await follow(browser, problems, '?from=1:30');
  check(r.songTime >= 90000 && r.songTime < 95000, `from=1:30 starts there (${r.songTime} ms)`);
  r = await follow(browser, problems, '?from=99:00');
  check(r.message === '' && r.songTime > 100000 && r.songTime < 99 * 60000,
        `a from= past the end starts at the end (${r.songTime} ms)`);
  r = await follow(browser, problems, '?replay=missing.txt');
  check(/recording “missing.txt” could not be loaded \(404 Not Found\)/.test(r.message),
        `a missing recording is named (${r.message})`);
  r = await follow(browser, problems, '?replay=');
  check(/replay= names no file/.test(r.message), `replay= without a name is named (${r.message})`);
  for (const name of ['empty.txt', 'garbage.txt']) {
    r = await follow(browser, problems, `?replay=${name}`);
    check(new RegExp(`recording “${name}” cannot be played: not an input recording`).test(r.message),
          `a recording that is not one is named (${r.message})`);
  }
  r = await follow(browser, problems, '?colour=red&from=0');
  check(/“colour” is not something this page knows/.test(r.notes) && r.songTime >= 0 && r.songTime < 5000,
        `an unknown parameter is named and left out (${r.notes})`);

  const page = await openPage(browser, problems);
  await page.setRequestInterception(true);
  page.on('request', request => request.url().endsWith('/strobewerk.data')
    ? request.respond({ status: 404, body: '' }) : request.continue());
  await page.goto(url);
  await waitFor(page, () => !document.getElementById('message').hidden, null, 30);
  const message = await messageOf(page);
  check(/^strobewerk\.data could not be loaded \(404[^)]*\)\. Check the connection/.test(message),
        `a file that does not load is named (${message})`);
  await page.close();
}

try {
  const browser = await launch(outDir);
  const problems = [];
  await playing(browser, problems);
  await badLinks(browser, problems);
  check(problems.length === 0, 'no errors in the console' + (problems.length ? ': ' + problems.join(' | ') : ''));
  await browser.close();

  const noGl = await launch(outDir, ['--disable-webgl', '--disable-3d-apis']);
  const plain = await noGl.newPage();
  await plain.goto(url);
  check(/needs WebGL/.test(await messageOf(plain)), 'without WebGL the page says so');
  await noGl.close();
} finally {
  server.close();
}
process.exit(failures.length ? 1 : 0);
