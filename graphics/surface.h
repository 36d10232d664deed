// gxtkSurface: one OpenGL texture and the size of the image in it, and the
// image decoding (stb_image) that fills it.
//
// A loaded surface goes allocated -> decoded (pixels, no texture) -> uploaded
// (texture, pixels freed). Uploaded colour is premultiplied by alpha, as the
// device's blend functions expect. Where the driver refuses a texture size
// that is not a power of two, the texture is enlarged to one and the image
// sits in its top-left corner; the texture-coordinate scales say where.
//
// Every surface is on one list, so that when the drawing context is lost and
// comes back empty (a browser drops a page's WebGL on a phone under memory
// pressure) each can make its texture again: a loaded one decodes its file
// anew; a created one comes back blank.
#ifndef MOXEL_GRAPHICS_SURFACE_H
#define MOXEL_GRAPHICS_SURFACE_H

#include "graphics/image_decode.h"
#include "host/base/gxtk_object.h"
#include "runtime/string.h"

class gxtkSurface : public gxtkObject {
  public:
    gxtkSurface();
    gxtkSurface(unsigned char* data, int width, int height, int depth);
    ~gxtkSurface() override;

    // Deletes the texture and frees undecoded pixels; the surface stays usable as an empty one.
    virtual int Discard();
    virtual int Width() { return width; }
    virtual int Height() { return height; }
    virtual int Loaded() { return 1; }
    // Creates the texture and uploads the pixels (if any); false when the
    // driver refuses the texture at both sizes.
    virtual bool OnUnsafeLoadComplete();

    void SetData(unsigned char* data, int width, int height, int depth);
    // The pixels of a promised picture come in strips of rows (premultiplied,
    // `width * depth` bytes a row): ExpectPixels readies the texture for
    // them and is false when the surface no longer takes them (discarded
    // meanwhile, or another size than promised); PixelRows then fills `count`
    // rows from row `y` down.
    bool ExpectPixels(int width, int height, int depth);
    void PixelRows(const unsigned char* rows, int y, int count);
    // Makes the texture again after the context was lost: the old name died
    // with the context. Loaded surfaces decode their file again.
    void Remake();
    // Calls Remake on every surface there is.
    static void RemakeAll();

    unsigned char* data;  // decoded pixels, owned until uploaded
    int width;
    int height;
    int depth;  // bytes per pixel, 1 to 4
    unsigned int texture;
    float uScale;  // 1 / texture width
    float vScale;  // 1 / texture height
    String path;   // the file a loaded surface was decoded from; empty for a created one

    // Texture names generated and not yet deleted, across all surfaces.
    static int liveTextures;
    // Uploads, rewrites and deletions of texture pixels, across all surfaces:
    // a frame presented before one of them may show pixels that are gone.
    static unsigned textureChanges;
    // Test seam: when set, asked before every texture allocation; a true
    // answer counts as the driver refusing that size.
    static bool (*refuseTexture)(int width, int height);
    // While set the context is lost and nothing reaches OpenGL: every surface
    // loaded or created meanwhile gets its texture when the context is back.
    static bool contextLost;

  private:
    // The list of every surface, newest first.
    gxtkSurface* prev = nullptr;
    gxtkSurface* next = nullptr;
    static gxtkSurface* all;
    // Whether the surface has (or, with the context lost, is owed) a texture:
    // from its upload until Discard.
    bool textured = false;
    void Enlist();
    void Delist();
    // Makes the texture and uploads `data` (if any) as it stands; false when
    // the driver refuses the texture at both sizes.
    bool MakeTexture();
    void DeleteTexture();
};

// The smallest power of two, at least 1, that is not below n.
int Pow2Size(int n);

// Decodes a PNG image file with its own channel count; null when the file is
// missing or loadImage refuses its bytes. Frees with unloadImage.
unsigned char* loadImage(String path, int* width, int* height, int* depth);

#endif
