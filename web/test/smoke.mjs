import puppeteer from 'puppeteer-core';
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
const dist = path.resolve('../dist');
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.data': 'application/octet-stream' };
const server = http.createServer((req, res) => {
  const file = path.join(dist, new URL(req.url, 'http://x').pathname.replace(/\/$/, '/index.html'));
  fs.readFile(file, (err, body) => { if (err) { res.writeHead(404); res.end(); return; }
    res.writeHead(200, { 'content-type': types[path.extname(file)] || 'application/octet-stream' }); res.end(body); });
}).listen(0, '127.0.0.1');
await new Promise(r => server.on('listening', r));
const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true, args: ['--headless=new','--no-sandbox','--use-gl=angle','--use-angle=swiftshader','--enable-unsafe-swiftshader','--autoplay-policy=no-user-gesture-required','--disable-background-networking','--disable-component-update','--disable-sync','--no-first-run','--disable-quic'] });
const page = await browser.newPage();
await page.setViewport({ width: 640, height: 360 });
page.on('console', m => console.log('[' + m.type() + ']', m.text()));
page.on('pageerror', e => console.log('[pageerror]', e.message));
await page.goto(`http://127.0.0.1:${server.address().port}/?autostart=1`);
for (let i = 0; i < 20; i++) { await new Promise(r => setTimeout(r, 1000)); console.log(await page.evaluate(() => [window.strobewerk.state, window.strobewerk.songTime(), window.strobewerk.frames(), document.title].join(' '))); }
await page.evaluate(() => window.strobewerk.holdAt(20000));
await new Promise(r => setTimeout(r, 2000));
await page.screenshot({ path: '/tmp/web20000.png' });
await browser.close(); server.close();
