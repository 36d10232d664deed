// The window's first size and place for a desktop size and content scale.
#include "host/base/window_place.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(FirstWindowRect, GrowsByTheContentScaleToWhatFitsTheDesktop) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        int desktopWidth, desktopHeight;
        float scale;
        host::WindowRect want;
    } cases[] = {
        // Scale 1 (and below): the window as it always was, centred by truncation.
        {1024, 768, 1.0f, {192, 144, 640, 480}},
        {1024, 768, 0.75f, {192, 144, 640, 480}},
        {600, 401, 1.0f, {-20, -39, 640, 480}},
        // Whole pixels, centred.
        {2560, 1600, 2.0f, {640, 320, 1280, 960}},
        {1920, 1080, 1.25f, {560, 240, 800, 600}},
        {1920, 1080, 1.1f, {608, 276, 704, 528}},
        // Too big for the desktop: the largest 4:3 size that fits, never below 640x480.
        {1024, 768, 2.0f, {0, 0, 1024, 768}},
        {1366, 768, 2.0f, {171, 0, 1024, 768}},
        {1279, 961, 2.0f, {1, 2, 1276, 957}},
        {600, 401, 2.0f, {-20, -39, 640, 480}},
        // A scale that is no number leaves the window as it was; an endless one fits.
        {1024, 768, std::nanf(""), {192, 144, 640, 480}},
        {1024, 768, inf, {0, 0, 1024, 768}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.desktopWidth << "x" << c.desktopHeight << " at " << c.scale);
        const host::WindowRect got =
            host::first_window_rect(c.desktopWidth, c.desktopHeight, c.scale, c.scale);
        EXPECT_EQ(got.x, c.want.x);
        EXPECT_EQ(got.y, c.want.y);
        EXPECT_EQ(got.width, c.want.width);
        EXPECT_EQ(got.height, c.want.height);
    }
}

}  // namespace
