#!/usr/bin/env node
// The browser version played in headless Chromium, as a player would: with
// the mouse at 640x480, then with fingers only on a phone-like page at twice
// the device pixels, then as a phone is used (phone.js). Judged by the page's pixels, the state file the game
// keeps in IndexedDB, the audio context and the console.
//
//   node web_test.js <site folder> [<probe folder> <desktop probe pixels>]
//
// With a probe folder (the probe page, tests/web/probe.cpp) and the pixels the
// desktop's GL test kept of the same picture (probe-scene.txt), it also
// compares the WebGL back end's pixels with the desktop's.
//
// The places below are the game's own at 640x480 (CSS pixels at any
// devicePixelRatio). Exits 0 when every check passed.
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { serve, launch, sleep, waitFor, shot, near, rates } = require('./browser');
const { phoneSessions } = require('./phone');

// The game's places, colours and state fields (places.js, shared with the engine journey).
const {
  SKY, GRASS, SOUND_SWITCH, TYPE1_BUTTON, PAUSE_BUTTON, PAUSE_QUIT, METER_PRESS, METER_RELEASE, STROKE_SCORE,
  FIELD_SOUND, FIELD_TYPE1_LAST, menuShown, playShown, veilShown, lastTenRow, region,
} = require('./places');
const STARTED = 'Moxelpark started';
// Buttons of the browser's standard pad layout.
const STANDARD_A = 0;
const STANDARD_DPAD_DOWN = 13;
const MENU_MS_GOAL = 2000;

let failures = 0;
function check(ok, what, detail) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail !== undefined ? ': ' + JSON.stringify(detail) : ''}`);
  if (!ok) failures++;
  return ok;
}

// Console errors and page errors of every page, reported at the end.
const consoleErrors = [];
function watch(page, label) {
  const lines = [];
  page.on('console', (m) => {
    lines.push(m.text());
    if (m.type() === 'error') consoleErrors.push(`${label}: ${m.text()}`);
  });
  page.on('pageerror', (e) => consoleErrors.push(`${label}: ${e.message}`));
  page.on('requestfailed', (r) => consoleErrors.push(`${label}: request failed ${r.url()}`));
  return {
    lines,
    // Resolves once a console line holds `text` (counting from line `from`).
    waitLine: (text, ms, from = 0) => waitFor(async () => lines.slice(from).some((l) => l.includes(text)), ms),
  };
}

// Waits until two screenshots a moment apart are the same: a slide came to rest.
async function still(page, ms = 10000) {
  let last = null;
  return waitFor(async () => {
    const s = await shot(page);
    const same = s.same(last);
    last = s;
    return same;
  }, ms, 250);
}

async function waitShot(page, test, ms) {
  return waitFor(async () => test(await shot(page)), ms, 100);
}

function stateFields(page) {
  return page.evaluate(() => {
    try {
      return FS.readFile('/save/.vendlestate', { encoding: 'utf8' }).split('|').slice(0, -1).map(Number);
    } catch (e) {
      return null;
    }
  });
}

async function click(page, [x, y]) {
  await page.mouse.move(x, y);
  await page.mouse.down();
  await sleep(50);
  await page.mouse.up();
}

// A page of its own: in the browser's profile, or with `isolated` in a fresh
// context (its own storage). `init` runs before the page's scripts.
async function openPage(browser, { viewport = { width: 640, height: 480 }, isolated = false, init } = {}) {
  const context = isolated ? await browser.createBrowserContext() : null;
  const page = await (context || browser).newPage();
  await page.setViewport(viewport);
  if (init) await page.evaluateOnNewDocument(init);
  return { page, close: () => (context ? context.close() : page.close()) };
}

// Presses on the meter, drags down to the release point in steps, lets go;
// `down`, `move` and `up` work the page's mouse or its touch screen.
async function dragMeter(down, move, up) {
  await down(...METER_PRESS);
  for (let i = 1; i <= 8; i++) {
    await move(METER_PRESS[0], METER_PRESS[1] + ((METER_RELEASE[1] - METER_PRESS[1]) * i) / 8);
    await sleep(20);
  }
  await up();
}

async function flies(page) {
  const a = await shot(page);
  await sleep(150);
  const b = await shot(page);
  return !a.same(b);
}

async function mouseSession(browser, url) {
  const { page, close } = await openPage(browser);
  const log = watch(page, 'mouse');
  await page.goto(url);
  check(await log.waitLine(STARTED, 20000), 'the game starts');
  // Timed by the page's own clock from navigation: the driver's screenshots
  // would add their own time, which grows with whatever else the machine runs.
  const startedMs = Number((/started in (\d+) ms/.exec(log.lines.find((l) => l.includes(STARTED))) || [])[1]);
  check(startedMs < MENU_MS_GOAL * 2, 'the game starts soon after navigation', { ms: startedMs });
  // No script is run in the page before the first click: the driver's own
  // calls would count as a player's gesture and let the sound start.
  check(await waitShot(page, menuShown, 10000), 'the menu draws');
  check(await still(page), 'the menu comes to rest');
  const soundOn = await shot(page);
  const audioBefore = await page.evaluate(() => (AL.currentCtx ? AL.currentCtx.audioCtx.state : 'none'));
  check(audioBefore !== 'running', 'no sound before the first gesture', audioBefore);

  await click(page, SOUND_SWITCH);
  check(await waitFor(() => page.evaluate(() => AL.currentCtx && AL.currentCtx.audioCtx.state === 'running'), 3000),
        'the first click starts the sound');
  check(await waitFor(async () => ((await stateFields(page)) || [])[FIELD_SOUND] === 0, 3000),
        'the sound switch turns the sound off and saves it');

  const fullscreen = () => page.evaluate(() => !!document.fullscreenElement);
  await page.keyboard.press('F11');
  check(await waitFor(fullscreen, 2000), 'F11 fills the screen');
  await page.keyboard.press('F11');
  check(await waitFor(async () => !(await fullscreen()), 2000), 'F11 again gives the window back');

  await click(page, TYPE1_BUTTON);
  check(await waitShot(page, playShown, 10000), 'a click on game type 1 starts a game');
  await sleep(500);
  const rate = await rates(page, 2000);
  check(rate.updates > 55, '60 updates a second in play', rate);

  await dragMeter(async (x, y) => {
    await page.mouse.move(x, y);
    await page.mouse.down();
  }, (x, y) => page.mouse.move(x, y), () => page.mouse.up());
  check(await waitFor(() => flies(page), 2000, 50), 'a drag on the meter plays a stroke');
  check(await still(page, 15000), 'the ball comes to rest');
  check(await page.evaluate(() => Module.moxelStorageKept === undefined),
        'the scores\' storage is not asked for over the first game (a prompt in some browsers)');

  await click(page, PAUSE_BUTTON);
  check(await waitShot(page, veilShown, 3000), 'the pause button opens the pause panel');
  check(await still(page), 'the pause panel comes to rest');
  const savesBefore = await page.evaluate(() => window.moxelSaves || 0);
  await click(page, PAUSE_QUIT);
  check(await waitShot(page, menuShown, 15000), 'quitting ends the game and shows the menu');
  check(await waitFor(async () => ((await stateFields(page)) || [])[FIELD_TYPE1_LAST] === STROKE_SCORE, 5000),
        'the stroke scored and the score is in the table', (await stateFields(page) || []).slice(35, 38));
  check(await waitFor(() => page.evaluate((n) => (window.moxelSaves || 0) > n, savesBefore), 5000),
        'the save is written through to IndexedDB');
  check(await waitFor(() => page.evaluate(() => Module.moxelStorageKept !== undefined), 3000),
        'the first score in the tables asks the browser to keep the scores for good');

  const before = await stateFields(page);
  await page.reload();
  check(await log.waitLine(STARTED, 20000, log.lines.length), 'a reload starts the game again');
  check(await waitShot(page, menuShown, 10000) && (await still(page)), 'the menu draws after the reload');
  const after = await stateFields(page);
  check(JSON.stringify(after) === JSON.stringify(before), 'the reload keeps the scores and settings', after && after.slice(0, 6));
  const soundOff = await shot(page);
  // The tables show the chosen game type's scores; the arrow up key chooses type 1.
  await page.keyboard.press('ArrowUp');
  await sleep(300);
  check(await still(page), 'the menu comes to rest on game type 1');
  const menu = await shot(page);
  if (process.env.MOXEL_WEB_SHOTS) await page.screenshot({ path: path.join(process.env.MOXEL_WEB_SHOTS, 'menu-after-reload.png') });
  check(lastTenRow(menu, 1) > lastTenRow(menu, 2) + 10, 'the score shows in the last-ten table',
        [lastTenRow(menu, 1), lastTenRow(menu, 2)]);
  const at = SOUND_SWITCH;
  check(region(soundOff, at[0] - 16, at[1] - 16, at[0] + 16, at[1] + 16) !==
        region(soundOn, at[0] - 16, at[1] - 16, at[0] + 16, at[1] + 16), 'the sound switch still shows off');
  await close();
  return { before };
}

async function restartSession(browser, url, want) {
  const { page, close } = await openPage(browser);
  const log = watch(page, 'restart');
  await page.goto(url);
  check(await log.waitLine(STARTED, 20000), 'the game starts in a restarted browser');
  const fields = await stateFields(page);
  check(JSON.stringify(fields) === JSON.stringify(want), 'a browser restart keeps the scores and settings');
  await close();
}

// A browser that refuses storage (as some private windows do): the page says
// so in the console, the game plays on, and a save is reported as not kept.
async function refusedStorageSession(browser, url) {
  const { page, close } = await openPage(browser, { isolated: true, init: () => {
    for (const name of ['indexedDB', 'webkitIndexedDB', 'mozIndexedDB']) {
      Object.defineProperty(window, name, { configurable: true, get: () => undefined });
    }
  } });
  const lines = [];
  page.on('console', (m) => lines.push(`${m.type()}: ${m.text()}`));
  const said = (text) => waitFor(async () => lines.some((l) => l.includes(text)), 5000);
  await page.goto(url);
  check(await said(STARTED), 'without storage the game still starts');
  check(await said('cannot be read from this browser'), 'the console says the saved games cannot be read');
  check(await waitShot(page, menuShown, 10000) && (await still(page)), 'the menu draws without storage');
  await click(page, SOUND_SWITCH);
  check(await said('error: The game could not be saved'), 'a save that cannot be kept is reported');
  check(await waitShot(page, menuShown, 1000), 'the game plays on');
  await close();
}

// A pad in the browser's standard layout (none can be plugged in here: the
// page's Gamepad API is stood in for). Its d-pad down chooses game type 3 and
// A starts it, through the same pad layout as on the desktop.
async function padSession(browser, url) {
  const { page, close } = await openPage(browser, { isolated: true, init: () => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
    const pad = { id: 'Test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
                  timestamp: 1, axes: [0, 0, 0, 0], buttons };
    navigator.getGamepads = () => [pad, null, null, null];
    window.testPad = (button, down) => {
      buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
      pad.timestamp++;
    };
  } });
  const log = watch(page, 'pad');
  await page.goto(url);
  check(await log.waitLine(STARTED, 20000), 'the game starts with a pad');
  check(await waitShot(page, menuShown, 10000) && (await still(page)), 'the menu comes to rest');
  const press = async (button) => {
    await page.evaluate((b) => window.testPad(b, true), button);
    await sleep(150);
    await page.evaluate((b) => window.testPad(b, false), button);
    await sleep(150);
  };
  await press(STANDARD_DPAD_DOWN);
  await press(STANDARD_A);
  check(await waitShot(page, playShown, 10000), 'the pad\'s d-pad and A start a game');
  await close();
}

async function touchSession(browser, url) {
  // Mouse events the browser might make up for the fingers are counted.
  const { page, close } = await openPage(browser, {
    viewport: { width: 640, height: 480, deviceScaleFactor: 2, hasTouch: true, isMobile: true },
    isolated: true,
    init: () => {
      window.mouseEvents = 0;
      for (const e of ['mousedown', 'mouseup', 'click']) window.addEventListener(e, () => window.mouseEvents++, true);
    },
  });
  const log = watch(page, 'touch');
  await page.goto(url);
  check(await log.waitLine(STARTED, 20000), 'the game starts on a touch screen');
  check(await waitShot(page, (s) => s.width === 1280 && near(s.at(4, 4), SKY), 10000), 'the menu draws at 2x');
  const size = await page.evaluate(() => [Module.canvas.width, Module.canvas.height]);
  check(size[0] === 1280 && size[1] === 960, 'the canvas is drawn at device pixels', size);
  check(await still(page), 'the menu comes to rest');
  // At full resolution the pictures have detail a 640x480 picture doubled cannot have.
  const menu = await shot(page);
  let fine = 0;
  for (let y = 120; y < 240; y += 2) {
    for (let x = 200; x < 800; x += 2) if (menu.at(x, y).join() !== menu.at(x + 1, y).join()) fine++;
  }
  check(fine > 200, 'the menu is sharp at 2x', fine);

  await page.touchscreen.tap(...TYPE1_BUTTON);
  check(await waitShot(page, (s) => near(s.at(120, 940), GRASS) && near(s.at(1260, 120), SKY), 10000),
        'a tap on game type 1 starts a game');
  await sleep(300);
  const touch = page.touchscreen;
  await dragMeter((x, y) => touch.touchStart(x, y), (x, y) => touch.touchMove(x, y), () => touch.touchEnd());
  check(await waitFor(() => flies(page), 2000, 50), 'a finger on the meter plays a stroke');
  check((await page.evaluate(() => window.mouseEvents)) === 0, 'no emulated mouse events follow the fingers');

  // A hidden tab suspends the game as iconifying does; showing it again brings the pause panel.
  const setHidden = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (h ? 'hidden' : 'visible') });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  await sleep(300);
  const hiddenRate = await rates(page, 1000);
  check(hiddenRate.updates === 0, 'a hidden tab runs no updates', hiddenRate);
  await setHidden(false);
  check(await waitShot(page, (s) => s.at(1260, 120)[2] < 50, 3000), 'showing the tab again opens the pause panel');
  check(await page.evaluate(() => !!AL.currentCtx && AL.currentCtx.audioCtx.state === 'running'),
        'a touch starts the sound');
  await close();
}

// Two rasterisers may differ on single pixels where an edge passes exactly
// through a pixel's centre (the ends of lines, the rim of an oval); a fault in
// blending, texture upload or read-back changes whole areas.
const PROBE_EDGE_PIXELS = 16;

async function probeSession(browser, probeDir, desktopFile) {
  const server = await serve(probeDir);
  const { page, close } = await openPage(browser);
  await page.goto(server.url);
  const ready = () => page.evaluate(() => typeof _probe_pixels === 'function' && UTF8ToString(_probe_pixels()) !== '');
  check(await waitFor(() => ready().catch(() => false), 10000), 'the probe picture is drawn in WebGL');
  const web = await page.evaluate(() => UTF8ToString(_probe_pixels()));
  const desktop = fs.readFileSync(desktopFile, 'utf8').trim();
  const differ = [];
  for (let i = 0; i < desktop.length / 6; i++) {
    if (web.substr(i * 6, 6) !== desktop.substr(i * 6, 6)) differ.push([i % 160, Math.floor(i / 160)]);
  }
  check(web.length === desktop.length && differ.length <= PROBE_EDGE_PIXELS,
        'WebGL draws the probe picture as the desktop does', { differ: differ.length, at: differ.slice(0, 8) });
  await close();
  server.close();
}

// The golden replays played by the game built for WebAssembly (the replay
// checker, run by node) reach the scores the desktop's build reaches.
function goldenReplays(probeDir) {
  const { spawnSync } = require('child_process');
  const lines = fs.readFileSync(path.join(__dirname, '..', 'game', 'golden_replays.txt'), 'utf8')
    .split('\n').filter((l) => l && !l.startsWith('#'));
  const wrong = lines.filter((line) => {
    const [type, score, text] = line.split(' ');
    const run = spawnSync(process.execPath, [path.join(probeDir, 'moxelpark-replay.js'), text], { encoding: 'utf8' });
    return run.status !== 0 || !run.stdout.trim().endsWith(`game type ${type}, score ${score}`);
  });
  check(lines.length > 0 && wrong.length === 0, 'the golden replays reach the desktop\'s scores in WebAssembly', wrong);
}

// A link with the game the kept-game session recorded plays it back to its
// score and offers its game type; the watched game's Share hands the system's
// share sheet a link that plays it again; a damaged link is refused in plain words.
async function replayLinkSession(browser, url, { score, text }) {
  // The system's share sheet is stood in for (a headless browser has none).
  const { page, close } = await openPage(browser, { isolated: true, init: () => {
    navigator.share = (data) => { window.shared = data.url; return Promise.resolve(); };
  } });
  const log = watch(page, 'replay link');
  await page.goto(`${url}#replay=${text}`);
  const sharing = () => page.evaluate(() => getComputedStyle(document.getElementById('share')).display !== 'none');
  check(await waitFor(sharing, 20000), 'a link with a replay plays it back');
  check(page.url() === url, 'the address loses its replay once it plays', page.url());
  await page.click('#share');
  const shared = () => page.evaluate(() => window.shared || '');
  check(await waitFor(async () => (await shared()) === `${url}#replay=${text}`, 3000),
        'Share hands the share sheet the link that plays the game again', await shared());
  const watched = () => page.evaluate(() => Module._moxel_watched_score());
  await waitFor(async () => (await watched()) >= 0, 60000, 250);
  check((await watched()) === score, 'the watched game reaches its score', await watched());
  check(await waitShot(page, menuShown, 10000) && !(await sharing()), 'then the menu is back');
  check(await waitFor(() => page.evaluate(() => document.getElementById('toast').textContent.includes(
    'Your turn: game type ')), 3000), 'and the page offers its game type to play');
  const from = log.lines.length;
  await page.goto(`${url}?again#replay=${text.slice(0, -4)}AAAA`);
  check(await log.waitLine(STARTED, 20000, from) &&
        await waitFor(() => page.evaluate(() => document.getElementById('toast').textContent.includes(
          'cannot be played: it was cut short or changed')), 10000), 'a damaged link is refused in plain words');
  await close();
}

// The game in progress survives a reload and a closed page: a stroke on hole 1
// of game type 1, kept in IndexedDB at rest; a reload, then a new page on the
// same profile, each go straight to the game under its pause panel (never the
// menu first); Quit then records the score once and the kept game is gone.
async function keptGameSession(browser, url) {
  const context = await browser.createBrowserContext();
  const open = async (label) => {
    const page = await context.newPage();
    await page.setViewport({ width: 640, height: 480 });
    return { page, log: watch(page, label) };
  };
  const kept = (page) => page.evaluate(() => {
    try { return FS.readFile('/save/.vendlegame', { encoding: 'utf8' }); } catch (e) { return null; }
  });
  // What IndexedDB itself holds of the kept game: the page's storage, not its memory.
  const keptStored = (page) => page.evaluate(() => new Promise((resolve) => {
    const req = indexedDB.open('/save');
    req.onerror = () => resolve(null);
    req.onsuccess = () => {
      const db = req.result;
      const get = db.transaction('FILE_DATA', 'readonly').objectStore('FILE_DATA').get('/save/.vendlegame');
      get.onerror = () => { db.close(); resolve(null); };
      get.onsuccess = () => { db.close(); resolve(get.result ? new TextDecoder().decode(get.result.contents) : null); };
    };
  }));
  const value = (text, name) => {
    const m = new RegExp('\n' + name + ' (-?\\d+)\n').exec(text || '');
    return m ? Number(m[1]) : null;
  };
  // Row 440 of a picture (above the page's fullscreen button) tells the
  // screens apart: the wait screen's plain background, the grass of play
  // (darker under the veil), or the menu.
  const kind = (s) => {
    let wait = true, play = true;
    for (let x = 0; x < s.width; x++) {
      const c = s.at(x, 440);
      wait = wait && near(c, [40, 40, 80], 2);
      play = play && c[0] === 0 && c[2] === 0;
    }
    return wait ? 'W' : play ? 'P' : 'O';
  };
  const straightToPausedGame = async (page, log, from) => {
    const seen = [];
    const ok = await waitFor(async () => {
      if (!log.lines.slice(from).some((l) => l.includes(STARTED))) return false;
      const s = await shot(page);
      seen.push(kind(s));
      return seen[seen.length - 1] === 'P' && veilShown(s) && s.at(630, 60)[2] > 0;
    }, 20000, 30);
    check(ok && !seen.includes('O'), 'the game comes back under its pause panel, never the menu first', seen.join(''));
  };

  let { page, log } = await open('kept');
  await page.goto(url);
  check(await log.waitLine(STARTED, 20000), 'the game starts');
  check(await waitShot(page, menuShown, 10000) && (await still(page)), 'the menu comes to rest');
  await click(page, TYPE1_BUTTON);
  check(await waitShot(page, playShown, 10000), 'a game of type 1 starts');
  await sleep(300);
  await dragMeter(async (x, y) => {
    await page.mouse.move(x, y);
    await page.mouse.down();
  }, (x, y) => page.mouse.move(x, y), () => page.mouse.up());
  const atRest = async () => {
    const text = await keptStored(page);
    return value(text, 'balls') === 7 && value(text, 'ballstate') === 0 ? text : null;
  };
  check(await waitFor(atRest, 15000, 100), 'the ball at rest is kept in IndexedDB', await kept(page));
  const text = await atRest();
  check(value(text, 'score') === STROKE_SCORE, 'the kept game holds the stroke\'s score', value(text, 'score'));

  // A reload mid-game.
  const lines = log.lines.length;
  await page.reload();
  await straightToPausedGame(page, log, lines);
  check((await kept(page)) === text, 'coming back changes nothing kept');

  // The page closed, a new one opened on the same profile.
  await page.close();
  ({ page, log } = await open('kept again'));
  await page.goto(url);
  await straightToPausedGame(page, log, 0);
  check(await still(page), 'the pause panel comes to rest');
  await click(page, PAUSE_QUIT);
  check(await waitShot(page, menuShown, 15000), 'Quit ends the game and shows the menu');
  check(kind(await shot(page)) === 'O', 'the menu is told apart from the game and the wait screen');
  check(await waitFor(async () => (await keptStored(page)) === null, 5000), 'the ended game is no longer kept');
  const fields = await stateFields(page);
  check(fields && fields[FIELD_TYPE1_LAST] === STROKE_SCORE && fields[FIELD_TYPE1_LAST + 2] === 0,
        'the score is recorded once', fields && fields.slice(35, 40));
  // Its game, recorded across both restarts, is kept behind the score.
  const replays = await page.evaluate(() => FS.readFile('/save/.vendlereplays', { encoding: 'utf8' }));
  const line = new RegExp(`\nlast 1 0 ${STROKE_SCORE} ([A-Za-z0-9_-]+)\n`).exec(replays);
  check(line, 'the game is kept as a replay behind its score', replays);
  await context.close();
  return { score: STROKE_SCORE, text: line && line[1] };
}

// Two tabs of the game on one profile: the second says the game is open
// elsewhere and starts nothing; taking it over stands the first down, saying
// so, with its saves written through; a save the second then makes survives
// anything the first does.
async function twoTabsSession(browser, url) {
  const context = await browser.createBrowserContext();
  const open = async (label) => {
    const page = await context.newPage();
    await page.setViewport({ width: 640, height: 480 });
    const log = watch(page, label);
    await page.goto(url);
    return { page, log };
  };
  const elsewhere = (page) => waitFor(() => page.evaluate(() =>
    !document.getElementById('status').classList.contains('behind') &&
    document.getElementById('message').textContent.includes('open in another tab')), 5000);
  const sound = async (page) => ((await stateFields(page)) || [])[FIELD_SOUND];
  const first = await open('first tab');
  check(await waitShot(first.page, menuShown, 20000) && (await still(first.page)), 'the first tab shows the menu');
  await click(first.page, SOUND_SWITCH);
  check(await waitFor(async () => (await sound(first.page)) === 0, 3000), 'the first tab turns the sound off');
  const second = await open('second tab');
  check(await elsewhere(second.page) && !second.log.lines.some((l) => l.includes(STARTED)),
        'a second tab says the game is open elsewhere and starts nothing');
  await second.page.click('#here');
  check(await elsewhere(first.page), 'taking the game over stands the first tab down, saying so');
  check(await second.log.waitLine(STARTED, 20000) && (await sound(second.page)) === 0,
        'the second tab starts from what the first wrote');
  check(await waitShot(second.page, menuShown, 10000) && (await still(second.page)), 'its menu comes to rest');
  await click(second.page, SOUND_SWITCH);
  check(await waitFor(async () => (await sound(second.page)) === 1, 3000), 'the second tab turns the sound on');
  await first.page.evaluate(() => Module._moxel_page_hidden());
  await sleep(500);
  const from = second.log.lines.length;
  await second.page.reload();
  check(await second.log.waitLine(STARTED, 20000, from) && (await sound(second.page)) === 1,
        'the first tab, hidden, saved nothing over it');
  await context.close();
}

async function main() {
  const site = path.resolve(process.argv[2] || 'build-web');
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'moxel-web-'));
  const server = await serve(site);
  const started = Date.now();
  try {
    let browser = await launch(profile);
    const { before } = await mouseSession(browser, server.url);
    await browser.close();
    browser = await launch(profile);
    await restartSession(browser, server.url, before);
    await touchSession(browser, server.url);
    await refusedStorageSession(browser, server.url);
    await padSession(browser, server.url);
    await phoneSessions(browser, site, { check, watch, openPage, waitShot, still });
    const recorded = await keptGameSession(browser, server.url);
    await twoTabsSession(browser, server.url);
    await replayLinkSession(browser, server.url, recorded);
    if (process.argv[3]) {
      await probeSession(browser, path.resolve(process.argv[3]), process.argv[4]);
      goldenReplays(path.resolve(process.argv[3]));
    }
    await browser.close();
  } finally {
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  check(consoleErrors.length === 0, 'no errors in the console', consoleErrors);
  console.log(`${failures ? 'FAILED' : 'passed'} in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  process.exit(failures ? 1 : 0);
}

main().catch((e) => {
  console.error(e);
  process.exit(2);
});
