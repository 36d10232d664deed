#!/usr/bin/env node
// Lighthouse's view of the game's load as on a phone (scripts/bench-web.sh
// runs this): its mobile preset, performance only, against the site served
// gzipped at full speed (Lighthouse simulates the slow link and CPU itself),
// with the system's Chromium. Lighthouse clears the worker and caches before
// each run, so every run is a first visit.
//
//   node lighthouse.js <site folder> <lighthouse cli/index.js> [runs]   (default 3)
'use strict';
const { execFile } = require('child_process');
const path = require('path');
const { serve } = require('./paced_server');

const CHROMIUM = process.env.MOXEL_CHROMIUM || '/usr/bin/chromium';
// As the browser tests' Chromium: software WebGL, nothing reaching out on its own.
const CHROME_FLAGS = [
  '--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
  '--disable-quic',
];
const RUN_TIMEOUT_MS = 300000;
const FIGURES = [
  ['total-blocking-time', 'TBT'], ['interactive', 'TTI'], ['first-contentful-paint', 'FCP'],
  ['largest-contentful-paint', 'LCP'], ['speed-index', 'speed index'],
];

function lighthouse(cli, url) {
  const args = [cli, url, '--only-categories=performance', '--output=json', '--output-path=stdout', '--quiet',
                `--chrome-flags=${CHROME_FLAGS.join(' ')}`];
  return new Promise((resolve, reject) => {
    execFile(process.execPath, args, { env: { ...process.env, CHROME_PATH: CHROMIUM }, maxBuffer: 1 << 28,
                                       timeout: RUN_TIMEOUT_MS },
    (error, stdout, stderr) => {
      if (error) reject(new Error(`lighthouse failed: ${error.message}\n${stderr}`));
      else resolve(JSON.parse(stdout));
    });
  });
}

const whole = (v) => (v === undefined ? '—' : String(Math.round(v)));
const show = (v) => (v === undefined ? '—' : `${Math.round(v)} ms`);
function range(values, unit = show) {
  const known = values.filter((v) => v !== undefined);
  if (known.length === 0) return unit(undefined);
  const lo = Math.min(...known), hi = Math.max(...known);
  return unit(lo) === unit(hi) ? unit(lo) : `${unit(lo)} – ${unit(hi)}`;
}

async function main() {
  const site = path.resolve(process.argv[2] || 'build-web');
  const cli = process.argv[3];
  const runs = Number(process.argv[4] || 3);
  if (!cli) throw new Error('usage: lighthouse.js <site folder> <lighthouse cli/index.js> [runs]');
  const server = await serve(site, { paced: false });
  const results = [];
  let unscored = 0;
  try {
    // A run can end with no score (the page's largest paint not seen, "NO_LCP"):
    // such runs are counted and told, and others are tried in their place.
    for (let run = 1; results.length < runs && run <= 2 * runs; run++) {
      const report = await lighthouse(cli, server.url);
      const score = report.categories.performance.score;
      const r = { score: score === null ? undefined : score * 100 };
      for (const [id] of FIGURES) r[id] = report.audits[id] && report.audits[id].numericValue;
      const why = report.runtimeError ? report.runtimeError.code
        : FIGURES.map(([id]) => report.audits[id] && report.audits[id].errorMessage).find((m) => m);
      const warnings = report.runWarnings || [];
      console.log(`run ${run} (Lighthouse ${report.lighthouseVersion}): score ${whole(r.score)}, ` +
                  FIGURES.map(([id, name]) => `${name} ${show(r[id])}`).join(', ') +
                  (why ? `; not measured: ${why}` : '') + (warnings.length ? `; warned: ${warnings.map((w) => w.split('. ')[0]).join(' / ')}` : ''));
      if (r.score === undefined) unscored++;
      else results.push(r);
    }
  } finally {
    server.close();
  }
  if (results.length === 0) throw new Error(`no Lighthouse run gave a score (${unscored} tried)`);
  console.log(`== Lighthouse summary (mobile preset, ranges over ${results.length} scored runs` +
              `${unscored ? `; ${unscored} more gave no score` : ''})`);
  console.log(`${'performance score'.padEnd(34)} ${range(results.map((r) => r.score), whole)}`);
  for (const [id, name] of FIGURES) console.log(`${name.padEnd(34)} ${range(results.map((r) => r[id]))}`);
}

main().catch((e) => {
  console.error(e.message);
  process.exit(2);
});
