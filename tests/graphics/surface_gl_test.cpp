// Surfaces against a real context: decoding PNGs of every channel count,
// premultiplied upload, the power-of-two fallback, failures and texture lifetime.
#include <GL/gl.h>

#include <vector>

#include "gl_fixture.h"

namespace {

using SurfaceGl = GlTest;

// The texture's level 0 in its own format, `channels` bytes per texel.
std::vector<unsigned char> texels(const gxtkSurface* s, GLenum format, int channels) {
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, s->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> out(static_cast<size_t>(w * h * channels));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, out.data());
    return out;
}

TEST_F(SurfaceGl, EveryChannelCountUploadsPremultiplied) {
    TempDir dir;
    struct Case {
        int channels;
        GLenum format;
        std::vector<unsigned char> file;      // 3 x 1 pixels: odd rows test the unpack alignment
        std::vector<unsigned char> uploaded;  // premultiplied
    } cases[] = {
        {1, GL_LUMINANCE, {0, 128, 255}, {0, 128, 255}},
        {2, GL_LUMINANCE_ALPHA, {200, 128, 255, 255, 90, 0}, {100, 128, 255, 255, 0, 0}},
        {3, GL_RGB, {200, 100, 50, 1, 2, 3, 255, 255, 255}, {200, 100, 50, 1, 2, 3, 255, 255, 255}},
        {4,
         GL_RGBA,
         {200, 100, 50, 128, 255, 255, 255, 0, 9, 8, 7, 255},
         {100, 50, 25, 128, 0, 0, 0, 0, 9, 8, 7, 255}},
    };
    for (const Case& c : cases) {
        std::string path =
            write_png(dir, "depth" + std::to_string(c.channels) + ".png", 3, 1, c.channels, c.file);
        gxtkSurface* s = device->LoadSurface(String(path.c_str()));
        ASSERT_NE(s, nullptr) << c.channels;
        EXPECT_EQ(s->depth, c.channels);
        EXPECT_EQ(s->Width(), 3);
        EXPECT_EQ(s->Height(), 1);
        EXPECT_EQ(s->data, nullptr) << "pixels are freed once uploaded";
        EXPECT_FLOAT_EQ(s->uScale, 1.0f / 3);
        EXPECT_FLOAT_EQ(s->vScale, 1.0f);
        EXPECT_EQ(texels(s, c.format, c.channels), c.uploaded) << c.channels << " channels";
    }
}

// Refuses every texture size that is not a power of two, like older drivers.
bool refuse_odd_sizes(int w, int h) {
    return Pow2Size(w) != w || Pow2Size(h) != h;
}

bool refuse_all(int, int) {
    return true;
}

TEST_F(SurfaceGl, RefusedSizesFallBackToPowersOfTwo) {
    TempDir dir;
    std::vector<unsigned char> px;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x)
            px.insert(px.end(), {static_cast<unsigned char>(x), static_cast<unsigned char>(y), 7, 255});
    }
    std::string path = write_png(dir, "odd.png", 100, 60, 4, px);

    gxtkSurface* plain = device->LoadSurface(String(path.c_str()));
    ASSERT_NE(plain, nullptr);
    EXPECT_FLOAT_EQ(plain->uScale, 1.0f / 100);
    EXPECT_FLOAT_EQ(plain->vScale, 1.0f / 60);

    gxtkSurface::refuseTexture = refuse_odd_sizes;
    gxtkSurface* enlarged = device->LoadSurface(String(path.c_str()));
    ASSERT_NE(enlarged, nullptr);
    EXPECT_EQ(enlarged->Width(), 100);
    EXPECT_EQ(enlarged->Height(), 60);
    EXPECT_FLOAT_EQ(enlarged->uScale, 1.0f / 128);
    EXPECT_FLOAT_EQ(enlarged->vScale, 1.0f / 64);
    std::vector<unsigned char> t = texels(enlarged, GL_RGBA, 4);
    ASSERT_EQ(t.size(), 128u * 64u * 4u);
    // The image sits in the top-left corner, row for row.
    const int probes[][2] = {{0, 0}, {99, 0}, {0, 59}, {99, 59}, {42, 17}};
    for (const auto& p : probes) {
        const unsigned char* texel = &t[(static_cast<size_t>(p[1]) * 128 + p[0]) * 4];
        EXPECT_EQ(texel[0], p[0]);
        EXPECT_EQ(texel[1], p[1]);
    }

    // Drawn, it still shows the image and nothing of the undefined rest.
    device->DrawSurface(enlarged, 200, 100);
    EXPECT_EQ(Pixel(200 + 99, 100 + 59), rgb(99, 59, 7));
    EXPECT_EQ(Pixel(200 + 100, 100 + 59), rgb(0, 0, 0));
}

TEST_F(SurfaceGl, RefusedAtBothSizesGivesNoSurface) {
    TempDir dir;
    std::string path = write_solid_png(dir, "any.png", 5, 5, 1, 2, 3);
    gxtkSurface::refuseTexture = refuse_all;
    EXPECT_EQ(device->LoadSurface(String(path.c_str())), nullptr);
    EXPECT_EQ(device->CreateSurface(16, 16), nullptr);

    gxtkSurface* s = new gxtkSurface();
    ASSERT_EQ(device->LoadSurface__UNSAFE__(s, String(path.c_str())), s);
    EXPECT_NE(s->data, nullptr);
    EXPECT_FALSE(s->OnUnsafeLoadComplete());
    EXPECT_EQ(s->data, nullptr) << "the pixels are freed on failure";
}

TEST_F(SurfaceGl, MissingOrUndecodableFilesGiveNullSilently) {
    TempDir dir;
    std::string junk = dir.file("junk.png");
    FILE* f = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("\x89PNG but not really", f);
    std::fclose(f);
    std::string empty = dir.file("empty.png");
    std::fclose(std::fopen(empty.c_str(), "wb"));

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string paths[] = {dir.file("missing.png"), junk, empty, dir.file("")};
    for (const std::string& p : paths) {
        gxtkSurface* s = new gxtkSurface();
        EXPECT_EQ(device->LoadSurface__UNSAFE__(s, String(p.c_str())), nullptr) << p;
        EXPECT_EQ(s->data, nullptr) << "the surface is left untouched";
        EXPECT_EQ(device->LoadSurface(String(p.c_str())), nullptr) << p;
        EXPECT_EQ(bb_graphics_LoadImage(String(p.c_str()), 1, 0), nullptr) << p;
        EXPECT_EQ(bb_graphics_LoadImage2(String(p.c_str()), 8, 8, 1, 0), nullptr) << p;
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Enough forced sweeps for every unreachable object to be destroyed. A sweep
// does nothing while no object is white, so each round leaves some garbage.
void collect_everything() {
    for (int i = 0; i < 3; ++i) {
        new bb_graphics_Frame();
        gc_force_sweep = true;
        gc_collect();
    }
}

TEST_F(SurfaceGl, TexturesLiveAsLongAsTheirImages) {
    TempDir dir;
    std::string path = write_solid_png(dir, "twice.png", 4, 4, 9, 9, 9);
    collect_everything();  // what earlier tests in this program left behind
    const int before = gxtkSurface::liveTextures;

    bb_graphics_Image* first = bb_graphics_LoadImage(String(path.c_str()), 1, 0);
    bb_graphics_Image* second = bb_graphics_LoadImage(String(path.c_str()), 1, 0);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->surface, second->surface);
    EXPECT_NE(first->surface->texture, second->surface->texture);
    EXPECT_EQ(gxtkSurface::liveTextures, before + 2);

    // A grabbed image keeps its source's surface alive.
    gc_assign(test_root_image, first->m_GrabImage(0, 0, 2, 2, 1, 0));
    first = second = nullptr;
    collect_everything();
    EXPECT_EQ(gxtkSurface::liveTextures, before + 1);
    EXPECT_TRUE(glIsTexture(test_root_image->surface->texture));

    test_root_image = nullptr;
    collect_everything();
    EXPECT_EQ(gxtkSurface::liveTextures, before);

    gxtkSurface* created = device->CreateSurface(8, 8);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(gxtkSurface::liveTextures, before + 1);
    unsigned name = created->texture;
    created->Discard();
    EXPECT_EQ(created->texture, 0u);
    EXPECT_FALSE(glIsTexture(name));
    EXPECT_EQ(gxtkSurface::liveTextures, before);
}

// A browser drops the page's context and gives it back empty: every surface
// the game holds makes its texture again (loaded ones from their files,
// including one loaded while the context was away), a discarded one does not,
// and the texture count adds up.
TEST_F(SurfaceGl, ALostContextComesBackWithEveryTexture) {
    TempDir dir;
    const std::vector<unsigned char> file = {200, 100, 50, 128, 255, 255, 255, 0, 9, 8, 7, 255};
    const std::vector<unsigned char> uploaded = {100, 50, 25, 128, 0, 0, 0, 0, 9, 8, 7, 255};
    const std::string path = write_png(dir, "sheet.png", 3, 1, 4, file);
    collect_everything();
    const int before = gxtkSurface::liveTextures;

    gxtkSurface* loaded = device->LoadSurface(String(path.c_str()));
    gxtkSurface* created = device->CreateSurface(8, 4);
    gxtkSurface* dropped = device->LoadSurface(String(path.c_str()));
    ASSERT_TRUE(loaded && created && dropped);
    dropped->Discard();

    // The context goes, and its textures with it.
    device->OnContextLost();
    EXPECT_TRUE(device->ContextLost());
    for (gxtkSurface* s : {loaded, created}) glDeleteTextures(1, &s->texture);
    gxtkSurface* meanwhile = device->LoadSurface(String(path.c_str()));
    ASSERT_NE(meanwhile, nullptr) << "a load while the context is away still gives the game its surface";
    EXPECT_EQ(meanwhile->texture, 0u);
    EXPECT_EQ(meanwhile->Width(), 3);

    device->OnContextRestored();
    EXPECT_FALSE(device->ContextLost());
    EXPECT_TRUE(device->PictureLost());
    for (gxtkSurface* s : {loaded, meanwhile}) {
        ASSERT_TRUE(glIsTexture(s->texture));
        EXPECT_EQ(texels(s, GL_RGBA, 4), uploaded);
        EXPECT_EQ(s->data, nullptr);
    }
    EXPECT_TRUE(glIsTexture(created->texture));
    EXPECT_EQ(dropped->texture, 0u) << "a discarded surface stays empty";
    EXPECT_EQ(gxtkSurface::liveTextures, before + 3);
    for (gxtkSurface* s : {loaded, created, meanwhile}) s->Discard();
    EXPECT_EQ(gxtkSurface::liveTextures, before);
}

}  // namespace
