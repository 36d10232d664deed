// Runs before the program: the saved games.
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

// One copy of the game at a time owns the saves. The storage belongs to the
// whole site, and a tab that saved the state from its own memory would write
// over scores another tab recorded meanwhile (an installed app and a tab
// share it too). The tab that plays holds a lock; one opened while another
// holds it says so and offers to take the game over: the other tab keeps its
// game in progress, writes everything through, stands down and says the
// same, and this one starts from what it wrote. A tab left waiting starts by
// itself once the other is closed. Without the lock API (an address that is
// not secure) every tab plays, as before.
var moxelSaveOwner = (function () {
  var NAME = 'moxelpark-saves';
  var TAKE_OVER = 'take-over';
  // Asked to, a tab stands down at once; one that does not answer (frozen in
  // the background) has the lock taken from it after this long.
  var ANSWER_MS = 3000;
  // A reload's new page may ask before the old one has let go: the words
  // wait this long for the lock to come free.
  var GRACE_MS = 1000;
  // Set by a stood-down tab's button: the page it reloads takes over at once.
  var TAKE_OVER_AT_START = 'moxelparkTakeOver';
  var locks = null, channel = null;
  try { locks = window.isSecureContext && navigator.locks ? navigator.locks : null; } catch (e) {}
  try { channel = new BroadcastChannel(NAME); } catch (e) {}
  var owning = false, closed = false, release = null;

  function hold(start) {
    owning = true;
    if (Module['onHere']) Module['onHere']();
    start();
    return new Promise(function (resolve) { release = resolve; });
  }
  // Asks for the lock and starts once it is held. The promise settles when
  // the lock goes: released, or taken from a tab that did not answer (which
  // then stands down without a save: the saves are no longer its own).
  function ask(options, start) {
    return locks.request(NAME, options, function (lock) {
      return lock ? hold(start) : null;
    }).catch(function () {
      if (owning) standDown(false);
    });
  }

  // `save`: the tab was asked, and writes its game through first. A tab the
  // lock was taken from writes nothing more at once: the saves are not its own.
  function standDown(save) {
    if (!owning) return;
    owning = false;
    if (!save) closed = true;
    var done = function () {
      closed = true;
      if (release) release();
      if (Module['onElsewhere']) Module['onElsewhere'](playHereAgain);
    };
    if (typeof runtimeInitialized === 'undefined' || !runtimeInitialized) {
      // Not started yet: nothing of this tab's is unsaved, and whatever its
      // start saves stays in its memory.
      Module['moxelStandDownAtStart'] = true;
      return done();
    }
    Module['_moxel_stand_down']();
    if (save) Module['moxelSyncSaves'](done);
    else done();
  }
  function playHereAgain() {
    try { sessionStorage.setItem(TAKE_OVER_AT_START, '1'); } catch (e) {}
    location.reload();
  }

  if (channel) {
    channel.onmessage = function (e) {
      if (e.data === TAKE_OVER) standDown(true);
    };
  }

  return {
    // Calls `start` once this tab owns the saves.
    claim: function (start) {
      if (!locks) return start();
      var waiting = new AbortController(), taking = false;
      var takeOver = function () {
        if (taking) return;
        taking = true;
        if (channel) channel.postMessage(TAKE_OVER);
        setTimeout(function () {
          if (owning || closed) return;
          waiting.abort();
          ask({ steal: true }, start);
        }, ANSWER_MS);
      };
      ask({ ifAvailable: true }, start).then(function () {
        if (owning || closed) return;
        ask({ signal: waiting.signal }, start);
        var now = false;
        try {
          now = sessionStorage.getItem(TAKE_OVER_AT_START) === '1';
          sessionStorage.removeItem(TAKE_OVER_AT_START);
        } catch (e) {}
        if (now) return takeOver();
        setTimeout(function () {
          if (!owning && Module['onElsewhere']) Module['onElsewhere'](takeOver);
        }, GRACE_MS);
      });
    },
    // Whether saves may still be written through: not once the tab stood down.
    open: function () { return !closed; },
  };
})();

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  FS.mkdir('/save');
  FS.symlink('/save/.vendlestate', '/.vendlestate');
  FS.symlink('/save/.vendlegame', '/.vendlegame');
  FS.symlink('/save/.vendlereplays', '/.vendlereplays');
  if (!moxelStorage) {
    console.warn('Saved games cannot be read from this browser\'s storage (it has none for this page); ' +
                 'scores of this visit will be lost when the page closes.');
    return;
  }
  FS.mount(IDBFS, {}, '/save');
  addRunDependency('saved-games');
  moxelSaveOwner.claim(function () {
    FS.syncfs(true, function (err) {
      if (err) {
        console.warn('Saved games cannot be read from this browser\'s storage (' + err +
                     '); scores of this visit will be lost when the page closes.');
      }
      removeRunDependency('saved-games');
    });
  });
});

// The browser is asked to keep the storage for good: without that a browser
// short of space (or Safari, after a week without a visit to a page not
// installed) may clear the scores. Some browsers answer with a prompt, so it
// is asked at a moment that suits the player: the first time a game's score
// has entered the tables and the menu is back, or at the start of the game
// installed as an app (or as it is installed), never over a stroke.
(function () {
  var asked = false;
  Module['moxelKeepStorage'] = function () {
    if (asked || !moxelStorage) return;
    asked = true;
    if (!navigator.storage || !navigator.storage.persist) return;
    navigator.storage.persist().then(function (kept) {
      Module['moxelStorageKept'] = kept;
    }, function () {});
  };
  var installed = false;
  try {
    installed = ['standalone', 'fullscreen', 'minimal-ui'].some(function (mode) {
      return window.matchMedia('(display-mode: ' + mode + ')').matches;
    });
  } catch (e) {}
  if (installed) Module['moxelKeepStorage']();
  window.addEventListener('appinstalled', function () { Module['moxelKeepStorage'](); });
})();

// Writes the saves through to IndexedDB; one write at a time, and one more if
// a save came while a write was going on. `done` (optional) is called once
// everything saved so far is written, or could not be.
(function () {
  var writing = false, again = false, waiting = [];
  Module['moxelSyncSaves'] = function (done) {
    if (done) waiting.push(done);
    if (!moxelSaveOwner.open()) {
      // Stood down: another tab owns the saves now.
      waiting.splice(0).forEach(function (f) { f(); });
      return;
    }
    if (!moxelStorage) {
      console.error('The game could not be saved to this browser\'s storage: it has none for this page.');
      waiting.splice(0).forEach(function (f) { f(); });
      return;
    }
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
