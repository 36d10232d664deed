// The three browser engines behind one small driver, so one journey plays in
// each: Chromium (headless, puppeteer-core over the DevTools protocol),
// Firefox (puppeteer-core over WebDriver BiDi, with a window on a private X
// server: headless Firefox has no WebGL here) and WebKit (WebKitGTK's
// MiniBrowser through WebKitWebDriver, plain W3C WebDriver, on its own X
// server).
//
// A driver:
//   name, version            the engine and the browser's version
//   notes                    what this engine's driver cannot show, in words for the output
//   open(url), reload()      navigate and wait for the load event
//   said(text)               whether the page has logged a line holding `text` since it was loaded
//   evaluate(expr)           the value of a JavaScript expression in the page (as JSON carries it), asked
//                            without handing the page a user activation
//   pointer(kind, steps)     'mouse' or 'touch'; steps { down: [x, y] } | { move: [x, y] } | { up: true } |
//                            { pause: ms }, in CSS pixels of the 640x480 page
//   resize(width, height)    the page's size in CSS pixels
//   key(name)                a key pressed and released: 'Escape', 'ArrowUp', 'ArrowDown', 'Enter', 'F11'
//   screenshot()             the page as shown, decoded (browser.js decodePng)
//   errors()                 console errors, page errors and failed loads seen so far
//   close()
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { launch, decodePng, sleep, waitFor } = require('./browser');
const { Session } = require('./webdriver');

const FIREFOX = process.env.MOXEL_FIREFOX || '/usr/bin/firefox-esr';
const MINIBROWSER = process.env.MOXEL_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const WEBKIT_DRIVER = process.env.MOXEL_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';
const WIDTH = 640;
const HEIGHT = 480;
const SCREEN = '1280x1024x24';
const XVFB_READY_MS = 10000;
const RESIZE_MS = 3000;

// Put at the top of every page the test server sends, so an engine whose
// driver hears nothing of the console (WebKit's) still reports the page's
// errors: console.error, uncaught errors and rejections, and files that failed
// to load, and what the page logs. It also notes in which event the page asked
// to start the sound or to fill the screen, which shows what can be shown
// where an engine here cannot do either (no sound device; a driver's input
// that does not count as the player's).
const RECORDER = `<script>(function () {
  var lines = window.moxelTestLines = [];
  var log = console.log;
  console.log = function () {
    lines.push(Array.prototype.join.call(arguments, ' '));
    return log.apply(console, arguments);
  };
  function inEvent() {
    var e = window.event;
    return e ? e.type + (e.isTrusted ? '' : ' (untrusted)') : 'outside an event';
  }
  // The sound is asked for by making its context (the game makes it at the
  // first press) or by resuming it.
  var resumes = window.moxelTestResumes = [];
  if (window.AudioContext) {
    var resume = AudioContext.prototype.resume;
    AudioContext.prototype.resume = function () {
      resumes.push(inEvent());
      return resume.apply(this, arguments);
    };
    var Made = window.AudioContext;
    window.AudioContext = function (options) {
      resumes.push(inEvent());
      return new Made(options);
    };
    window.AudioContext.prototype = Made.prototype;
  }
  var fills = window.moxelTestFullscreens = [];
  var fill = Element.prototype.requestFullscreen;
  if (fill) {
    Element.prototype.requestFullscreen = function () {
      fills.push(inEvent());
      return fill.apply(this, arguments);
    };
  }
  var errors = window.moxelTestErrors = [];
  var error = console.error;
  console.error = function () {
    errors.push(Array.prototype.join.call(arguments, ' '));
    return error.apply(console, arguments);
  };
  window.addEventListener('error', function (e) {
    var t = e.target;
    var file = t && t !== window && (t.src || t.href);
    errors.push(file ? 'failed to load ' + file : 'uncaught: ' + e.message);
  }, true);
  window.addEventListener('unhandledrejection', function (e) {
    errors.push('unhandled rejection: ' + (e.reason && e.reason.message || e.reason));
  });
})();</script>`;

// A private X server on a display number of its own choosing: every browser
// gets a new one, and each is kept until closeDisplays() at the end of the
// run, so no display number is used twice in a run. -noreset keeps it from
// resetting when a client leaves.
const displays = [];
function startXvfb() {
  return new Promise((resolve, reject) => {
    const x = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', SCREEN, '-noreset', '-nolisten', 'tcp'],
                    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
    let said = '';
    const timer = setTimeout(() => {
      x.kill();
      reject(new Error('Xvfb did not start'));
    }, XVFB_READY_MS);
    x.on('error', reject);
    x.stdio[3].on('data', (d) => {
      said += d.toString();
      if (!said.includes('\n')) return;
      clearTimeout(timer);
      const display = `:${said.trim()}`;
      displays.push(x);
      resolve({ display });
    });
  });
}

// Chromium and Firefox: puppeteer-core's page, the same calls over either protocol.
async function puppeteerDriver(name, browser, { viewport, notes = [], cleanup = async () => {} }) {
  const page = (await browser.pages())[0] || (await browser.newPage());
  await page.setViewport(viewport);
  const errors = [];
  let lines = [];
  page.on('console', (m) => {
    lines.push(m.text());
    if (m.type() === 'error') errors.push(m.text());
  });
  page.on('pageerror', (e) => errors.push(e.message));
  // A request the journey's own reloads cut short (a favicon still coming)
  // is no fault of the page's.
  page.on('requestfailed', (r) => {
    const why = (r.failure() || {}).errorText || 'no reason';
    if (!/ABORTED/.test(why)) errors.push(`request failed ${r.url()} (${why})`);
  });
  const touch = page.touchscreen;
  const mouse = page.mouse;
  // puppeteer's own evaluate hands the page a user activation, as a gesture
  // would, which would let the sound start without the player; these ask the
  // page without one (the value crosses as JSON).
  const cdp = name === 'chromium' ? await page.createCDPSession() : null;
  async function evaluate(expr) {
    const json = `JSON.stringify((${expr}))`;
    let text;
    if (cdp) {
      const r = await cdp.send('Runtime.evaluate',
                               { expression: json, returnByValue: true, awaitPromise: true, userGesture: false });
      const fault = r.exceptionDetails;
      if (fault) throw new Error(`${expr}: ${fault.exception ? fault.exception.description : fault.text}`);
      text = r.result.value;
    } else {
      const r = await page.mainFrame().browsingContext.defaultRealm.evaluate(json, true, { userActivation: false });
      if (r.type === 'exception') throw new Error(`${expr}: ${r.exceptionDetails.text}`);
      text = r.result.type === 'string' ? r.result.value : undefined;
    }
    return text === undefined ? undefined : JSON.parse(text);
  }
  return {
    name,
    version: await browser.version(),
    notes,
    page,
    async open(url) {
      lines = [];
      await page.goto(url);
    },
    async reload() {
      lines = [];
      await page.reload();
    },
    // Heard from the console, not asked of the page: no activation is handed over.
    said: async (text) => lines.some((l) => l.includes(text)),
    evaluate,
    async pointer(kind, steps) {
      for (const s of steps) {
        if (s.pause) await sleep(s.pause);
        else if (kind === 'touch') {
          if (s.down) await touch.touchStart(...s.down);
          else if (s.move) await touch.touchMove(...s.move);
          else if (s.up) await touch.touchEnd();
        } else if (s.down) {
          await mouse.move(...s.down);
          await mouse.down();
        } else if (s.move) await mouse.move(...s.move);
        else if (s.up) await mouse.up();
      }
    },
    key: (k) => page.keyboard.press(k),
    resize: (width, height) => page.setViewport({ ...viewport, width, height }),
    screenshot: async () => decodePng(Buffer.from(await page.screenshot({ type: 'png' }))),
    errors: async () => errors.slice(),
    async close() {
      await browser.close();
      await cleanup();
    },
  };
}

async function startChromium() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'moxel-engine-chromium-'));
  const browser = await launch(profile);
  return puppeteerDriver('chromium', browser, {
    viewport: { width: WIDTH, height: HEIGHT, hasTouch: true },
    cleanup: async () => fs.rmSync(profile, { recursive: true, force: true }),
  });
}

// Firefox on the desktop has touch events only with a touch screen; the pref
// turns them on as on a touch laptop (and as Gecko on a phone has them).
// Without a sound device Firefox's audio never starts (a resume() never
// settles): its stand-in output plays into nothing, as OpenAL's null device
// does for the desktop's tests.
const FIREFOX_PREFS = {
  'dom.w3c_touch_events.enabled': 1,
  'media.cubeb.force_mock_context': true,
  'browser.shell.checkDefaultBrowser': false,
  'app.update.enabled': false,
  'datareporting.policy.dataSubmissionEnabled': false,
  'toolkit.telemetry.enabled': false,
};

async function startFirefox() {
  const x = await startXvfb();
  const browser = await puppeteer.launch({
    browser: 'firefox', executablePath: FIREFOX, headless: false,
    env: { ...process.env, DISPLAY: x.display }, extraPrefsFirefox: FIREFOX_PREFS,
  });
  return puppeteerDriver('firefox', browser, { viewport: { width: WIDTH, height: HEIGHT } });
}

const moveTo = ([x, y]) => ({ type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport', duration: 0 });

// WebDriver's key values for the keys the journey presses.
const KEYS = { Escape: '\uE00C', Enter: '\uE007', ArrowUp: '\uE013', ArrowDown: '\uE015', F11: '\uE03B' };

async function startWebKit() {
  const x = await startXvfb();
  let session = null;
  // The window's size is the page's plus the browser's own parts (a
  // toolbar), measured once the first size has settled; the page takes a
  // new size a moment after the window.
  const inner = async () => JSON.stringify(await session.execute('return [window.innerWidth, window.innerHeight];'));
  const settled = async () => {
    let last = null;
    await waitFor(async () => {
      const now = await inner();
      const same = now === last;
      last = now;
      return same;
    }, RESIZE_MS, 100);
    return JSON.parse(last);
  };
  let parts = null;
  const resize = async (width, height) => {
    if (!parts) {
      await session.setWindowRect({ width, height });
      const [w, h] = await settled();
      parts = [width - w, height - h];
    }
    await session.setWindowRect({ width: width + parts[0], height: height + parts[1] });
    await waitFor(async () => (await inner()) === JSON.stringify([width, height]), RESIZE_MS, 50);
  };
  try {
    session = await Session.start(WEBKIT_DRIVER, {
      'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
    }, { ...process.env, DISPLAY: x.display });
    await resize(WIDTH, HEIGHT);
  } catch (e) {
    if (session) await session.close().catch(() => {});
    throw e;
  }
  const seen = [];
  const collect = async () => {
    try {
      seen.push(...(await session.execute(
        'var e = window.moxelTestErrors || []; window.moxelTestErrors = []; return e;')));
    } catch (e) {
      seen.push(`the page could not be asked for its errors: ${e.message}`);
    }
  };
  const caps = session.capabilities;
  return {
    name: 'webkit',
    version: `${caps.browserName} ${caps.browserVersion}`,
    notes: ['console errors are those the page\'s scripts see (WebDriver carries no console log)'],
    session,
    async open(url) {
      await collect();
      await session.navigate(url);
    },
    async reload() {
      await collect();
      await session.refresh();
    },
    said: (text) => session.execute(
      'var text = arguments[0]; return (window.moxelTestLines || []).some(function (l) { return l.indexOf(text) >= 0; });',
      [text]),
    evaluate: (expr) => session.execute(`return (${expr});`),
    async pointer(kind, steps) {
      const actions = [];
      for (const s of steps) {
        if (s.pause) actions.push({ type: 'pause', duration: s.pause });
        else if (s.down) {
          actions.push(moveTo(s.down));
          actions.push({ type: 'pointerDown', button: 0 });
        } else if (s.move) {
          actions.push(moveTo(s.move));
        } else if (s.up) actions.push({ type: 'pointerUp', button: 0 });
      }
      await session.actions([{ type: 'pointer', id: kind, parameters: { pointerType: kind }, actions }]);
    },
    async key(k) {
      const value = KEYS[k];
      const actions = [{ type: 'keyDown', value }, { type: 'keyUp', value }];
      await session.actions([{ type: 'key', id: 'keys', actions }]);
    },
    resize,
    screenshot: async () => decodePng(await session.screenshot()),
    async errors() {
      await collect();
      return seen.slice();
    },
    async close() {
      await session.close().catch(() => {});
    },
  };
}

function closeDisplays() {
  return Promise.all(displays.splice(0).map((x) => new Promise((r) => {
    if (x.exitCode !== null) return r();
    x.once('exit', r);
    x.kill();
  })));
}

const ENGINES = { chromium: startChromium, firefox: startFirefox, webkit: startWebKit };

module.exports = { ENGINES, RECORDER, closeDisplays };
