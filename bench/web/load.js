#!/usr/bin/env node
// What a phone player on a slow connection meets when opening the game
// (scripts/bench-web.sh runs this after tests/web/measure.js):
//
// - first visit: a fresh browser as a phone (390x844, 3 device pixels a CSS
//   pixel, touch, CPU slowed 4x) on a paced link (150 ms round trip,
//   1.6 Mbit/s shared by the page and its service worker): navigation to the
//   menu drawn, and the bytes that had moved on the wire by then, per file;
// - repeat visit: once the service worker has kept the game, a new page in
//   the same browser: navigation to the menu drawn again;
// - long tasks: at the machine's own speed and no pacing, at three screen
//   sizes, every main-thread task over 50 ms from navigation until the menu is
//   at rest: how many, the longest and the total blocking time.
//
//   node load.js <site folder> [runs]   (default 3; figures are ranges over the runs)
'use strict';
const path = require('path');
const { launch } = require('../../tests/web/browser');
const { serve, RTT_MS, RATE_BITS_PER_S } = require('./paced_server');
const phone = require('./phone_page');

const SCREENS = [
  { name: '390x844x3', view: phone.PHONE },
  { name: '1280x720x1', view: { width: 1280, height: 720, deviceScaleFactor: 1 } },
  { name: '640x480x1', view: { width: 640, height: 480, deviceScaleFactor: 1 } },
];

const kb = (bytes) => `${(bytes / 1000).toFixed(1)} kB`;
const ms = (v) => `${Math.round(v)} ms`;
function range(values, show = ms) {
  const lo = Math.min(...values), hi = Math.max(...values);
  return show(lo) === show(hi) ? show(lo) : `${show(lo)} – ${show(hi)}`;
}

function printMoved(moved, label) {
  let total = 0;
  console.log(`  ${label}:`);
  for (const [name, m] of [...moved].sort((a, b) => b[1].bytes - a[1].bytes)) {
    total += m.bytes;
    console.log(`    ${name.padEnd(24)} ${String(m.bytes).padStart(9)} B  (${ms(m.begin)} – ${ms(m.end)}: ` +
                `answered ${m.statuses.join(', ')}, ${m.total} B in all)`);
  }
  console.log(`    ${'all'.padEnd(26)} ${String(total).padStart(9)} B`);
  return total;
}

const sumMoved = (moved) => [...moved.values()].reduce((s, m) => s + m.bytes, 0);

// One fresh browser: the first visit, then the repeat visit once the game is kept.
async function phoneRun(site, menuSign, run) {
  const server = await serve(site, { paced: true });
  const browser = await launch(undefined);
  try {
    const first = await phone.open(browser);
    server.mark();
    const one = await phone.loadToMenu(first, server.url, menuSign);
    const kept = await phone.untilKept(first.client, server);
    one.moved = server.movedBy(one.wallMs);
    console.log(`run ${run}: first visit ${ms(one.ms)} to the ${one.by} (program started at ` +
                `${ms(one.started)}), ${kb(sumMoved(one.moved))} moved by then`);
    if (run === 1) printMoved(one.moved, 'bytes on the wire before the menu, first visit');
    const firstTotal = server.log.reduce((s, e) => s + e.bytes, 0);
    await first.page.close();

    const again = await phone.open(browser);
    server.mark();
    const from = server.log.length;
    const two = await phone.loadToMenu(again, server.url, menuSign);
    two.moved = server.movedBy(two.wallMs);
    const asked = server.log.slice(from).map((e) => `${e.path} ${e.status}`);
    console.log(`run ${run}: repeat visit ${ms(two.ms)} to the ${two.by} (program started at ` +
                `${ms(two.started)}); the worker kept ${kept} files, the first visit moved ` +
                `${kb(firstTotal)} in all; asked the server again: ${asked.join(', ') || 'nothing'}`);
    await again.page.close();
    return { first: one, repeat: two };
  } finally {
    await browser.close();
    server.close();
  }
}

// A browser that has drawn WebGL once, as a player's browser has: its GPU
// process is up. Starting that process (over half a second here, with
// SwiftShader) is the browser's own start, not the page's, and would
// otherwise land in the first task that makes a context.
async function warmBrowser() {
  const browser = await launch(undefined);
  const page = await browser.newPage();
  await page.evaluate(() => !!document.createElement('canvas').getContext('webgl'));
  await page.close();
  return browser;
}

// One browser at full speed per screen size, navigation to the menu at rest.
async function longTaskRun(site, menuSign, screen) {
  const server = await serve(site, { paced: false });
  const browser = await warmBrowser();
  try {
    const page = await phone.open(browser, { view: screen.view, slowdown: 1 });
    const menu = await phone.loadToMenu(page, server.url, menuSign);
    await phone.untilAtRest(page.client);
    const tasks = await phone.longTasks(page.client);
    return { menu: menu.ms, ...tasks };
  } finally {
    await browser.close();
    server.close();
  }
}

async function main() {
  const site = path.resolve(process.argv[2] || 'build-web');
  const runs = Number(process.argv[3] || 3);
  const menuSign = phone.knowsMenuShown(site);
  console.log(`phone: ${phone.PHONE.width}x${phone.PHONE.height}, ${phone.PHONE.deviceScaleFactor} device pixels ` +
              `a pixel, CPU slowed ${phone.CPU_SLOWDOWN}x; link ${RTT_MS} ms round trip, ` +
              `${RATE_BITS_PER_S / 1e6} Mbit/s shared; gzip; ${runs} runs, each in a fresh browser`);
  console.log(menuSign ? 'the menu counts as drawn when the page sets moxelMenuShownMs'
    : 'this build does not say when its menu is drawn (no moxelMenuShownMs): its first frame counts');
  const visits = [];
  for (let run = 1; run <= runs; run++) visits.push(await phoneRun(site, menuSign, run));

  const tasks = {};
  for (const screen of SCREENS) {
    tasks[screen.name] = [];
    for (let run = 0; run < runs; run++) tasks[screen.name].push(await longTaskRun(site, menuSign, screen));
    const t = tasks[screen.name];
    console.log(`long tasks at ${screen.name}, full speed: ${t.map((r) => r.count).join(', ')} tasks, ` +
                `longest ${t.map((r) => ms(r.longest)).join(', ')}, blocking ${t.map((r) => ms(r.blocking)).join(', ')}` +
                ` (menu at ${t.map((r) => ms(r.menu)).join(', ')})`);
  }

  const by = visits[0].first.by;
  const rows = [
    [`first visit, to the ${by}`, range(visits.map((v) => v.first.ms))],
    ['  bytes moved by then', range(visits.map((v) => sumMoved(v.first.moved)), kb)],
    [`repeat visit, to the ${by}`, range(visits.map((v) => v.repeat.ms))],
    ['  bytes moved by then', range(visits.map((v) => sumMoved(v.repeat.moved)), kb)],
  ];
  for (const screen of SCREENS) {
    const t = tasks[screen.name];
    rows.push([`long tasks ${screen.name}`, `${range(t.map((r) => r.count), String)} tasks, longest ` +
               `${range(t.map((r) => r.longest))}, blocking ${range(t.map((r) => r.blocking))}`]);
  }
  console.log(`== summary (ranges over ${runs} runs)`);
  for (const [name, value] of rows) console.log(`${name.padEnd(34)} ${value}`);
}

main().catch((e) => {
  console.error(e);
  process.exit(2);
});
