// The browser's picture source. A picture is decoded in the page's decoder
// worker with the same decoder as the desktop's (image_decode.cpp, built for
// the worker), premultiplied there, and handed back to its surface through
// moxel_picture_decoded; the page's main thread only copies the pixels into
// the texture. Meanwhile the surface has its size and an empty texture, and
// draws nothing.
//
// A file the page has not fetched yet (on a first visit everything but what
// the menu needs comes after it) takes its size from the page's list of the
// build's pictures, and is decoded once it arrives.
#include <emscripten.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphics/picture_source.h"
#include "graphics/surface.h"
#include "host/base/files.h"

namespace {

// What the page answers of a picture it is fetching: width, height, depth,
// and whether it is one of the first screen's, fetched right now.
constexpr int HEADER_VALUES = 4;
constexpr int HEADER_FIRST = 3;

// Textures are filled a strip at a time, one strip a task, a frame apart,
// for all pictures in turn: the browser's GPU process takes the bytes at its
// own pace (and draws the frames meanwhile), and the page waits whenever it
// sends more than that process has taken in. One call for a whole 2048 x
// 2048 sheet held the page up for over a hundred milliseconds here.
constexpr long STRIP_BYTES = 1L << 20;
constexpr int STRIP_GAP_MS = 16;

struct Promise {
    int id;
    gxtkSurface* surface;
    String path;
    bool atHand;                      // the file was here when promised, or is one of the first screen's
    unsigned char* pixels = nullptr;  // once decoded, until every row is in the texture
    int width = 0, height = 0, depth = 0;
    int rowsDone = 0;
};

std::vector<Promise> promises;
int lastId = 0;

// The size and depth of a picture the page is still fetching, from its list.
// clang-format off
EM_JS(int, page_picture_header, (const char* path, int* out), {
    var p = Module.moxelData && Module.moxelData.picture(UTF8ToString(path));
    if (!p) return 0;
    HEAP32[(out >> 2) + 0] = p[0];
    HEAP32[(out >> 2) + 1] = p[1];
    HEAP32[(out >> 2) + 2] = p[2];
    HEAP32[(out >> 2) + 3] = p[3];
    return 1;
});

// Asks the page to decode the file; the answer comes to moxel_picture_decoded.
// A page without the data module (the test's probe page) decodes here, after
// the load in progress has made its texture.
EM_JS(void, page_decode, (int id, const char* path), {
    if (Module.moxelData) return Module.moxelData.decode(id, UTF8ToString(path));
    setTimeout(function() { _moxel_picture_decode_here(id); }, 0);
});
// clang-format on

std::vector<Promise>::iterator find_surface(gxtkSurface* surface) {
    return std::find_if(promises.begin(), promises.end(),
                        [surface](const Promise& p) { return p.surface == surface; });
}

std::vector<Promise>::iterator find_id(int id) {
    return std::find_if(promises.begin(), promises.end(), [id](const Promise& p) { return p.id == id; });
}

void drop(std::vector<Promise>::iterator it) {
    if (it->pixels) unloadImage(it->pixels);
    promises.erase(it);
}

bool uploading = false;

// Fills the next strip of the first picture that has pixels waiting, and
// comes back for the next a frame later while any are left.
void upload_next(void*) {
    uploading = false;
    auto it =
        std::find_if(promises.begin(), promises.end(), [](const Promise& p) { return p.pixels != nullptr; });
    if (it == promises.end()) return;
    const long rowBytes = static_cast<long>(it->width) * it->depth;
    const int rows =
        std::min(static_cast<int>(std::max(1L, STRIP_BYTES / rowBytes)), it->height - it->rowsDone);
    it->surface->PixelRows(it->pixels + it->rowsDone * rowBytes, it->rowsDone, rows);
    it->rowsDone += rows;
    if (it->rowsDone >= it->height) drop(it);
    if (std::any_of(promises.begin(), promises.end(), [](const Promise& p) { return p.pixels != nullptr; })) {
        uploading = true;
        emscripten_async_call(upload_next, nullptr, STRIP_GAP_MS);
    }
}

}  // namespace

namespace gfx {

Picture begin_picture(const String& path, gxtkSurface* surface, unsigned char** pixels, int* width,
                      int* height, int* depth) {
    forget_picture(surface);
    *pixels = nullptr;
    std::vector<unsigned char> bytes;
    bool atHand = fileBytes(path, &bytes);
    const std::string local = localFilePath(path);
    if (atHand) {
        if (!imageHeader(bytes.data(), static_cast<int>(bytes.size()), width, height, depth))
            return Picture::NONE;
    } else {
        int header[HEADER_VALUES] = {0, 0, 0, 0};
        if (local.empty() || !page_picture_header(local.c_str(), header)) return Picture::NONE;
        *width = header[0];
        *height = header[1];
        *depth = header[2];
        // The first screen's pictures are as good as here: the wait screen
        // stands for them.
        atHand = header[HEADER_FIRST] != 0;
    }
    const int id = ++lastId;
    promises.push_back({id, surface, path, atHand});
    page_decode(id, local.c_str());
    return Picture::PROMISED;
}

void forget_picture(gxtkSurface* surface) {
    auto it = find_surface(surface);
    if (it != promises.end()) drop(it);
}

int pictures_coming() {
    return static_cast<int>(
        std::count_if(promises.begin(), promises.end(), [](const Promise& p) { return p.atHand; }));
}

}  // namespace gfx

// The page's answer to a decode: premultiplied pixels in the program's heap
// (null when the file could not be decoded), the program's to free once
// they are in the texture.
extern "C" EMSCRIPTEN_KEEPALIVE void moxel_picture_decoded(int id, unsigned char* pixels, int width,
                                                           int height, int depth) {
    auto it = find_id(id);
    if (it == promises.end()) {
        if (pixels) unloadImage(pixels);
        return;
    }
    if (!pixels || !it->surface->ExpectPixels(width, height, depth)) {
        if (pixels) unloadImage(pixels);
        promises.erase(it);
        return;
    }
    it->pixels = pixels;
    it->width = width;
    it->height = height;
    it->depth = depth;
    if (!uploading) upload_next(nullptr);
}

// Where the page cannot decode away from its main thread (no worker, or the
// worker's decoder failed to start): the older way, here and now.
extern "C" EMSCRIPTEN_KEEPALIVE void moxel_picture_decode_here(int id) {
    auto it = find_id(id);
    if (it == promises.end() || it->pixels) return;
    int w = 0, h = 0, depth = 0;
    unsigned char* pixels = loadImage(it->path, &w, &h, &depth);
    if (pixels) premultiplyPixels(pixels, static_cast<long>(w) * h, depth);
    moxel_picture_decoded(id, pixels, w, h, depth);
}
