// The game's named numbers: modes, image and sound slots, array sizes, the
// display list's layout, the course's geometry and the action codes.
//
// Everything here is a plain constexpr at global scope so that every source of
// the game (and its tests) names the same number the same way.
#ifndef MOXEL_GAME_CONSTANTS_H
#define MOXEL_GAME_CONSTANTS_H

// ---- Modes ----
// Values of f_GameMode; no other value is ever stored.
constexpr int MODE_MENU = 1;
constexpr int MODE_MENU_LOAD = 2;
constexpr int MODE_PLAY = 10;
constexpr int MODE_PLAY_LOAD = 11;
// Modes above this one are play modes (the on-screen pad shows there).
constexpr int MODE_PLAY_THRESHOLD = 5;
// Modes from this one on count as a game under way (suspend opens the pause panel).
constexpr int MODE_GAME_UNDER_WAY = 10;

// ---- The omitted-argument marker ----
// The marker of the drawing helpers' omitted arguments, also the position of a
// touch point that is up. An argument counts as given only when it is greater.
constexpr float OMITTED = -3717.0f;
constexpr int TOUCH_UP = -3717;

// ---- Update rates asked of the host ----
constexpr int UPDATE_RATE = 60;
constexpr int SUSPENDED_UPDATE_RATE = 5;

// ---- The display list ----
// Entries of 15 floats in logical units.
constexpr int DRAW_LIST_FLOATS = 37500;
constexpr int DRAW_ENTRY_FLOATS = 15;
// An append is refused once the count passes this, so the last entry slot of
// the array is never used (2,499 entries per frame).
constexpr int DRAW_LIST_FULL = 37484;
// Index 0 of an entry: an image slot (0 to 99), or one of these kinds.
constexpr float DRAW_KIND_RECT = -3717.0f;
constexpr float DRAW_KIND_OVAL = -3716.0f;
// Indices within an entry.
constexpr int DRAW_KIND = 0;
constexpr int DRAW_X = 1;
constexpr int DRAW_Y = 2;
constexpr int DRAW_ROTATION = 3;
constexpr int DRAW_W = 4;  // image: size x; rectangle: width; oval: x radius
constexpr int DRAW_H = 5;  // image: size y; rectangle: height; oval: y radius
constexpr int DRAW_FRAME = 6;
constexpr int DRAW_ALPHA = 7;
constexpr int DRAW_RED = 10;
constexpr int DRAW_GREEN = 11;
constexpr int DRAW_BLUE = 12;

// After the replay the graphics state is left at this alpha.
constexpr float REPLAY_END_ALPHA = 0.5f;

// ---- The logical screen's nominal size ----
constexpr float LOGICAL_WIDTH = 640.0f;
constexpr float LOGICAL_HEIGHT = 480.0f;
// The shapes (width over height) the menu's layout holds at: narrower, its
// title would run into the score panel and under the lists; wider, into the
// game-type buttons. Beyond them the menu is drawn at the nearest of the two,
// centred.
constexpr float MENU_ASPECT_MIN = 15.0f / 16.0f;
constexpr float MENU_ASPECT_MAX = 21.0f / 9.0f;

// ---- Image slots and their files ----
constexpr int IMAGE_SLOTS = 100;
constexpr int IMAGE_INFO_PER_SLOT = 3;  // frame width, frame height, frame count
constexpr int IMAGE_INFO_WIDTH = 0;
constexpr int IMAGE_INFO_HEIGHT = 1;
constexpr int IMAGE_INFO_FRAMES = 2;
constexpr int SLOT_GFX = 1;       // "gfx": hero, targets, slider
constexpr int SLOT_BADGES = 80;   // "BadgesA": badge pictures
constexpr int SLOT_FONT = 90;     // "fonts/editundo": the bitmap font
constexpr int SLOT_ICADE = 92;    // "common/icade": the iCade switch
constexpr int SLOT_AUTHOR = 93;   // "common/WexoLogo": wait screen and credits button
constexpr int SLOT_DPAD = 94;     // "common/dpad": on-screen pad
constexpr int SLOT_BUTTONS = 95;  // "common/Buttons": game-type buttons
constexpr int SLOT_PARTS = 96;    // "parts"
constexpr int SLOT_ICONS = 97;    // "common/icons": pause, sound, calibrate ...
constexpr int SLOT_LOGO = 98;     // "logo": the game's title
constexpr int SLOT_MENU = 99;     // "menu": the menu backdrop
// Every game image is loaded with the handle at the centre of its frames.
constexpr int IMAGE_FLAG_CENTRE = 1;

// Frames of the "common/icons" sheet, shared by the menu, the pause panel and
// the tilt indicator.
constexpr int ICON_PAUSE = 0;
constexpr int ICON_QUIT = 1;
constexpr int ICON_RESUME = 3;
constexpr int ICON_SOUND_ON = 4;
constexpr int ICON_SOUND_OFF = 5;
constexpr int ICON_HIGHLIGHT = 6;
constexpr int ICON_CALIBRATE = 7;

// The bitmap font: 128 glyphs of 16 by 16 pixels for codes 32 to 159.
constexpr int FONT_CELL = 16;
constexpr int FONT_GLYPHS = 128;
constexpr int FONT_FIRST_CHAR = 32;
constexpr int FONT_ADVANCE = 7;
constexpr int FONT_LINE_HEIGHT = 10;
constexpr int FONT_BACKSLASH_FRAME = 60;

// Resolution factors of the image files and the window sizes that choose them.
constexpr int HIRES_PLAIN = 1;
constexpr int HIRES_HD = 2;
constexpr int HIRES_HD2 = 4;
constexpr int HIRES_HD_ABOVE = 630;
constexpr int HIRES_HD2_ABOVE = 1230;

// ---- Sound slots ----
constexpr int SOUND_SLOTS = 100;
constexpr int SFX_START = 1;
constexpr int SFX_STROKE = 10;  // a stroke is played
constexpr int SFX_BOUNCE = 11;  // a hard ground bounce
constexpr int SFX_HIT = 12;     // an object is struck
constexpr int SFX_WALL = 13;    // a wall bounce
constexpr int SFX_CUP = 14;     // the ball drops into the cup
constexpr int SFX_CHEER = 15;   // 45 updates after the drop
constexpr int SFX_LAST_EFFECT = 18;
constexpr int SFX_EXTRA = 95;
constexpr int SFX_CLICK = 98;   // menu and pause panel actions
constexpr int SFX_SWITCH = 99;  // iCade switch, credits
// The click is played at half volume wherever it sounds; its rate tells the
// actions apart.
constexpr float CLICK_VOLUME = 0.5f;

// Effects rotate over this many channels; the map has room for the device's 32 and one more.
constexpr int SFX_CHANNELS = 24;
constexpr int CHANNEL_MAP_SIZE = 33;

// f_Settings[SETTING_SOUND] values: off, and the two for which effects play.
constexpr int SOUND_OFF = 0;
constexpr int SOUND_ON = 1;
constexpr int SOUND_ON_WITH_MUSIC = 2;

// ---- Array sizes of the state record ----
constexpr int TOUCH_POINTS = 10;
constexpr int PAD_ENTRIES = 20;
constexpr int SETTINGS_COUNT = 25;
constexpr int HIGHSCORE_COUNT = 60;
constexpr int HIGHSCORE_CLEARED_AT_START = 31;  // m_OnCreate clears entries 0 to 30
constexpr int BADGE_ROWS = 15;
constexpr int BADGE_FLAGS = 256;
constexpr int BADGE_FLAGS_CLEARED_AT_START = 128;
constexpr int OBJECT_FLOATS = 1024;

// Settings entries.
constexpr int SETTING_SOUND = 5;
constexpr int SETTING_PAD_X = 10;
constexpr int SETTING_PAD_Y = 11;     // height of the pad's centre above the bottom edge
constexpr int SETTING_PAD_SIZE = 12;  // in tenths
// The pad's size setting stays within these: the pad clamps it every update,
// and a load puts a smaller one back to the default.
constexpr int PAD_SIZE_MIN = 8;
constexpr int PAD_SIZE_MAX = 25;

// Highscore tables: type t (1 to 3) has its top ten at (t - 1) * 10 and its
// last ten at 30 + (t - 1) * 10, best and newest first.
constexpr int TABLE_LENGTH = 10;
constexpr int LAST_TEN_BASE = 30;
constexpr int GAME_TYPES = 3;
constexpr int DEFAULT_GAME_TYPE = 2;
// Scores are shown with eight digits, in play and in the menu's tables.
constexpr int SCORE_DIGITS = 8;

// ---- Actions of m_PlayKey and entries of f_Pad ----
constexpr int ACTION_UP = 0;
constexpr int ACTION_LEFT = 3;
constexpr int ACTION_RIGHT = 5;
constexpr int ACTION_DOWN = 8;
constexpr int ACTION_CONFIRM = 10;  // the pad's A button, Space, Enter
// The pad's other three face buttons, with their keys and iCade letters (B is
// also the lower on-screen action button). The menu takes each as a start, like
// confirm; nothing else reads them.
constexpr int ACTION_FACE_B = 11;
constexpr int ACTION_FACE_X = 12;
constexpr int ACTION_FACE_Y = 13;
constexpr int ACTION_BACK = 99;
// Tab or the pad's Back button: the menu's keys go to the scores whose games
// can be watched (a press steps to the next one).
constexpr int ACTION_SCORES = 98;
constexpr int PAD_BACK_A = 16;  // iCade entries that make up the back action
constexpr int PAD_BACK_B = 17;
// f_Pad values.
constexpr int PAD_RELEASED = 0;
constexpr int PAD_TOUCHED = 1;  // pressed through an on-screen button for one update
constexpr int PAD_HELD = 2;     // held on an iCade cabinet

// ---- Play: ball states, the course's geometry and object entries ----
constexpr int BALL_AIMING = 0;
constexpr int BALL_MOVING = 1;
constexpr int BALL_IN_CUP = 2;
// The ground line is this far above the logical bottom edge: g = jscrh - GROUND_FROM_BOTTOM.
constexpr float GROUND_FROM_BOTTOM = 128.0f;
constexpr int OBJECT_ENTRY_FLOATS = 10;
constexpr int OBJECT_MAX = 100;  // entries 1 to 100; entry 0 stays empty
constexpr int OBJECT_KIND = 0;
constexpr int OBJECT_X = 1;
constexpr int OBJECT_Y = 2;
constexpr int OBJECT_HIT = 6;
constexpr int OBJECT_NONE = 0;
constexpr int OBJECT_TARGET = 1;
constexpr int OBJECT_BONUS = 2;
constexpr int START_BALLS = 6;
// Every hole, the first included, adds these.
constexpr int BALLS_PER_HOLE = 2;
// Updates from the ball's drop into the cup to the next hole.
constexpr int NEXT_HOLE_AFTER = 120;
// Updates the game-over overlay grows over play before the game returns to the menu.
constexpr int OVERLAY_SWITCH_TIME = 90;
// The strongest stroke the meter sets: the pointer counts only strictly inside
// its 192 units, so whole units give at most 191.
constexpr float METER_FULL_POWER = 191.0f;

// ---- Colours ----
// Colour components run from 0 to 255.
constexpr float WHITE = 255.0f;
// The dark blue sky of play, also the menu's background.
constexpr float SKY_RED = 0.0f, SKY_GREEN = 0.0f, SKY_BLUE = 80.0f;

// ---- Pause panel and menu rest positions ----
constexpr int PAUSE_HIDDEN_Y = -64;
constexpr int MENU_SLIDE_START = -32;

// ---- The loader ----
// One asset per update, steps 1 to 24; step 25 ends loading.
constexpr int LOADER_FIRST_STEP = 1;
constexpr int LOADER_STEPS = 25;

// Degrees to radians, the single-precision value the game's trigonometry uses.
constexpr float DEG_TO_RAD = 0.0174532924f;

#endif
