// A page of the game opened as on a phone, and the moments the load
// benchmark reads from it: when the menu was drawn, the tasks that held the
// main thread, whether the service worker has kept the game.
'use strict';
const fs = require('fs');
const path = require('path');
const { sleep, waitFor } = require('../../tests/web/browser');

// A common phone held upright (CSS pixels, 3 device pixels each), with the
// CPU of a mid-range phone: Lighthouse's mobile profile slows the desktop 4x.
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const CPU_SLOWDOWN = 4;
const LONG_TASK_MS = 50;
const LOAD_TIMEOUT_MS = 180000;
const POLL_MS = 50;
// The menu is at rest once it has drawn nothing new for this long.
const REST_MS = 1000;

// Put in every page before its own scripts: long tasks from the start, and
// the moment of the game's first frame (checked right after each animation
// frame's callbacks, which is where the program draws).
const WATCH = `(() => {
  window.moxelBenchLongTasks = [];
  try {
    new PerformanceObserver((list) => {
      for (const e of list.getEntries()) window.moxelBenchLongTasks.push([e.startTime, e.duration]);
    }).observe({ type: 'longtask', buffered: true });
  } catch (e) {}
  const raf = window.requestAnimationFrame;
  window.requestAnimationFrame = function (callback) {
    return raf.call(window, (t) => {
      try {
        callback(t);
      } finally {
        if (window.moxelBenchFirstFrameMs === undefined && typeof _moxel_frames === 'function' &&
            _moxel_frames() > 0) window.moxelBenchFirstFrameMs = performance.now();
      }
    });
  };
})();`;

// Whether this build says when its menu is complete (window.moxelMenuShownMs);
// an older one only tells its first frame and when the program started.
function knowsMenuShown(site) {
  return fs.readdirSync(site).filter((f) => /\.(js|html)$/.test(f))
    .some((f) => fs.readFileSync(path.join(site, f), 'utf8').includes('moxelMenuShownMs'));
}

// Reads the page's state without handing it a user activation (puppeteer's
// evaluate would, and sound and other gated paths would start).
async function read(client, expression) {
  try {
    const r = await client.send('Runtime.evaluate',
                                { expression, returnByValue: true, awaitPromise: true, userGesture: false });
    return r.exceptionDetails ? undefined : r.result.value;
  } catch {
    return undefined;  // between documents
  }
}

// A new page as a phone (or at `view` at full speed), watched from its first script.
async function open(browser, { view = PHONE, slowdown = CPU_SLOWDOWN } = {}) {
  const page = await browser.newPage();
  await page.setViewport(view);
  const client = await page.createCDPSession();
  if (slowdown > 1) await client.send('Emulation.setCPUThrottlingRate', { rate: slowdown });
  await page.evaluateOnNewDocument(WATCH);
  return { page, client };
}

// Navigates and waits until the menu is drawn. Resolves to { ms, by, started,
// wallMs }: ms from navigation, by which sign ('menu drawn' or 'first frame'),
// when the program started, and the moment as wall-clock time.
async function loadToMenu({ page, client }, url, menuSign) {
  page.goto(url, { waitUntil: 'domcontentloaded', timeout: LOAD_TIMEOUT_MS }).catch(() => {});
  const sign = menuSign ? 'window.moxelMenuShownMs' : 'window.moxelBenchFirstFrameMs';
  const ms = await waitFor(() => read(client, sign), LOAD_TIMEOUT_MS, POLL_MS);
  if (ms === undefined) throw new Error(`the menu was not drawn within ${LOAD_TIMEOUT_MS / 1000} s`);
  const started = await read(client, 'window.moxelStartedMs');
  const origin = await read(client, 'performance.timeOrigin');
  return { ms, by: menuSign ? 'menu drawn' : 'first frame', started, wallMs: origin + ms };
}

// Waits until the game's frame count has not moved for REST_MS.
async function untilAtRest(client) {
  let last = -1, since = Date.now();
  await waitFor(async () => {
    const frames = await read(client, "typeof _moxel_frames === 'function' ? _moxel_frames() : 0");
    if (frames !== last) {
      last = frames;
      since = Date.now();
    }
    return Date.now() - since >= REST_MS;
  }, 30000, 100);
}

// The main-thread tasks over LONG_TASK_MS so far: count, longest and the
// total blocking time (each one's excess over LONG_TASK_MS).
async function longTasks(client) {
  const tasks = (await read(client, 'window.moxelBenchLongTasks')) || [];
  const durations = tasks.map(([, d]) => d).filter((d) => d > LONG_TASK_MS);
  return {
    count: durations.length,
    longest: Math.max(0, ...durations),
    blocking: durations.reduce((sum, d) => sum + d - LONG_TASK_MS, 0),
  };
}

// Waits until the service worker is active and its caches hold the same
// entries for a while with the server quiet; or, should no worker come, until
// the server has been idle IDLE_MS. Resolves to the number of entries kept.
const IDLE_MS = 3000;
const KEPT = `(async () => {
  const reg = await navigator.serviceWorker.getRegistration();
  if (!reg || !reg.active || reg.installing || reg.waiting) return -1;
  let n = 0;
  for (const name of await caches.keys()) n += (await (await caches.open(name)).keys()).length;
  return n;
})()`;
async function untilKept(client, server) {
  let last = -1, stableSince = Date.now();
  let kept = -1;
  await waitFor(async () => {
    const n = await read(client, KEPT);
    kept = n === undefined ? -1 : n;
    if (kept !== last) {
      last = kept;
      stableSince = Date.now();
    }
    const quiet = server.idleFor();
    return (kept > 0 && Date.now() - stableSince >= 1000 && quiet >= 1000) || (kept <= 0 && quiet >= IDLE_MS);
  }, LOAD_TIMEOUT_MS, 500);
  return kept;
}

module.exports = { PHONE, CPU_SLOWDOWN, open, loadToMenu, untilAtRest, longTasks, untilKept, knowsMenuShown, sleep };
