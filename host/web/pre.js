// Runs before the program: the saved games, the start of sound, and the hooks
// the program calls back.
//
// The state file lives in IndexedDB. /save is mounted from it and loaded before
// main runs, so the game reads its state at start-up as on the desktop;
// /.vendlestate (the state file in the program's working folder) is a link
// into it, so every save is written there and renamed there. The game in
// progress (/.vendlegame) is kept there the same way.

// Whether the page has storage at all: without IndexedDB (some private
// windows) the folder stays in memory and every save says it was not kept.
var moxelStorage = false;
try { moxelStorage = !!window.indexedDB; } catch (e) {}

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  FS.mkdir('/save');
  FS.symlink('/save/.vendlestate', '/.vendlestate');
  FS.symlink('/save/.vendlegame', '/.vendlegame');
  if (!moxelStorage) {
    console.warn('Saved games cannot be read from this browser\'s storage (it has none for this page); ' +
                 'scores of this visit will be lost when the page closes.');
    return;
  }
  FS.mount(IDBFS, {}, '/save');
  addRunDependency('saved-games');
  FS.syncfs(true, function (err) {
    if (err) {
      console.warn('Saved games cannot be read from this browser\'s storage (' + err +
                   '); scores of this visit will be lost when the page closes.');
    }
    removeRunDependency('saved-games');
  });
});

// Writes the saves through to IndexedDB; one write at a time, and one more if
// a save came while a write was going on. `done` (optional) is called once
// everything saved so far is written, or could not be.
//
// The first save asks the browser to keep the storage for good: without that
// a browser short of space (or Safari, after a week without a visit to a page
// not installed) may clear the scores.
(function () {
  var writing = false, again = false, waiting = [], askedToKeep = false;
  function keepStorage() {
    if (askedToKeep) return;
    askedToKeep = true;
    if (!navigator.storage || !navigator.storage.persist) return;
    navigator.storage.persist().then(function (kept) {
      Module['moxelStorageKept'] = kept;
    }, function () {});
  }
  Module['moxelSyncSaves'] = function (done) {
    if (done) waiting.push(done);
    if (!moxelStorage) {
      console.error('The game could not be saved to this browser\'s storage: it has none for this page.');
      waiting.splice(0).forEach(function (f) { f(); });
      return;
    }
    keepStorage();
    if (writing) { again = true; return; }
    writing = true;
    var these = waiting.splice(0);
    FS.syncfs(false, function (err) {
      writing = false;
      if (err) {
        console.error('The game could not be saved to this browser\'s storage: ' + err);
      } else if (Module['onSaved']) {
        Module['onSaved']();
      }
      these.forEach(function (f) { f(); });
      if (again) { again = false; Module['moxelSyncSaves'](); }
    });
  };
})();

// Browsers start sound only inside the handler of an event that carries the
// player's activation: a key, a mouse button going down, a click, and for a
// finger or a pen the *end* of the touch (a touch's start carries none, and
// a context asked to start then stays silent). The game's sound output (its
// audio context) is opened at the player's first touch or press of any kind,
// so that a sound the press itself plays (a button's click, played as a
// finger goes down) is there to start with the context. The starter stays
// armed for good: it tries at every such event until the context runs, and
// again whenever the system stops it (an iPhone "interrupts" it for a call).
// A context the game put to rest itself (the tab is hidden) is left alone.
(function () {
  var events = ['keydown', 'mousedown', 'pointerdown', 'pointerup', 'touchend', 'click'];
  function open() {
    if (typeof _moxel_open_audio === 'function' && typeof runtimeInitialized !== 'undefined' &&
        runtimeInitialized) {
      _moxel_open_audio();
    }
  }
  window.addEventListener('touchstart', open, true);
  function start() {
    open();
    var ok = typeof AL !== 'undefined' && AL.currentCtx && AL.currentCtx.audioCtx;
    if (!ok || AL.paused) return;
    var ctx = AL.currentCtx.audioCtx;
    if (ctx.state !== 'running') ctx.resume().catch(function () {});
  }
  events.forEach(function (e) { window.addEventListener(e, start, true); });
})();

// What the player is doing, as the game says whenever it changes (0 the menu,
// 1 a game standing, 2 a game running, 3 the wait screen while pictures and
// sounds come in). During a game the page holds an entry of its own in the
// history, so that a phone's back button gives the game its back action (the
// pause panel) instead of leaving; from the menu it leaves. While a game runs
// the screen is kept from dimming. The wait screen changes neither (a game
// whose window changes shape waits there too); the first screen after it is
// the moment the start is over.
(function () {
  var MENU = 0, RUNNING = 2, LOADING = 3;
  var activity = MENU, trapped = false, leaving = false, lock = null, shown = false;

  function keepAwake(on) {
    if (on && !lock && navigator.wakeLock && document.visibilityState === 'visible') {
      lock = 'asking';
      navigator.wakeLock.request('screen').then(function (l) {
        if (lock !== 'asking') { l.release(); return; }
        lock = l;
        l.addEventListener('release', function () { if (lock === l) lock = null; });
      }, function () { lock = null; });
    } else if (!on && lock) {
      if (lock !== 'asking') lock.release();
      lock = null;
    }
  }

  function trap(on) {
    if (on && !trapped) {
      history.pushState({ moxelpark: 'game' }, '');
      trapped = true;
    } else if (!on && trapped) {
      // The game's own entry goes; the back that takes it is not the player's.
      trapped = false;
      leaving = true;
      history.back();
    }
  }

  window.addEventListener('popstate', function () {
    if (leaving) { leaving = false; return; }
    if (!trapped) return;
    // The player went back from the game's entry: it is put again, and the
    // game hears its back action.
    trapped = false;
    trap(true);
    if (Module['_moxel_back']) Module['_moxel_back']();
  });
  // A hidden page loses its wake lock; it is asked again when the game runs on.
  document.addEventListener('visibilitychange', function () {
    keepAwake(activity === RUNNING && document.visibilityState === 'visible');
  });

  Module['moxelActivity'] = function (now) {
    if (now === LOADING) return;
    if (!shown) {
      shown = true;
      // This update's picture is drawn before the task ends.
      setTimeout(function () {
        if (Module['onMenuShown']) Module['onMenuShown']();
        Module['moxelData'].menuShown();
      }, 0);
    }
    activity = now;
    trap(now !== MENU);
    keepAwake(now === RUNNING);
  };
})();

Module['moxelStarted'] = function () {
  if (Module['onStarted']) Module['onStarted']();
};
