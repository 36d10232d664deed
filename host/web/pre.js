// Runs before the program: the saved games, the start of sound, and the hooks
// the program calls back.
//
// The state file lives in IndexedDB. /save is mounted from it and loaded before
// main runs, so the game reads its state at start-up as on the desktop;
// /.vendlestate (the state file in the program's working folder) is a link
// into it, so every save is written there and renamed there.

// Whether the page has storage at all: without IndexedDB (some private
// windows) the folder stays in memory and every save says it was not kept.
var moxelStorage = false;
try { moxelStorage = !!window.indexedDB; } catch (e) {}

Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  FS.mkdir('/save');
  FS.symlink('/save/.vendlestate', '/.vendlestate');
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
// a save came while a write was going on.
(function () {
  var writing = false, again = false;
  Module['moxelSyncSaves'] = function () {
    if (!moxelStorage) {
      console.error('The game could not be saved to this browser\'s storage: it has none for this page.');
      return;
    }
    if (writing) { again = true; return; }
    writing = true;
    FS.syncfs(false, function (err) {
      writing = false;
      if (err) {
        console.error('The game could not be saved to this browser\'s storage: ' + err);
      } else if (Module['onSaved']) {
        Module['onSaved']();
      }
      if (again) { again = false; Module['moxelSyncSaves'](); }
    });
  };
})();

// Browsers start sound only inside a player's gesture that carries a user
// activation: the press of a key or a mouse button, or the end of a touch (a
// finger's touchstart and pointerdown carry none). The starter stays armed
// until the sound runs, so a request refused too early is made again.
(function () {
  var events = ['keydown', 'mousedown', 'pointerup', 'touchend', 'click'];
  function disarm() {
    events.forEach(function (e) { window.removeEventListener(e, start, true); });
  }
  function start() {
    var ok = typeof AL !== 'undefined' && AL.currentCtx && AL.currentCtx.audioCtx;
    if (!ok) return;
    var ctx = AL.currentCtx.audioCtx;
    if (ctx.state === 'running') {
      disarm();
      return;
    }
    ctx.resume().then(function () { if (ctx.state === 'running') disarm(); }, function () {});
  }
  events.forEach(function (e) { window.addEventListener(e, start, true); });
})();

Module['moxelStarted'] = function () {
  if (Module['onStarted']) Module['onStarted']();
};
