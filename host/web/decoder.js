// The page's picture decoder, in a worker of its own so that decoding a large
// picture sheet never holds up the page. The page hands it the decoder's
// compiled module (decoder.wasm, fetched by the page so that the service
// worker serves it offline) and then one PNG file at a time; each answer is
// the file's pixels, premultiplied, exactly as the desktop decodes them, or
// null pixels when the file cannot be decoded. Every request is answered.
'use strict';

// The decoder's C library asks for these but never calls them with effect:
// it prints nothing and never exits.
const IMPORTS = {
  env: { emscripten_notify_memory_growth() {} },
  wasi_snapshot_preview1: {
    proc_exit() {},
    fd_close() { return 0; },
    fd_write() { return 0; },
    fd_seek() { return 0; },
  },
};
// Three ints come back beside the pixels: width, height, depth.
const OUT_BYTES = 12;
const INT_ALIGN = 4;

let decoder = null;

function decode(bytes) {
  const d = decoder.exports;
  const at = d.malloc(bytes.length + INT_ALIGN + OUT_BYTES);
  if (!at) return null;
  const out = (at + bytes.length + INT_ALIGN - 1) & ~(INT_ALIGN - 1);
  new Uint8Array(d.memory.buffer).set(bytes, at);
  const px = d.moxel_decode(at, bytes.length, out);
  let answer = null;
  if (px) {
    const [width, height, depth] = new Int32Array(d.memory.buffer, out, 3);
    const pixels = new Uint8Array(d.memory.buffer, px, width * height * depth).slice();
    d.moxel_free(px);
    answer = { pixels, width, height, depth };
  }
  d.free(at);
  return answer;
}

self.onmessage = (event) => {
  const m = event.data;
  if (m.module) {
    WebAssembly.instantiate(m.module, IMPORTS).then((instance) => {
      decoder = instance;
      instance.exports._initialize();
      self.postMessage({ ready: true });
    }, (e) => self.postMessage({ ready: false, error: String(e) }));
    return;
  }
  let answer = null;
  try {
    answer = decode(new Uint8Array(m.bytes));
  } catch (e) {
    // A decoder that ran out of memory is no use any more; the page decodes
    // the rest itself.
    self.postMessage({ id: m.id, failed: String(e) });
    return;
  }
  if (!answer) {
    self.postMessage({ id: m.id, pixels: null });
    return;
  }
  answer.id = m.id;
  self.postMessage(answer, [answer.pixels.buffer]);
};
