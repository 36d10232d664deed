// The browser version as a phone is used: phone-shaped pages at three device
// pixels per CSS pixel, fingers only. Sound after exactly one tap, the
// screen kept awake during a game, the back button pausing a game, a lost
// WebGL context lost and given back (and one that never comes back), the
// page installable, a reload with the network gone, and the page inside a
// notched phone's safe area.
//
// Whatever depends on the player's activation is read through the DevTools
// protocol with no user gesture: puppeteer's page.evaluate hands the page one,
// which would let the sound start whatever the page did. Taps go through the
// protocol's touch events, as a touch screen's do.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { sha256, serve, sleep, waitFor, shot, near, rates } = require('./browser');

const LANDSCAPE = { width: 844, height: 390, deviceScaleFactor: 3, hasTouch: true, isMobile: true };
const PORTRAIT = { width: 390, height: 844, deviceScaleFactor: 3, hasTouch: true, isMobile: true };
// A notched phone held upright: the notch above, the home bar below.
const NOTCH = { top: 47, bottom: 34, left: 0, right: 0 };
const SKY = [0, 0, 80];
const GRASS = [0, 200, 0];
const STARTED = 'Moxelpark started';
const MENU_DRAWN = 'Moxelpark menu drawn';
const NOT_FETCHED = 'could not fetch';
// How long the browser takes to let a service worker go after its last page closed.
const CLOSED_MS = 1000;
// A desktop window's shape at one device pixel: the "-hd" pictures.
const WIDE = { width: 800, height: 450, deviceScaleFactor: 1 };
// The menu's game-type buttons stand at fractions of the screen: type 1 at a
// fifth of its width and seven tenths of its height, on a landscape page.
const TYPE1_AT = (v) => [Math.round(v.width * 0.2), Math.round(v.height * 0.7)];
// A corner of the menu's sky with nothing to press.
const NOTHING_AT = [6, 6];
const LOST_MESSAGE = 'The picture was lost';

// Counts the sounds the page starts and those that played to their end, and
// stands in for the screen wake lock (a headless browser has no screen).
function instrument() {
  window.phone = { sounds: 0, heard: 0, locks: [] };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.phone.sounds++;
    this.addEventListener('ended', () => window.phone.heard++);
    return start.apply(this, args);
  };
  const wakeLock = {
    request: async () => {
      window.phone.locks.push('on');
      const lock = new EventTarget();
      lock.released = false;
      lock.release = async () => {
        if (lock.released) return;
        lock.released = true;
        window.phone.locks.push('off');
        lock.dispatchEvent(new Event('release'));
      };
      return lock;
    },
  };
  Object.defineProperty(navigator, 'wakeLock', { configurable: true, get: () => wakeLock });
}

// A page expression's value, evaluated without a user gesture.
async function quietly(cdp, expression) {
  const r = await cdp.send('Runtime.evaluate', { expression, returnByValue: true, userGesture: false });
  return r.exceptionDetails ? undefined : r.result.value;
}

async function tap(cdp, [x, y]) {
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
  await sleep(80);
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
}

// A page of its own, with its console watched and a DevTools session to read
// it quietly; `go` opens `url` in it.
async function openPhone(browser, url, t, label, options) {
  const { page, close } = await t.openPage(browser, options);
  const log = t.watch(page, label);
  const cdp = await page.createCDPSession();
  return { page, close, log, cdp, go: () => page.goto(url) };
}

// The sound output is opened by the first press: 'none' before it.
const audioState = (cdp) => quietly(cdp, `AL.currentCtx ? AL.currentCtx.audioCtx.state : 'none'`);
// The worker comes once every file has followed the menu.
const keptByWorker = (cdp) => waitFor(() => quietly(cdp, '!!navigator.serviceWorker.controller'), 20000);

// The mean brightness of a screenshot, sampled: the pause panel's veil darkens it.
function brightness(s) {
  let sum = 0, n = 0;
  for (let y = 0; y < s.height; y += 7) {
    for (let x = 0; x < s.width; x += 7, n++) sum += s.at(x, y).reduce((a, b) => a + b, 0);
  }
  return sum / n;
}

const menuShown = (s) => near(s.at(2, 2), SKY);
const playShown = (s) => near(s.at(Math.floor(s.width / 10), s.height - 30), GRASS);

// Sound, wake lock, back button and the lost context, in landscape (the way
// the installed game asks to be held), in the browser's own profile.
async function landscapeSession(browser, url, t) {
  const { page, close, log, cdp, go } =
    await openPhone(browser, url, t, 'phone', { viewport: LANDSCAPE, init: instrument });
  await go();
  t.check(await log.waitLine(STARTED, 20000), 'a phone starts the game');
  t.check(await t.waitShot(page, menuShown, 10000) && (await t.still(page)), 'the menu draws on a phone');
  const audio = () => audioState(cdp);
  t.check((await audio()) !== 'running', 'no sound before the first tap', await audio());

  await tap(cdp, TYPE1_AT(LANDSCAPE));
  t.check(await waitFor(async () => (await audio()) === 'running', 3000), 'the sound runs after exactly one tap',
          await audio());
  t.check(await waitFor(async () => (await quietly(cdp, 'phone.heard')) >= 1, 3000),
          'the tap\'s own click is heard', await quietly(cdp, 'phone'));
  t.check(await t.waitShot(page, playShown, 10000), 'the tap on game type 1 starts a game');
  const locks = () => quietly(cdp, 'phone.locks.join()');
  t.check(await waitFor(async () => (await locks()) === 'on', 3000), 'the screen is kept awake during a game',
          await locks());

  // The back button pauses the game and leaves the page where it is.
  const starts = log.lines.filter((l) => l.includes(STARTED)).length;
  const playing = brightness(await shot(page));
  await page.goBack({ timeout: 3000 }).catch(() => null);
  t.check(await t.waitShot(page, (s) => brightness(s) < playing * 0.8, 3000), 'the back button opens the pause panel');
  t.check(page.url() === url && log.lines.filter((l) => l.includes(STARTED)).length === starts,
          'the back button stays on the page', page.url());
  t.check(await waitFor(async () => (await locks()) === 'on,off', 3000), 'the pause panel lets the screen dim',
          await locks());

  // The context is lost and given back: the same picture, and the game ran on.
  t.check(await t.still(page), 'the pause panel comes to rest');
  const before = await shot(page);
  await quietly(cdp, `window.loseContext = document.getElementById('canvas').getContext('webgl')
                        .getExtension('WEBGL_lose_context'); loseContext.loseContext(); true`);
  await sleep(300);
  const lost = await rates(page, 700);
  t.check(lost.updates > 50, 'the game runs on while the context is lost', lost);
  t.check(!(await shot(page)).same(before), 'the picture is gone with the context');
  await quietly(cdp, 'loseContext.restoreContext(); true');
  t.check(await waitFor(async () => (await shot(page)).same(before), 5000, 200),
          'the restored context shows the same picture');
  t.check(await page.evaluate(() => {
    const status = document.getElementById('status');
    return !status.offsetParent || status.classList.contains('behind');
  }),
          'no message covers a context that came back');

  // Back again is the panel's own back action: the game runs on.
  await page.goBack({ timeout: 3000 }).catch(() => null);
  t.check(await waitFor(async () => (await locks()) === 'on,off,on', 3000), 'back in the pause panel plays on',
          await locks());

  // Installable, and playable with the network gone.
  t.check(await keptByWorker(cdp), 'a service worker keeps the game');
  const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
  t.check(installabilityErrors.length === 0, 'the page is installable', installabilityErrors);

  // Reloads during a game keep its one history entry: quit at the menu, one
  // back leaves the page.
  for (let i = 0; i < 2; i++) {
    const from = log.lines.length;
    await page.reload();
    t.check(await log.waitLine(MENU_DRAWN, 20000, from), 'a reload during a game brings it back');
  }
  t.check(await t.still(page) && !playShown(await shot(page)), 'the game comes back paused');
  // Each key held and let go over a few updates, as a hand does.
  for (const key of ['ArrowLeft', 'Enter']) {
    await page.keyboard.press(key, { delay: 100 });
    await sleep(100);
  }
  t.check(await t.waitShot(page, menuShown, 10000), 'quit from the panel goes to the menu');
  await page.goBack({ timeout: 3000 }).catch(() => null);
  t.check(page.url() !== url, 'one back from the menu leaves after reloads', page.url());
  await close();
}

// A first visit upright moves only what its menu needs before the menu is
// drawn: the program, the decoder and the pictures of the resolution its
// 1170 x 2532 pixels use, none of the badge sheet's, none of another
// resolution's, no sound. The rest follows, and once the server is shut and
// the browser has no network a reload in another shape (which wants another
// resolution) starts the game from what the service worker kept, and it plays.
async function offlineSession(browser, server, t) {
  // Storage of its own: the game left in progress in the landscape session
  // would be resumed here.
  const { page, close, log, cdp, go } =
    await openPhone(browser, server.url, t, 'offline', { viewport: PORTRAIT, isolated: true });
  await go();
  t.check(await log.waitLine(MENU_DRAWN, 20000), 'the first visit draws the menu');
  const early = await page.evaluate(() => performance.getEntriesByType('resource')
    .filter((e) => e.startTime < window.moxelMenuShownMs).map((e) => new URL(e.name).pathname.slice(1)));
  const data = early.filter((n) => n.startsWith('data/'));
  t.check(data.length > 0 && data.every((n) => /-hd2\.png$|^data\/tesk_font\.png$/.test(n)) &&
          !data.some((n) => n.includes('BadgesA')) && ['moxelpark.wasm', 'decoder.wasm'].every((n) => early.includes(n)),
          'before its menu a first visit fetches the program and only the pictures its screen shows', early);
  t.check(await keptByWorker(cdp), 'the page is kept by the service worker');
  server.close();
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', { offline: true, latency: 0, downloadThroughput: -1,
                                                        uploadThroughput: -1 });
  await page.setViewport(WIDE);
  await page.reload();
  t.check(await log.waitLine(MENU_DRAWN, 20000, log.lines.length), 'a reload with no network in another shape starts');
  t.check(await t.waitShot(page, menuShown, 10000) && (await t.still(page)), 'the menu draws offline');
  t.check(!log.lines.some((l) => l.includes(NOT_FETCHED)), 'every picture of the other resolution was kept');
  await page.mouse.click(...TYPE1_AT(WIDE), { delay: 50 });
  t.check(await t.waitShot(page, playShown, 10000), 'a game starts offline');
  await close();
}

// Upright, with a notch and a home bar: the canvas keeps out of both, draws
// at the phone's own pixels, and the sound starts at the first tap anywhere.
// From the menu the back button leaves the page.
async function portraitSession(browser, url, t) {
  const { page, close, log, cdp, go } =
    await openPhone(browser, url, t, 'portrait', { viewport: PORTRAIT, isolated: true, init: instrument });
  let notched = true;
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: NOTCH }).catch(() => { notched = false; });
  await page.goto('about:blank');
  await go();
  t.check(await log.waitLine(STARTED, 20000), 'the game starts upright');
  t.check(await t.waitShot(page, menuShown, 10000) && (await t.still(page)), 'the menu draws upright');
  const canvas = await page.evaluate(() => {
    const r = Module.canvas.getBoundingClientRect();
    return [r.top, r.height, Module.canvas.width, Module.canvas.height];
  });
  if (notched) {
    const [top, height, w, h] = canvas;
    t.check(top === NOTCH.top && height === PORTRAIT.height - NOTCH.top - NOTCH.bottom &&
            w === PORTRAIT.width * 3 && h === height * 3, 'the canvas keeps out of the notch and the home bar',
            canvas);
  } else {
    console.log('skip the safe-area check: this browser cannot stand in for a notch');
  }
  const audio = () => audioState(cdp);
  await tap(cdp, NOTHING_AT);
  t.check(await waitFor(async () => (await audio()) === 'running', 3000), 'upright, one tap starts the sound',
          await audio());
  await page.goBack({ timeout: 5000 }).catch(() => null);
  t.check(await waitFor(async () => page.url() === 'about:blank', 3000), 'from the menu the back button leaves',
          page.url());
  await close();
}

// A context that never comes back: the page says so and offers a reload,
// which brings the game back.
async function lostForGoodSession(browser, url, t) {
  const { page, close, log, cdp, go } =
    await openPhone(browser, url, t, 'lost', { viewport: LANDSCAPE, isolated: true });
  await go();
  t.check(await log.waitLine(STARTED, 20000), 'the game starts');
  await quietly(cdp, `document.getElementById('canvas').getContext('webgl')
                        .getExtension('WEBGL_lose_context').loseContext(); true`);
  const said = () => quietly(cdp, `getComputedStyle(document.getElementById('status')).zIndex !== '-1' &&
                                   getComputedStyle(document.getElementById('status')).display !== 'none' &&
                                   document.getElementById('message').textContent`);
  t.check(await waitFor(async () => String(await said()).includes(LOST_MESSAGE), 8000),
          'a context that does not come back is explained', await said());
  const button = await page.evaluate(() => {
    const r = document.getElementById('reload').getBoundingClientRect();
    return [r.left + r.width / 2, r.top + r.height / 2];
  });
  await tap(cdp, button);
  t.check(await log.waitLine(STARTED, 20000, log.lines.length), 'its reload button brings the game back');
  await close();
}

// A new build is taken whole: one published half-way is not kept, a page
// open when it is published goes on with the old one, and the next visit
// runs the new one, every file of it; a copy in another folder keeps its own.
async function newBuildSession(browser, site, t) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'moxel-site-'));
  const a = path.join(dir, 'a');
  fs.cpSync(site, a, { recursive: true });
  fs.cpSync(site, path.join(dir, 'b'), { recursive: true });
  const server = await serve(dir);
  const url = server.url + 'a/';
  const build = (cdp) => quietly(cdp, 'String(window.moxelBuild)');
  // Asks the worker to look for a new build; once its install is over, whether any of it is kept.
  const fetchBuild = (cdp) => cdp.send('Runtime.evaluate', {
    expression: `navigator.serviceWorker.getRegistration().then((r) => r.update().then(() => r.installing &&
      new Promise((done) => r.installing.onstatechange = done)).then(() => caches.keys())
      .then((names) => !!r.waiting || names.some((name) => name.endsWith('next'))))`,
    awaitPromise: true, returnByValue: true }).then((r) => r.result.value);
  try {
    let { page, close, log, cdp, go } = await openPhone(browser, url, t, 'old build', { viewport: LANDSCAPE });
    await go();
    t.check(await keptByWorker(cdp), 'the first build is kept');
    await page.goto(server.url + 'b/');
    t.check(await keptByWorker(cdp), 'so is a copy of it in b/');
    // Caches named before the folder was in the name: a/'s and c/'s.
    await page.evaluate(() => Promise.all(['a', 'c'].map((folder, i) => caches.open(`moxelpark-000000000000000${i}`)
      .then((cache) => cache.put(`/${folder}/index.html`, new Response(''))))));
    await close();

    // The next build: its script says so, its program has an empty custom
    // section more, its worker names a new cache and the bytes of both.
    const next = (name, tail) => Buffer.concat([fs.readFileSync(path.join(a, name)), Buffer.from(tail)]);
    const js = next('moxelpark.js', '\nwindow.moxelBuild = 2;\n'), wasm = next('moxelpark.wasm', [0, 1, 0]);
    const worker = path.join(a, 'sw.js');
    fs.writeFileSync(worker, fs.readFileSync(worker, 'utf8').replace(/const BUILD = '[^']*'/, "const BUILD = 'next'")
      .replace(/('moxelpark.js', ')\w+/, `$1${sha256(js)}`).replace(/('moxelpark.wasm', ')\w+/, `$1${sha256(wasm)}`));
    // Published half-way: the worker and the script are up, the program not yet.
    fs.writeFileSync(path.join(a, 'moxelpark.js'), js);

    ({ page, close, log, cdp, go } = await openPhone(browser, url, t, 'new build', { viewport: LANDSCAPE }));
    await go();
    t.check(await log.waitLine(STARTED, 20000), 'the game starts while a new build is published');
    t.check((await fetchBuild(cdp)) === false, 'a build published half-way is not kept');
    fs.writeFileSync(path.join(a, 'moxelpark.wasm'), wasm);
    t.check((await fetchBuild(cdp)) === true, 'the build published whole is fetched and waits');
    t.check((await build(cdp)) === 'undefined', 'the open page goes on with the old build');
    const from = log.lines.length;
    await page.reload();
    t.check(await log.waitLine(STARTED, 20000, from), 'a reload while the new build waits starts the game');
    // Closed while its files still come in, the page keeps the old build busy
    // a moment longer, and a visit in that moment (or in the moment the
    // browser takes to notice the page is gone) runs it once more.
    await waitFor(() => quietly(cdp, 'Module.moxelDataComplete === true'), 20000);
    await close();
    await sleep(CLOSED_MS);

    // The next visit, with no page of the old build open.
    ({ page, close, log, cdp, go } = await openPhone(browser, url, t, 'next visit', { viewport: LANDSCAPE }));
    await go();
    t.check(await waitFor(async () => (await build(cdp)) === '2', 20000), 'the next visit runs the new build',
            await build(cdp));
    t.check(await log.waitLine(STARTED, 20000), 'the new build starts');
    const names = await page.evaluate(() => caches.keys());
    t.check(names.length === 3 && names.includes('moxelpark-0000000000000001'),
            'the copy in b/ keeps its cache, and of those named the old way only a/\'s went', names);
    await close();
  } finally {
    server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

async function phoneSessions(browser, site, t) {
  await newBuildSession(browser, site, t);
  const server = await serve(site);
  try {
    await landscapeSession(browser, server.url, t);
    await portraitSession(browser, server.url, t);
    await lostForGoodSession(browser, server.url, t);
    await offlineSession(browser, server, t);
  } finally {
    server.close();
  }
}

module.exports = { phoneSessions };
