// The site served to the browser as a phone on a slow connection would get
// it: every response waits one round trip before its first byte, and all
// bodies share one rate, whoever asks (the page, its service worker, several
// pages at once), so a worker fetching the game in the background slows the
// page exactly as it would on the phone's one link. Without pacing it is the
// same server at full speed, for Lighthouse, which simulates its own link.
//
// Files go out gzipped when the request accepts it (compressed once and
// kept), with strong ETags, so a revalidating worker or page gets 304s as
// from a real host. Every request is logged with the bytes it moved and
// when, so the benchmark can tell what had moved by the time the menu was
// on screen.
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const http = require('http');
const path = require('path');
const { performance } = require('perf_hooks');
const zlib = require('zlib');

// Lighthouse's mobile profile ("slow 4G").
const RTT_MS = 150;
const RATE_BITS_PER_S = 1.6e6;
const BYTES_PER_MS = RATE_BITS_PER_S / 8 / 1000;
// Small slices keep the shared rate fair between files moving at once.
const SLICE_BYTES = 4096;

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.png': 'image/png', '.json': 'application/json',
  '.webmanifest': 'application/manifest+json', '.wav': 'audio/wav', '.ogg': 'audio/ogg',
};
// Already compressed: gzip would only cost time.
const STORED = new Set(['.png', '.ogg']);

// Wall-clock milliseconds, the same clock as a page's performance.timeOrigin + now().
const clock = () => performance.timeOrigin + performance.now();
const sleep = (ms) => new Promise((r) => setTimeout(r, Math.max(0, ms)));

// One link for every response: a slice may leave once the slices before it
// (of any response) have gone through at the profile's rate.
function link() {
  let free = 0;
  return async (bytes) => {
    const start = Math.max(clock(), free);
    free = start + bytes / BYTES_PER_MS;
    await sleep(free - clock());
  };
}

// Resolves once a response can take more, or is gone.
function drained(res) {
  return new Promise((resolve) => {
    const done = () => {
      res.off('drain', done).off('close', done);
      resolve();
    };
    res.on('drain', done).on('close', done);
  });
}

// A file as served: its bytes, its gzipped bytes and their ETags, made once.
function loader(root) {
  const kept = new Map();
  return (file) => {
    const stat = fs.statSync(file);
    const old = kept.get(file);
    if (old && old.mtimeMs === stat.mtimeMs && old.size === stat.size) return old;
    const raw = fs.readFileSync(file);
    const hash = crypto.createHash('sha256').update(raw).digest('base64url').slice(0, 27);
    const ext = path.extname(file);
    const gz = STORED.has(ext) ? null : zlib.gzipSync(raw, { level: 9 });
    const entry = {
      mtimeMs: stat.mtimeMs, size: stat.size, raw, gz, type: TYPES[ext] || 'application/octet-stream',
      etag: `"${hash}"`, gzEtag: `"${hash}-gz"`,
    };
    kept.set(file, entry);
    return entry;
  };
}

function resolveFile(root, url) {
  let name;
  try {
    name = decodeURIComponent(new URL(url, 'http://x').pathname);
  } catch {
    return null;
  }
  const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
  if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) return null;
  return file;
}

// Serves `root` on 127.0.0.1 at a free port. Resolves to { url, mark(),
// log, since(), movedBy(t), idleFor(), close() }: mark() sets the moment
// times are counted from; log holds one entry a request ({ path, status,
// gzip, begin, firstByte, end, bytes, slices }, times in ms from the mark,
// slices as [time, bytes]); movedBy(t) sums body bytes per path sent before
// wall-clock time t (ms); idleFor() is how long no response has been moving.
function serve(site, { paced = true } = {}) {
  const root = path.resolve(site);
  const load = loader(root);
  const send = paced ? link() : async () => {};
  const log = [];
  let mark = clock();
  let active = 0;
  let lastEnd = clock();

  const server = http.createServer(async (req, res) => {
    const entry = { path: new URL(req.url, 'http://x').pathname, status: 0, gzip: false,
                    since: mark, begin: clock() - mark, firstByte: null, end: null, bytes: 0, slices: [] };
    log.push(entry);
    active++;
    let closed = false;
    res.on('close', () => { closed = true; });
    try {
      if (paced) await sleep(RTT_MS);
      const file = resolveFile(root, req.url);
      const headers = { 'Cache-Control': 'no-cache' };
      if (!file || (req.method !== 'GET' && req.method !== 'HEAD')) {
        entry.status = file ? 405 : 404;
        res.writeHead(entry.status, { ...headers, 'Content-Length': 0 });
        res.end();
        return;
      }
      const f = load(file);
      const gzip = f.gz !== null && /\bgzip\b/.test(req.headers['accept-encoding'] || '');
      const etag = gzip ? f.gzEtag : f.etag;
      headers['Content-Type'] = f.type;
      headers.ETag = etag;
      if (f.gz !== null) headers.Vary = 'Accept-Encoding';
      const match = (req.headers['if-none-match'] || '').split(',').map((s) => s.trim());
      if (match.includes(etag) || match.includes('*')) {
        entry.status = 304;
        res.writeHead(304, headers);
        res.end();
        return;
      }
      const body = gzip ? f.gz : f.raw;
      if (gzip) headers['Content-Encoding'] = 'gzip';
      headers['Content-Length'] = body.length;
      entry.status = 200;
      entry.gzip = gzip;
      res.writeHead(200, headers);
      entry.firstByte = clock() - mark;
      if (req.method === 'HEAD') {
        res.end();
        return;
      }
      for (let at = 0; at < body.length && !closed; at += SLICE_BYTES) {
        const slice = body.subarray(at, at + SLICE_BYTES);
        await send(slice.length);
        if (closed) break;
        if (!res.write(slice)) await drained(res);
        entry.bytes += slice.length;
        entry.slices.push([clock(), slice.length]);
      }
      res.end();
    } catch (e) {
      entry.status = 500;
      res.destroy(e);
    } finally {
      entry.end = clock() - mark;
      active--;
      lastEnd = clock();
    }
  });

  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        log,
        mark() {
          mark = clock();
          return mark;
        },
        movedBy(t) {
          const moved = new Map();
          for (const e of log) {
            if (e.since !== mark || e.begin + mark > t) continue;
            const m = moved.get(e.path) || { statuses: [], bytes: 0, total: 0, begin: e.begin, end: 0 };
            for (const [when, bytes] of e.slices) if (when <= t) m.bytes += bytes;
            m.statuses.push(e.status || 'open');
            m.total += e.bytes;
            m.end = Math.max(m.end, e.end === null ? Infinity : e.end);
            moved.set(e.path, m);
          }
          return moved;
        },
        idleFor: () => (active > 0 ? 0 : clock() - lastEnd),
        close() {
          if (!server.listening) return;
          server.close();
          server.closeAllConnections();
        },
      });
    });
  });
}

module.exports = { serve, clock, RTT_MS, RATE_BITS_PER_S };
