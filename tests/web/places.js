// What the browser tests know of the game at 640x480 (CSS pixels at any
// devicePixelRatio): where its buttons are, the colours that tell its screens
// apart, the stroke that scores on a known hole, and the state file's fields.
'use strict';
const { near } = require('./browser');

const SKY = [0, 0, 80];
const GRASS = [0, 200, 0];

// A decoded screenshot at 640x480 shows the menu, play, or the pause panel's veil.
const menuShown = (s) => near(s.at(2, 2), SKY);
const playShown = (s) => near(s.at(60, 470), GRASS) && near(s.at(630, 60), SKY);
const veilShown = (s) => s.at(630, 60)[2] < 50;

// Lit pixels of the last-ten list's row k (1 is the newest score).
function lastTenRow(s, k) {
  let n = 0;
  for (let y = 240 + 15 * k; y < 255 + 15 * k; y++) {
    for (let x = 515; x < 635; x++) if (s.at(x, y).some((v) => v > 150)) n++;
  }
  return n;
}

// The pixels of a rectangle as one string, to compare two pictures of it.
function region(s, x0, y0, x1, y1) {
  const out = [];
  for (let y = y0; y < y1; y++) for (let x = x0; x < x1; x++) out.push(...s.at(x, y));
  return out.join(',');
}

module.exports = {
  WIDTH: 640,
  HEIGHT: 480,
  SKY, GRASS, near, menuShown, playShown, veilShown, lastTenRow, region,
  SOUND_SWITCH: [320, 32],
  TYPE1_BUTTON: [128, 336],
  PAUSE_BUTTON: [16, 16],
  PAUSE_QUIT: [180, 184],
  // Hole 1 of game type 1: the golfer faces right, and a stroke released 80
  // units below the meter's top scores 25 (a run of releases around it does too).
  METER_PRESS: [620, 160],
  METER_RELEASE: [620, 224],
  STROKE_SCORE: 25,
  // The state text's fields: the sound setting, and game type 1's newest last-ten score.
  FIELD_SOUND: 5,
  FIELD_TYPE1_LAST: 36,
};
