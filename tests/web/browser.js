// What the browser tests and the browser measurements share: a static file
// server on 127.0.0.1, the system's headless Chromium through puppeteer-core
// (no browser download), and the page's pixels read from screenshots.
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const path = require('path');
const zlib = require('zlib');
const puppeteer = require('puppeteer-core');

const CHROMIUM = process.env.MOXEL_CHROMIUM || '/usr/bin/chromium';
// WebGL without a GPU: ANGLE on the SwiftShader software rasteriser. The rest
// keeps a headless browser from reaching out to the network on its own.
const CHROMIUM_ARGS = [
  '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--no-first-run', '--disable-quic', '--disable-gpu-vsync-throttling',
];

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
};

// The SHA-256 of some bytes in hex, as the service worker names a file's.
const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');

// Serves `root` on 127.0.0.1 at a free port; resolves to { url, missing,
// offline, close }. `inject` (HTML) goes in at the top of every page's head,
// before the page's own scripts, and the service worker names the page's
// bytes with it; `missing` lists the paths asked for that do not exist;
// offline(true) drops every connection, as a lost network does.
function serve(root, { inject = '' } = {}) {
  const missing = [];
  let cut = false;
  const server = http.createServer((req, res) => {
    if (cut) {
      req.socket.destroy();
      return;
    }
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(path.resolve(root)) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      missing.push(name);
      res.writeHead(404);
      res.end();
      return;
    }
    const type = TYPES[path.extname(file)] || 'application/octet-stream';
    res.writeHead(200, { 'Content-Type': type });
    const page = (at) => fs.readFileSync(at, 'utf8').replace(/<head>/i, (head) => head + inject);
    if (inject && path.extname(file) === '.html') return res.end(page(file));
    if (inject && path.basename(file) === 'sw.js') {
      const hash = sha256(page(path.join(path.dirname(file), 'index.html')));
      return res.end(fs.readFileSync(file, 'utf8').replace(/('index.html', ')\w+/, `$1${hash}`));
    }
    fs.createReadStream(file).pipe(res);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        missing,
        offline(on) {
          cut = on;
          if (on) server.closeAllConnections();
        },
        close: () => {
          if (!server.listening) return;
          server.close();
          server.closeAllConnections();
        },
      });
    });
  });
}

function launch(userDataDir) {
  return puppeteer.launch({ executablePath: CHROMIUM, headless: true, args: CHROMIUM_ARGS, userDataDir });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Polls `check` (async) until it is true or `ms` have passed; resolves to the last answer.
async function waitFor(check, ms, every = 100) {
  const end = Date.now() + ms;
  for (;;) {
    const ok = await check();
    if (ok || Date.now() > end) return ok;
    await sleep(every);
  }
}

// A decoded 8-bit RGB or RGBA PNG (what Chromium's screenshots are).
function decodePng(buf) {
  let at = 8, width = 0, height = 0, channels = 0;
  const idat = [];
  while (at < buf.length) {
    const len = buf.readUInt32BE(at);
    const type = buf.toString('latin1', at + 4, at + 8);
    const data = buf.subarray(at + 8, at + 8 + len);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      channels = { 2: 3, 6: 4 }[data[9]];
      if (data[8] !== 8 || !channels) throw new Error('unexpected PNG format');
    } else if (type === 'IDAT') {
      idat.push(data);
    }
    at += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const px = Buffer.alloc(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const src = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const row = px.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? px.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? row[i - channels] : 0, b = up[i], c = i >= channels ? up[i - channels] : 0;
      let v = src[i];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      row[i] = v & 255;
    }
  }
  return {
    width, height,
    at(x, y) {
      const i = (y * width + x) * channels;
      return [px[i], px[i + 1], px[i + 2]];
    },
    same(other) { return other && other.width === width && other.height === height && px.equals(other.px); },
    px,
    png: buf,
  };
}

// The page as it shows now, in device pixels.
async function shot(page) {
  return decodePng(await page.screenshot({ type: 'png' }));
}

function near(rgb, want, tolerance = 8) {
  return rgb.every((v, i) => Math.abs(v - want[i]) <= tolerance);
}

// Updates run and frames drawn by the game so far.
function counts(page) {
  return page.evaluate(() => ({ updates: _moxel_updates(), frames: _moxel_frames(), t: performance.now() }));
}

// Updates and frames a second over `ms`.
async function rates(page, ms) {
  const a = await counts(page);
  await sleep(ms);
  const b = await counts(page);
  const s = (b.t - a.t) / 1000;
  return { updates: (b.updates - a.updates) / s, frames: (b.frames - a.frames) / s };
}

module.exports = { sha256, serve, launch, sleep, waitFor, decodePng, shot, near, counts, rates };
