// Runs before the program: the start of sound, what the player is doing, and
// the hooks the program calls back. (The saved games: saves.js.)

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
// sounds come in, 4 a replay watched). During a game the page holds an entry
// of its own in the history, so that a phone's back button gives the game
// its back action (the pause panel) instead of leaving; from the menu it
// leaves. While a game runs
// the screen is kept from dimming. The wait screen changes neither (a game
// whose window changes shape waits there too); the first screen after it is
// the moment the start is over.
(function () {
  var MENU = 0, RUNNING = 2, LOADING = 3, WATCHING = 4;
  var activity = MENU, trapped = false, leaving = false, lock = null, shown = false;
  // A reload during a game comes back on the game's own entry: it is taken
  // as the game's, not pushed again, so a game keeps one entry whatever
  // reloads come between (the menu takes it back as it would).
  try { trapped = !!(history.state && history.state.moxelpark === 'game'); } catch (e) {}

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

  // A link with a replay in its address ("#replay=...") plays that game back
  // once the menu is first up (a game in progress, resumed, goes first); the
  // address then loses its replay, so a reload does not play it again.
  var linkTried = false, linkWatched = false;
  function watchLink() {
    linkTried = true;
    var hash = location.hash;
    if (hash.indexOf('replay=') < 0) return;
    history.replaceState(history.state, '', location.pathname + location.search);
    var size = lengthBytesUTF8(hash) + 1, text = _malloc(size);
    stringToUTF8(hash, text, size);
    var watching = Module['_moxel_watch'](text);
    _free(text);
    linkWatched = watching !== 0;
    if (!watching && Module['onReplayRefused']) {
      Module['onReplayRefused'](UTF8ToString(Module['_moxel_replay_answer']()));
    }
  }
  // The link that plays the watched game back, for sharing.
  Module['moxelReplayLink'] = function () {
    var text = UTF8ToString(Module['_moxel_watched_replay']());
    return text ? location.origin + location.pathname + location.search + '#replay=' + text : '';
  };

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
    if (now === MENU && activity !== MENU && activity !== WATCHING) Module['moxelKeepStorage']();
    if (now === MENU && !linkTried) watchLink();
    if (Module['onWatching']) Module['onWatching'](now === WATCHING);
    // Back from a link's game, the page offers that game type to play.
    if (activity === WATCHING && now !== WATCHING && linkWatched) {
      linkWatched = false;
      if (Module['onLinkWatched']) Module['onLinkWatched'](Module['_moxel_watched_type']());
    }
    activity = now;
    trap(now !== MENU);
    keepAwake(now === RUNNING || now === WATCHING);
  };
})();

Module['moxelStarted'] = function () {
  // Another tab took the saves over while this one was starting.
  if (Module['moxelStandDownAtStart']) Module['_moxel_stand_down']();
  if (Module['onStarted']) Module['onStarted']();
};
