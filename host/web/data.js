// The game's data files in the browser: what moves before the menu, what
// follows it, and the picture decoder's worker.
//
// A first visit fetches, before its menu, only the pictures of the one
// resolution the screen uses (the game picks it from the canvas's size
// in device pixels, as below). Once the menu is drawn the rest follows in
// the background: the sounds first, then the badge sheet, then the other
// resolutions (a turned phone may want them), after which the page's
// service worker is registered and keeps all of it for playing offline. A
// file the game asks for before its turn moves to the front.
//
// Files are written into the program's data folder (/data) as they arrive,
// and the program hears of each (a sound or picture waiting for it is filled
// then). Pictures are decoded in a worker (decoder.js) with the desktop's
// own decoder; without one the program decodes them itself, as before.
(function () {
  // Each file of the build's data: [bytes] or, for a picture, [bytes, width,
  // height, depth]; written by the build into data_index.js.
  var INDEX = Module['moxelDataIndex'] || {};
  // The game's choice of resolution, by the drawing buffer's size: "-hd"
  // pictures above 630 pixels (unless the whole buffer fits in the nominal
  // 640 by 480 screen), "-hd2" above 1230.
  var HD_ABOVE = 630, HD2_ABOVE = 1230, NOMINAL_WIDTH = 640, NOMINAL_HEIGHT = 480;
  // What no first screen shows or plays: no screen before a game shows a
  // badge, and the first sound is due at the first press.
  var AFTER_MENU = /^data\/(BadgesA|sfx\/)/;
  var SOUNDS = /^data\/sfx\//;
  var AT_ONCE = 3;      // background fetches under way together
  var RETRY_MS = 4000;  // a fetch that failed (the network gone) is tried again

  var here = {};        // name -> true once written into the data folder
  var early = {};       // name -> bytes fetched before the file system was ready
  var fetching = {};    // name -> true while its fetch is under way
  var hooks = {};       // name -> functions to call once it is here
  var queue = [];       // names to fetch in the background, in turn
  var background = false, running = 0, fsReady = false;

  function nameOf(localPath) { return localPath.replace(/^\.?\//, ''); }

  // The resolution factor of a picture file, 0 for a file that has no variants.
  function factorOf(name) {
    if (/-hd2\.png$/.test(name)) return 4;
    if (/-hd\.png$/.test(name)) return 2;
    if (/\.png$/.test(name) && INDEX[name.replace(/\.png$/, '-hd.png')]) return 1;
    return 0;
  }

  function screenFactor() {
    var r = Module['canvas'].getBoundingClientRect(), scale = window.devicePixelRatio || 1;
    var w = Math.round(r.width * scale), h = Math.round(r.height * scale);
    if (w > HD2_ABOVE || h > HD2_ABOVE) return 4;
    if ((w > HD_ABOVE || h > HD_ABOVE) && !(w <= NOMINAL_WIDTH && h <= NOMINAL_HEIGHT)) return 2;
    return 1;
  }

  function write(name, bytes) {
    var path = '/' + name;
    FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
    FS.writeFile(path, bytes);
    here[name] = true;
    var waiting = hooks[name] || [];
    delete hooks[name];
    if (typeof runtimeInitialized !== 'undefined' && runtimeInitialized) {
      var size = lengthBytesUTF8(path) + 1, at = _malloc(size);
      stringToUTF8(path, at, size);
      _moxel_data_arrived(at);
      _free(at);
    }
    waiting.forEach(function (f) { f(); });
  }

  function arrived(name, bytes) {
    fetching[name] = false;
    if (fsReady) write(name, bytes);
    else early[name] = bytes;
    pump();
  }

  function fetchFile(name) {
    fetching[name] = true;
    return fetch(name).then(function (r) {
      if (!r.ok) throw new Error(r.status + ' ' + r.statusText);
      return r.arrayBuffer();
    }).then(function (buffer) {
      arrived(name, new Uint8Array(buffer));
    }, function (e) {
      fetching[name] = false;
      console.warn('Moxelpark could not fetch ' + name + ' (' + e.message + '); trying again.');
      setTimeout(function () { want(name); }, RETRY_MS);
    });
  }

  // The next background fetches, up to AT_ONCE under way.
  function pump() {
    running = Object.keys(fetching).filter(function (n) { return fetching[n]; }).length;
    while (background && running < AT_ONCE && queue.length) {
      var name = queue.shift();
      if (here[name] || fetching[name] || early[name]) continue;
      running++;
      fetchFile(name);
    }
    if (background && !queue.length && running === 0 && !Module['moxelDataComplete']) {
      Module['moxelDataComplete'] = true;
      if (Module['onDataComplete']) Module['onDataComplete']();
    }
  }

  // The game needs the file now: it goes first, whether or not the
  // background fetch has begun.
  function want(name) {
    if (here[name] || fetching[name] || early[name]) return;
    queue = queue.filter(function (n) { return n !== name; });
    queue.unshift(name);
    if (!background) fetchFile(name);
    else pump();
  }

  // The order of the background: sounds, then this resolution's remaining
  // pictures, then the others, nearest resolution first.
  function backgroundOrder(factor) {
    var names = Object.keys(INDEX).filter(function (n) { return !here[n]; });
    function rank(n) {
      if (SOUNDS.test(n)) return 0;
      var f = factorOf(n);
      return f === factor || f === 0 ? 1 : 2 + Math.abs(Math.log2(f) - Math.log2(factor));
    }
    return names.sort(function (a, b) { return rank(a) - rank(b); });
  }

  var factor = screenFactor();
  var first = Object.keys(INDEX).filter(function (n) {
    var f = factorOf(n);
    return !AFTER_MENU.test(n) && (f === 0 || f === factor);
  });
  first.forEach(fetchFile);

  // The program starts while the first screen's pictures still come in: its
  // wait screen stands until they are here and decoded.
  Module['preRun'] = Module['preRun'] || [];
  Module['preRun'].push(function () {
    fsReady = true;
    Object.keys(early).forEach(function (name) { write(name, early[name]); });
    early = {};
  });

  // ---- The picture decoder ----

  var worker = null, workerReady = false, decodeHere = false;
  var asked = [];       // decodes waiting for the worker to start
  var outstanding = {}; // id -> true while the worker has it

  function answer(id, pixels, width, height, depth) {
    var at = 0;
    if (pixels) {
      at = _malloc(pixels.length);
      HEAPU8.set(pixels, at);
    }
    _moxel_picture_decoded(id, at, width, height, depth);
  }

  // The older way: the program decodes on the page's main thread, one
  // picture per task.
  function fallBack(why) {
    if (decodeHere) return;
    decodeHere = true;
    console.warn('Moxelpark decodes its pictures on the page itself: ' + why);
    if (worker) worker.terminate();
    var left = asked.map(function (a) { return a.id; }).concat(Object.keys(outstanding).map(Number));
    asked = [];
    outstanding = {};
    left.forEach(function (id) { setTimeout(function () { _moxel_picture_decode_here(id); }, 0); });
  }

  function send(id, name) {
    if (decodeHere) return setTimeout(function () { _moxel_picture_decode_here(id); }, 0);
    if (!workerReady) return asked.push({ id: id, name: name });
    var bytes = FS.readFile('/' + name);
    outstanding[id] = true;
    worker.postMessage({ id: id, bytes: bytes.buffer }, [bytes.buffer]);
  }

  function startDecoder() {
    if (typeof Worker === 'undefined') return fallBack('this browser has no workers');
    // A host that serves .wasm files with another type than application/wasm
    // refuses the streaming compile; the whole file compiles just as well.
    function compileWhole() {
      return fetch('decoder.wasm').then(function (r) { return r.arrayBuffer(); }).then(WebAssembly.compile);
    }
    var compiled = WebAssembly.compileStreaming
      ? WebAssembly.compileStreaming(fetch('decoder.wasm')).catch(compileWhole)
      : compileWhole();
    compiled.then(function (module) {
      worker = new Worker('decoder.js');
      worker.onerror = function (e) { fallBack(e.message || 'its worker stopped'); };
      worker.onmessage = function (e) {
        var m = e.data;
        if ('ready' in m) {
          if (!m.ready) return fallBack(m.error);
          workerReady = true;
          asked.splice(0).forEach(function (a) { send(a.id, a.name); });
          return;
        }
        if (m.failed) return fallBack(m.failed);
        delete outstanding[m.id];
        answer(m.id, m.pixels, m.width, m.height, m.depth);
      };
      worker.postMessage({ module: module });
    }).catch(function (e) { fallBack(e.message); });
  }
  startDecoder();

  Module['moxelData'] = {
    // Whether the file at the program's local path is still on its way.
    pending: function (localPath) {
      var name = nameOf(localPath);
      return !!INDEX[name] && !here[name];
    },
    // [width, height, depth, first] of a picture of the build, or undefined;
    // `first` is 1 for a picture of the first screen, which is on its way now.
    picture: function (localPath) {
      var name = nameOf(localPath), entry = INDEX[name];
      return entry && entry.length === 4 ? entry.slice(1).concat(first.indexOf(name) >= 0 ? 1 : 0) : undefined;
    },
    // Decodes the picture for the program's promise `id`, once it is here.
    decode: function (id, localPath) {
      var name = nameOf(localPath);
      if (here[name] || !INDEX[name]) return send(id, name);
      (hooks[name] = hooks[name] || []).push(function () { send(id, name); });
      // Before the menu nothing jumps the first screen's files.
      if (background) want(name);
    },
    // The first screen is drawn: the rest may come.
    menuShown: function () {
      if (background) return;
      background = true;
      queue = backgroundOrder(factor);
      pump();
    },
  };
})();
