#!/usr/bin/env node
// The browser version's figures (scripts/bench-web.sh runs this): page load to
// the menu's first frame in a freshly started headless Chromium and in one
// already running, then updates and frames a second over a stretch in the
// menu and in play (aiming, and with the ball in flight) at 1280x720.
//
//   node measure.js <site folder> [seconds per stretch]
'use strict';
const path = require('path');
const { serve, launch, sleep, waitFor, rates } = require('./browser');

const WIDTH = 1280;
const HEIGHT = 720;
// The menu's type-1 button and the power meter at 1280x720 (CSS pixels).
const TYPE1_BUTTON = [255, 505];
const METER = [WIDTH - 40, 230];

async function loadToMenu(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: WIDTH, height: HEIGHT });
  const t0 = Date.now();
  await page.goto(url);
  await waitFor(() => page.evaluate(() => typeof _moxel_frames === 'function' && _moxel_frames() > 0)
    .catch(() => false), 20000, 10);
  const ms = Date.now() - t0;
  const started = await page.evaluate(() => window.moxelStartedMs);
  return { page, ms, started };
}

async function main() {
  const site = path.resolve(process.argv[2] || 'build-web');
  const seconds = Number(process.argv[3] || 10);
  const server = await serve(site);
  const browser = await launch(undefined);
  const cold = await loadToMenu(browser, server.url);
  await cold.page.close();
  const warm = await loadToMenu(browser, server.url);
  const page = warm.page;
  console.log(`load to the menu's first frame: ${cold.ms} ms in a fresh browser (program started at ` +
              `${Math.round(cold.started)} ms), ${warm.ms} ms in a running one`);
  await sleep(2000);
  const menu = await rates(page, seconds * 1000);
  console.log(`menu at ${WIDTH}x${HEIGHT}: ${menu.updates.toFixed(1)} updates/s, ${menu.frames.toFixed(1)} frames/s`);
  await page.mouse.click(...TYPE1_BUTTON, { delay: 50 });
  await sleep(2000);
  const aiming = await rates(page, seconds * 1000);
  console.log(`play, aiming at ${WIDTH}x${HEIGHT}: ${aiming.updates.toFixed(1)} updates/s, ` +
              `${aiming.frames.toFixed(1)} frames/s`);
  // Strokes one after the other keep the ball in flight for most of the stretch.
  let flight = { updates: 0, frames: 0 };
  const stretches = Math.max(1, Math.round(seconds / 2));
  for (let i = 0; i < stretches; i++) {
    await page.mouse.move(METER[0], METER[1]);
    await page.mouse.down();
    await page.mouse.move(METER[0], METER[1] + 200, { steps: 4 });
    await page.mouse.up();
    const r = await rates(page, 2000);
    flight = { updates: flight.updates + r.updates / stretches, frames: flight.frames + r.frames / stretches };
  }
  console.log(`play, ball in flight at ${WIDTH}x${HEIGHT}: ${flight.updates.toFixed(1)} updates/s, ` +
              `${flight.frames.toFixed(1)} frames/s`);
  await browser.close();
  server.close();
}

main().catch((e) => {
  console.error(e);
  process.exit(2);
});
