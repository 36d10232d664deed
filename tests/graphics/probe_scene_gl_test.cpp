// The probe picture through the desktop's OpenGL: it is drawn, its pixels are
// what the paths it covers must give, and it is kept in the build folder
// ("probe-scene.txt") for the browser test to compare its WebGL pixels with.
#include <fstream>

#include "gl_fixture.h"
#include "tests/support/probe_scene.h"

namespace {

using ProbeSceneGl = GlTest;

TEST_F(ProbeSceneGl, DrawsEveryPathAndIsKeptForTheBrowser) {
    test_support::draw_probe_scene(device);
    const std::string pixels = test_support::read_probe_scene(device);
    auto at = [&](int x, int y) {
        return pixels.substr(static_cast<size_t>(y * test_support::PROBE_WIDTH + x) * 6, 6);
    };
    EXPECT_EQ(at(150, 110), "14283c") << "the clear colour";
    EXPECT_EQ(at(5, 5), "c81e1e") << "an opaque rectangle";
    EXPECT_EQ(at(25, 20), "73733c") << "half green over red, premultiplied";
    EXPECT_EQ(at(60, 30), "1428b4") << "blue added to the clear colour";
    EXPECT_EQ(at(4, 60), "00c85a") << "the texture's opaque corner";
    EXPECT_EQ(at(120, 90), "ffffff") << "inside the scissor";
    EXPECT_EQ(at(105, 90), "14283c") << "outside the scissor";
    std::ofstream("probe-scene.txt") << pixels << "\n";
}

}  // namespace
