#!/usr/bin/env node
// The browser version's core journey in every browser engine players bring:
// Gecko (Firefox), WebKit (every browser on an iPhone) and, on request, Blink
// (Chromium, which web_test.js drives in depth). Each engine plays the same
// journey through the small driver of engines.js:
//
//   the menu draws; one click starts the sound (the driver hands the page no
//   gesture of its own); F11 fills the screen and gives it back; a click
//   starts a game; a drag on the meter plays a stroke that scores on hole 1;
//   Escape opens the pause panel and it quits; the score lands in the table;
//   a reload keeps the scores and the sound setting; a finger taps a game
//   open, starting the sound, and plays a stroke; the canvas fills pages of a
//   phone's shapes; a lost drawing context and a reload offline, where the
//   page offers them; the probe picture drawn by the engine's WebGL equals
//   the desktop's but for the edge pixels below; the console shows no errors.
//
//   node engines_test.js <site folder> <probe folder> <desktop probe pixels> [engine...]
//
// Engines default to MOXEL_WEB_ENGINES or "firefox webkit". Whatever an engine
// cannot show is said in the output ("left out"). Exits 0 when every check passed.
'use strict';
const fs = require('fs');
const path = require('path');
const { serve, sleep, waitFor } = require('./browser');
const { ENGINES, RECORDER, closeDisplays } = require('./engines');
const P = require('./places');

const START_MS = 30000;
const STARTED = 'Moxelpark started';

let failures = 0;
function checker(engine) {
  return (ok, what, detail) => {
    const tail = detail !== undefined ? ': ' + JSON.stringify(detail) : '';
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${engine}: ${what}${tail}`);
    if (!ok) failures++;
    return ok;
  };
}

// Two software rasterisers may differ on single pixels where an edge passes
// exactly through a pixel's centre (the ends of lines, the rim of an oval); a
// fault in blending, texture upload or read-back changes whole areas. Firefox
// and WebKit draw WebGL with the desktop's own rasteriser (Mesa's llvmpipe):
// they differ from it at the two ends of one line (80,4 and 80,40), and
// are allowed twice that. Chromium draws with another one (SwiftShader behind
// ANGLE), which differs at 6 line ends and oval rims here: it keeps the
// allowance of its own test.
const PROBE_EDGE_PIXELS = { chromium: 16, firefox: 4, webkit: 4 };

// Polls the page's expression until it is truthy (errors while the page loads count as false).
function until(d, expr, ms, every = 100) {
  return waitFor(() => d.evaluate(expr).catch(() => false), ms, every);
}

async function shotTest(d, test, ms) {
  return waitFor(async () => test(await d.screenshot()), ms, 100);
}

// Waits until two screenshots a moment apart are the same: a slide came to rest.
async function still(d, ms = 10000) {
  let last = null;
  return waitFor(async () => {
    const s = await d.screenshot();
    const same = s.same(last);
    last = s;
    return same;
  }, ms, 250);
}

async function moving(d) {
  const a = await d.screenshot();
  await sleep(150);
  return !a.same(await d.screenshot());
}

const click = (d, [x, y], kind = 'mouse') => d.pointer(kind, [{ down: [x, y] }, { pause: 50 }, { up: true }]);

// Presses on the meter, drags down to the release point in steps, holds
// still there for a few updates as a hand does (a loaded machine may bring
// the last moves and the release in one frame) and lets go.
const HOLD_BEFORE_RELEASE_MS = 100;
function dragMeter(d, kind) {
  const steps = [{ down: P.METER_PRESS }];
  for (let i = 1; i <= 8; i++) {
    steps.push({ move: [P.METER_PRESS[0], P.METER_PRESS[1] + ((P.METER_RELEASE[1] - P.METER_PRESS[1]) * i) / 8] });
    steps.push({ pause: 20 });
  }
  steps.push({ pause: HOLD_BEFORE_RELEASE_MS }, { up: true });
  return d.pointer(kind, steps);
}

const STATE = `(function () {
  try { return FS.readFile('/save/.vendlestate', { encoding: 'utf8' }).split('|').slice(0, -1).map(Number); }
  catch (e) { return null; } })()`;
const AUDIO = `typeof AL !== 'undefined' && AL.currentCtx ? AL.currentCtx.audioCtx.state : 'none'`;
// Events in which a browser lets a page start its sound.
const ACTIVATING = ['mousedown', 'mouseup', 'click', 'pointerdown', 'pointerup', 'touchend', 'keydown'];
const ACTIVATED = `navigator.userActivation ? navigator.userActivation.hasBeenActive : 'unknown'`;

// Waits for the page's word that the game started.
async function started(d) {
  return waitFor(() => d.said(STARTED).catch(() => false), START_MS);
}

// The mouse: menu, sound, a game, a stroke, the pause panel, the table, a reload.
async function mouseJourney(d, url, check, limits) {
  const navigated = Date.now();
  await d.open(url);
  check(await started(d), 'the game starts');
  check(await shotTest(d, P.menuShown, 10000), 'the menu draws', { ms: Date.now() - navigated });
  check(await still(d), 'the menu comes to rest');
  const soundOn = await d.screenshot();
  const silent = await d.evaluate(AUDIO);
  check(silent !== 'running', 'no sound before the first gesture', silent);
  check((await d.evaluate(ACTIVATED)) === false, 'the driver\'s own calls handed the page no gesture');
  await click(d, P.SOUND_SWITCH);
  check(await until(d, `window.moxelTestResumes.some((e) => ${JSON.stringify(ACTIVATING)}.includes(e))`, 3000),
        'the first click asks for the sound inside its own event', await d.evaluate('window.moxelTestResumes'));
  check(await until(d, `(${AUDIO}) === 'running'`, 3000), 'the first click starts the sound', await d.evaluate(AUDIO));
  check(await until(d, `((${STATE}) || [])[${P.FIELD_SOUND}] === 0`, 3000),
        'the sound switch turns the sound off and saves it');

  await d.key('F11');
  check(await until(d, `window.moxelTestFullscreens.includes('keydown')`, 3000),
        'F11 asks to fill the screen inside its own event', await d.evaluate('window.moxelTestFullscreens'));
  if (limits.fullscreen) {
    console.log(`left out ${d.name}: the screen filled and given back (${limits.fullscreen})`);
  } else {
    const fullscreen = `!!document.fullscreenElement`;
    check(await until(d, fullscreen, 3000), 'F11 fills the screen');
    await d.key('F11');
    check(await until(d, `!(${fullscreen}) && innerWidth === ${P.WIDTH} && innerHeight === ${P.HEIGHT}`, 3000),
          'F11 again gives the window back');
    check(await still(d), 'the menu comes to rest at the window\'s size');
  }

  await click(d, P.TYPE1_BUTTON);
  check(await shotTest(d, P.playShown, 10000), 'a click on game type 1 starts a game');
  await sleep(500);
  await dragMeter(d, 'mouse');
  check(await waitFor(() => moving(d), 2000, 50), 'a drag on the meter plays a stroke');
  check(await still(d, 15000), 'the ball comes to rest');
  if (process.env.MOXEL_WEB_SHOTS) {
    fs.writeFileSync(path.join(process.env.MOXEL_WEB_SHOTS, `${d.name}-stroke.png`), (await d.screenshot()).png);
  }

  await d.key('Escape');
  check(await shotTest(d, P.veilShown, 3000), 'Escape opens the pause panel');
  check(await still(d), 'the pause panel comes to rest');
  const savesBefore = await d.evaluate('window.moxelSaves || 0');
  await click(d, P.PAUSE_QUIT);
  check(await shotTest(d, P.menuShown, 15000), 'quitting ends the game and shows the menu');
  check(await until(d, `((${STATE}) || [])[${P.FIELD_TYPE1_LAST}] === ${P.STROKE_SCORE}`, 5000),
        'the stroke scored and the score is in the table', ((await d.evaluate(STATE)) || []).slice(35, 38));
  check(await until(d, `(window.moxelSaves || 0) > ${savesBefore}`, 5000), 'the save is written through to IndexedDB');

  const before = await d.evaluate(STATE);
  await d.reload();
  check(await started(d), 'a reload starts the game again');
  check(await shotTest(d, P.menuShown, 10000) && (await still(d)), 'the menu draws after the reload');
  const after = await d.evaluate(STATE);
  check(JSON.stringify(after) === JSON.stringify(before), 'the reload keeps the scores and settings',
        after && after.slice(0, 6));
  const soundOff = await d.screenshot();
  // The tables show the chosen game type's scores; the arrow up key chooses type 1.
  await d.key('ArrowUp');
  await sleep(300);
  check(await still(d), 'the menu comes to rest on game type 1');
  const menu = await d.screenshot();
  check(P.lastTenRow(menu, 1) > P.lastTenRow(menu, 2) + 10, 'the score shows in the last-ten table',
        [P.lastTenRow(menu, 1), P.lastTenRow(menu, 2)]);
  const [sx, sy] = P.SOUND_SWITCH;
  const around = (s) => P.region(s, sx - 16, sy - 16, sx + 16, sy + 16);
  check(around(soundOff) !== around(soundOn),
        'the sound switch still shows off');
}

// A finger: a fresh page (no gesture yet) where one tap opens a game and a
// drag on the meter plays a stroke, with no mouse events made up for it. An
// engine that hands the page a finger as the mouse (WebKitGTK without a touch
// screen) is said to leave these out.
async function touchJourney(d, url, check) {
  await d.open(url);
  check(await started(d), 'the game starts again for the finger');
  check(await shotTest(d, P.menuShown, 10000) && (await still(d)), 'the menu comes to rest');
  await d.evaluate(`(window.mouseEvents = 0, window.touchEvents = 0,
    ['mousedown', 'mouseup', 'click'].forEach(function (e) {
      window.addEventListener(e, function () { window.mouseEvents++; }, true); }),
    window.addEventListener('touchstart', function () { window.touchEvents++; }, true), true)`);
  await click(d, P.TYPE1_BUTTON, 'touch');
  check(await shotTest(d, P.playShown, 10000), 'a tap on game type 1 starts a game');
  if (!(await d.evaluate('window.touchEvents'))) {
    console.log(`left out ${d.name}: the finger checks (the engine has touch events only with a touch screen, ` +
                'which the X server here lacks: its driver\'s finger came as the mouse)');
  } else {
    check(await until(d, `(${AUDIO}) === 'running'`, 3000), 'one tap starts the sound', await d.evaluate(AUDIO));
    await sleep(300);
    await dragMeter(d, 'touch');
    check(await waitFor(() => moving(d), 2000, 50), 'a finger on the meter plays a stroke');
    check((await d.evaluate('window.mouseEvents')) === 0, 'no emulated mouse events follow the fingers');
  }
  // Quit, or the next page would resume this game where the menu is wanted.
  await d.key('Escape');
  check(await shotTest(d, P.veilShown, 3000) && (await still(d)), 'the finger\'s game pauses');
  await click(d, P.PAUSE_QUIT);
  check(await shotTest(d, P.menuShown, 15000), 'the finger\'s game is quit');
}

// A phone's shapes, upright and on its side (as narrow as WebKitGTK's window
// goes): the canvas fills the page, drawn at device pixels, and the menu
// comes to rest in it.
const SHAPES = [[450, 800], [800, 450]];

async function shapes(d, check) {
  for (const [w, h] of SHAPES.concat([[P.WIDTH, P.HEIGHT]])) {
    await d.resize(w, h);
    const fits = `(function () {
      var r = Module.canvas.getBoundingClientRect(), dpr = devicePixelRatio;
      return innerWidth === ${w} && innerHeight === ${h} && r.width === ${w} && r.height === ${h} &&
        Module.canvas.width === Math.round(${w} * dpr) && Module.canvas.height === Math.round(${h} * dpr); })()`;
    check(await until(d, fits, 5000), `the canvas fills a ${w}x${h} page`,
          await d.evaluate('[innerWidth, innerHeight, Module.canvas.width, Module.canvas.height]'));
    check(await still(d) && P.menuShown(await d.screenshot()), `the menu comes to rest at ${w}x${h}`);
  }
}

// A phone's shapes, then its losses: the drawing context taken away and
// given back (as a phone does under memory pressure), and a reload with the
// network gone. Each loss is tried where the page offers what it needs (its
// context-restored hook, a service worker); otherwise the output says it was
// left out.
async function phone(d, site, siteDir, check) {
  await d.open(site.url);
  check(await started(d), 'the game starts for the phone\'s checks');
  check(await shotTest(d, P.menuShown, 10000) && (await still(d)), 'the menu comes to rest');
  await shapes(d, check);
  if (await d.evaluate(`typeof Module.onContextRestored === 'function'`)) {
    const before = await d.screenshot();
    const lost = await d.evaluate(`(function () {
      var gl = typeof GLctx !== 'undefined' ? GLctx : Module.canvas.getContext('webgl');
      window.moxelTestLoss = gl && gl.getExtension('WEBGL_lose_context');
      if (!window.moxelTestLoss) return false;
      moxelTestLoss.loseContext();
      return true; })()`);
    if (!lost) {
      console.log(`left out ${d.name}: a lost drawing context (the engine offers no WEBGL_lose_context)`);
    } else {
      await sleep(500);
      await d.evaluate('(moxelTestLoss.restoreContext(), true)');
      check(await waitFor(async () => (await d.screenshot()).same(before), 10000, 200),
            'after a lost and restored drawing context the menu draws as before');
    }
  } else {
    console.log(`left out ${d.name}: a lost drawing context (the page has no context-restored hook)`);
  }
  const worker = fs.existsSync(path.join(siteDir, 'sw.js'));
  if (!worker || !(await d.evaluate(`'serviceWorker' in navigator`))) {
    const why = worker ? 'the engine has no service workers' : 'the site has no service worker';
    console.log(`left out ${d.name}: a reload offline (${why})`);
    return;
  }
  // The first visit installs the worker; from the next load on it answers.
  // The network goes only once that page is up and every file of the game
  // has come (those after the menu too): a page cut off while its own files
  // still come reports their loads as failed (Firefox does).
  await d.reload();
  check(await started(d) && (await shotTest(d, P.menuShown, 10000)) && (await still(d)) &&
        (await until(d, '!!navigator.serviceWorker.controller && Module.moxelDataComplete === true', 20000)),
        'a service worker keeps the page');
  site.offline(true);
  try {
    await d.reload();
    check(await started(d), 'a reload without the network starts the game');
    check(await shotTest(d, P.menuShown, 10000), 'the menu draws offline');
    // Left while the files after the menu still come, the page would report
    // their loads cut off as failed (Firefox does): they come from the worker.
    check(await until(d, 'Module.moxelDataComplete === true', 20000), 'every file of the game comes offline');
  } finally {
    site.offline(false);
  }
}

async function probe(d, url, desktopFile, check) {
  await d.open(url);
  const ready = `typeof _probe_pixels === 'function' && UTF8ToString(_probe_pixels()) !== ''`;
  check(await until(d, ready, 10000), 'the probe picture is drawn in WebGL');
  const web = await d.evaluate('UTF8ToString(_probe_pixels())');
  console.log(`note ${d.name}: WebGL draws with ` + JSON.stringify(await d.evaluate(`(function () {
    var gl = GLctx, info = gl.getExtension('WEBGL_debug_renderer_info');
    return gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER); })()`)));
  const desktop = fs.readFileSync(desktopFile, 'utf8').trim();
  const differ = [];
  for (let i = 0; i < desktop.length / 6; i++) {
    if (web.substr(i * 6, 6) !== desktop.substr(i * 6, 6)) differ.push([i % 160, Math.floor(i / 160)]);
  }
  const most = PROBE_EDGE_PIXELS[d.name];
  check(web.length === desktop.length && differ.length <= most,
        `WebGL draws the probe picture as the desktop does (at most ${most} edge pixels differ)`,
        { differ: differ.length, at: differ.slice(0, 8) });
}

// What an engine cannot be shown to do here, and why: the journey then shows
// only that the page asked for it inside the player's event.
const LIMITS = {
  chromium: {},
  firefox: {
    fullscreen: 'Firefox fills the screen only for a player\'s own input: it refuses a driver\'s keys and clicks, ' +
                'even on a plain page\'s button',
  },
  webkit: {},
};

async function playEngine(name, site, siteDir, probeSite, desktopFile) {
  const check = checker(name);
  const t0 = Date.now();
  let d;
  try {
    d = await ENGINES[name]();
  } catch (e) {
    check(false, 'the browser starts', e.message);
    return;
  }
  console.log(`== ${name}: ${d.version}`);
  for (const n of d.notes) console.log(`note ${name}: ${n}`);
  try {
    await mouseJourney(d, site.url, check, LIMITS[name]);
    await touchJourney(d, site.url, check);
    await phone(d, site, siteDir, check);
    await probe(d, probeSite.url, desktopFile, check);
    const missing = site.missing.splice(0).concat(probeSite.missing.splice(0));
    const errors = (await d.errors()).concat(missing.map((m) => `not found: ${m}`));
    check(errors.length === 0, 'no errors in the console', errors);
  } catch (e) {
    check(false, 'the journey runs to its end', e.stack);
  } finally {
    await d.close().catch((e) => console.log(`${name}: closing: ${e.message}`));
  }
  console.log(`${name}: ${((Date.now() - t0) / 1000).toFixed(1)} s`);
}

async function main() {
  const [siteDir, probeDir, desktopFile, ...named] = process.argv.slice(2);
  if (!siteDir || !probeDir || !desktopFile) {
    console.error('usage: engines_test.js <site folder> <probe folder> <desktop probe pixels> [engine...]');
    process.exit(2);
  }
  const engines = named.length ? named : (process.env.MOXEL_WEB_ENGINES || 'firefox webkit').split(/[\s,]+/)
    .filter(Boolean);
  const site = await serve(path.resolve(siteDir), { inject: RECORDER });
  const probeSite = await serve(path.resolve(probeDir), { inject: RECORDER });
  const started = Date.now();
  try {
    for (const name of engines) {
      if (!ENGINES[name]) {
        checker(name)(false, 'is an engine this test knows', Object.keys(ENGINES));
        continue;
      }
      await playEngine(name, site, path.resolve(siteDir), probeSite, desktopFile);
    }
  } finally {
    site.close();
    probeSite.close();
    await closeDisplays();
  }
  console.log(`${failures ? 'FAILED' : 'passed'} in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  process.exit(failures ? 1 : 0);
}

main().catch((e) => {
  console.error(e);
  process.exit(2);
});
