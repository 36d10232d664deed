// The whole game as a player meets it: the real program on a private X server,
// worked with the mouse and keyboard through XTEST, judged by what is on
// screen, what is heard and what is left on disk.
#include "tests/e2e/player.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace e2e {
namespace {

// The wait screen's background, shown while images load.
constexpr Rgb WAIT_GREY = {40, 40, 80};
// Offsets of game type 2's block in the state text: top[0], last[0], then pairs.
constexpr int TYPE2_BLOCK = 56;

std::string screenshot_dir() {
    return MOXEL_SCREENSHOT_DIR;
}

// Saves the window as `name` among the README's screenshots, which stay in the
// build folder until scripts/screenshots.sh copies them into the checkout.
void save_screenshot(const XServer& server, const std::string& window, const std::string& name) {
    const std::string path = screenshot_dir() + "/" + name;
    std::remove(path.c_str());
    server.x("import -window " + window + " png:" + path);
    EXPECT_EQ(path.rfind(std::string(MOXEL_BUILD_DIR) + "/", 0), 0u)
        << path << " is outside the build folder";
    FILE* f = std::fopen(path.c_str(), "rb");
    EXPECT_NE(f, nullptr) << "no screenshot at " << path;
    if (f) std::fclose(f);
}

// Pixels of a box that are not the given colour.
int count_unlike(const Screenshot& shot, int x0, int y0, int x1, int y1, const Rgb& colour) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (!same(shot.at(x, y), colour)) ++n;
        }
    }
    return n;
}

// Pixels of a box bright enough to be text.
int count_lit(const Screenshot& shot, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const Rgb c = shot.at(x, y);
            if (c.r + c.g + c.b > 300) ++n;
        }
    }
    return n;
}

// Yellow pixels of a box: the menu's selection mark.
int count_yellow(const Screenshot& shot, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const Rgb c = shot.at(x, y);
            if (c.r > 150 && c.g > 150 && c.b < 100) ++n;
        }
    }
    return n;
}

// A valid state text holding `fields` (98 values; the checksums are filled in).
std::string state_text(std::vector<long long> f) {
    auto u = [](long long v) { return static_cast<uint32_t>(v); };
    uint32_t sum = 0;
    for (int i = 0; i < 25; ++i) sum += u(i) * u(f[i]);
    f[25] = static_cast<int32_t>(sum);
    sum = 0;
    for (int k = 0; k < 8; ++k) sum += u(f[26 + k]);
    f[34] = static_cast<int32_t>(sum);
    for (int t = 0; t < 3; ++t) {
        const int base = 35 + 21 * t;
        sum = 0;
        for (int j = 0; j < 10; ++j)
            sum += u(j + 4) * u(f[base + 2 * j]) + u(t + 3 + j) * u(f[base + 2 * j + 1]);
        f[base + 20] = static_cast<int32_t>(sum);
    }
    std::string text;
    for (long long v : f) text += std::to_string(v) + "|";
    return text;
}

void expect_clean_output(const Game& game) {
    EXPECT_EQ(game.err(), "");
    EXPECT_EQ(game.out().find("Runtime Error"), std::string::npos) << game.out();
}

// Starts a game of `type` from the menu by mouse and waits for the play screen.
void start_by_mouse(const XServer& server, const std::string& window, int type) {
    ASSERT_TRUE(wait_for_menu_at_rest(server, window));
    click(server, window, TYPE_BUTTON_X[type - 1], TYPE_BUTTON_Y);
    ASSERT_TRUE(wait_for([&] { return play_screen(server, window); }, 10.0, 0.2));
}

// Every object of the hole shows where the course generator puts it.
void expect_course_drawn(const XServer& server, const std::string& window, int type) {
    Screenshot shot = window_shot(server, window);
    for (const CourseObject& o : course(type, 1, 640.0f, 480.0f)) {
        EXPECT_GT(count_unlike(shot, o.x - 4, o.y - 4, o.x + 4, o.y + 4, SKY), 40)
            << "object at " << o.x << "," << o.y;
    }
}

TEST(PlayerTest, StartShowsTheWaitScreenThenTheMenu) {
    XServer server;
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty()) << game.out();

    // The wait screen: black behind the logo's disc, before the menu's blue.
    bool saw_wait_screen = false;
    ASSERT_TRUE(wait_for(
        [&] {
            Screenshot shot = window_shot(server, window);
            if (same(shot.at(2, 2), WAIT_GREY)) saw_wait_screen = true;
            return same(shot.at(2, 2), SKY);
        },
        20.0, 0.02));
    EXPECT_TRUE(saw_wait_screen);

    ASSERT_TRUE(wait_for_still(server, window)) << "the menu never comes to rest";
    Screenshot menu = window_shot(server, window);
    ASSERT_EQ(menu.width, 640);
    EXPECT_TRUE(same(menu.at(2, 2), SKY));
    EXPECT_GT(count_unlike(menu, 160, 90, 350, 150, SKY), 500) << "title art";
    for (int x : TYPE_BUTTON_X) {
        EXPECT_GT(count_unlike(menu, x - 30, TYPE_BUTTON_Y - 30, x + 30, TYPE_BUTTON_Y + 30, SKY), 1000)
            << "game-type button at " << x;
    }
    // The score panel darkens the right edge; both lists are written on it.
    EXPECT_TRUE(same(menu.at(637, 2), Rgb{0, 0, 48}));
    EXPECT_GT(count_lit(menu, 515, 55, 635, 230), 200) << "top-ten list";
    EXPECT_GT(count_lit(menu, 515, 235, 635, 410), 200) << "last-ten list";
    save_screenshot(server, window, "menu.png");
    expect_clean_output(game);
}

TEST(PlayerTest, AGameByMouseShowsTheCourseAndTheStrokeFliesAndIsHeard) {
    XServer server;
    WorkDir dir;
    const std::string wav = dir.file("heard.wav");
    Game game(dir, &server, {capture_config(dir, wav)});
    std::string window = game.window();
    ASSERT_FALSE(window.empty());
    start_by_mouse(server, window, 2);
    Screenshot play = window_shot(server, window);
    EXPECT_TRUE(same(play.at(300, GROUND_Y + 2), GRASS));
    expect_course_drawn(server, window, 2);

    pause_for(0.5);  // let the menu's click sound die away
    const long before_stroke = capture_data_bytes(wav);
    drag(server, window, METER_X, METER_TOP + 10, METER_X, METER_TOP + 160);
    std::vector<Screenshot> flight;
    for (int i = 0; i < 4; ++i) {
        flight.push_back(window_shot(server, window));
        pause_for(0.12);
    }
    for (size_t i = 1; i < flight.size(); ++i) {
        EXPECT_NE(flight[i].rgb, flight[i - 1].rgb)
            << "the ball stands still between shots " << i - 1 << " and " << i;
    }
    save_screenshot(server, window, "play.png");
    EXPECT_TRUE(wait_for([&] { return capture_peak(wav, before_stroke) > 0.05; }, 3.0, 0.1))
        << "no stroke heard; peak " << capture_peak(wav, before_stroke);
    expect_clean_output(game);
}

TEST(PlayerTest, KeysMoveTheSelectionAndStartTheGame) {
    XServer server;
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_TRUE(wait_for_menu_at_rest(server, window));
    auto marks = [&](int type) {
        const int x = TYPE_BUTTON_X[type - 1];
        return count_yellow(window_shot(server, window), x - 50, TYPE_BUTTON_Y - 50, x + 50,
                            TYPE_BUTTON_Y + 50);
    };
    const int type3_before = marks(3);
    EXPECT_GT(marks(2), type3_before + 100) << "type 2 is selected at start";
    key(server, window, "Down");
    EXPECT_TRUE(wait_for([&] { return marks(3) > type3_before + 100; }, 3.0, 0.1));
    key(server, window, "Return");
    ASSERT_TRUE(wait_for([&] { return play_screen(server, window); }, 10.0, 0.2));
    expect_course_drawn(server, window, 3);
    expect_clean_output(game);
}

TEST(PlayerTest, AnInstantClickStartsTheGameAndOpensThePausePanel) {
    XServer server;
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_TRUE(wait_for_menu_at_rest(server, window));
    instant_click(server, window, TYPE_BUTTON_X[1], TYPE_BUTTON_Y);
    ASSERT_TRUE(wait_for([&] { return play_screen(server, window); }, 10.0, 0.2)) << "no game started";
    instant_click(server, window, PAUSE_BUTTON_X, PAUSE_BUTTON_Y);
    EXPECT_TRUE(wait_for([&] { return pause_veil(server, window); }, 3.0, 0.1))
        << "no pause panel's veil over the sky";
    expect_clean_output(game);
}

TEST(PlayerTest, EscapePausesQuitEndsTheGameAndARestartShowsTheScore) {
    XServer server(true);
    WorkDir dir;
    // An earlier score, so the new one can be seen taking the newest place.
    std::vector<long long> seeded(98, 0);
    seeded[5] = 1;
    seeded[TYPE2_BLOCK + 1] = 4321;
    dir.write(".vendlestate", state_text(seeded));
    long long score = -1;
    {
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string window = game.window();
        ASSERT_FALSE(window.empty());
        start_by_mouse(server, window, 2);
        key(server, window, "Escape");
        EXPECT_TRUE(wait_for([&] { return pause_veil(server, window); }, 3.0, 0.1))
            << "the veil does not darken the sky";
        ASSERT_TRUE(wait_for_still(server, window)) << "the pause panel never comes to rest";
        click(server, window, PAUSE_QUIT_X, PAUSE_QUIT_Y);
        EXPECT_TRUE(wait_for(
            [&] {
                const Rgb bar = window_pixel(server, window, 4, 216);
                return bar.r > 100 && bar.g > 100;
            },
            3.0, 0.05))
            << "no game-over overlay";
        ASSERT_TRUE(wait_for_menu(server, window, 10.0));
        ASSERT_TRUE(wait_for([&] { return dir.read(".vendlestate") != state_text(seeded); }, 5.0, 0.1));
        std::string why;
        EXPECT_TRUE(state_valid(dir.read(".vendlestate"), &why)) << why;
        std::vector<long long> saved = state_fields(dir.read(".vendlestate"));
        ASSERT_EQ(saved.size(), 98u);
        score = saved[TYPE2_BLOCK + 1];
        EXPECT_EQ(saved[TYPE2_BLOCK + 3], 4321) << "the earlier score moved down one place";
        close_and_expect_zero(server, game);
        expect_clean_output(game);
    }

    Game again(dir, &server, {NO_SOUND_CARD});
    std::string window = again.window();
    ASSERT_TRUE(wait_for_menu_at_rest(server, window));
    EXPECT_NE(again.out().find("Settings Loaded"), std::string::npos) << again.out();
    EXPECT_NE(again.out().find("Badges Loaded"), std::string::npos) << again.out();
    // The last-ten list: a title line, then one row of 15 pixels per score.
    Screenshot menu = window_shot(server, window);
    auto row = [&](int k) { return count_lit(menu, 515, 240 + 15 * k, 635, 255 + 15 * k); };
    EXPECT_GT(row(2), row(3) + 20) << "4321 on the second row";
    if (score == 0) {
        EXPECT_LT(row(1), row(2) / 2) << "the new score, 0, on the first row";
    }
    close_and_expect_zero(server, again);
}

TEST(PlayerTest, IconifyingSavesAndRestoringShowsThePausePanel) {
    XServer server(true);
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty());
    start_by_mouse(server, window, 2);
    ASSERT_EQ(dir.read(".vendlestate"), "");
    server.x("xdotool windowminimize --sync " + window);
    EXPECT_TRUE(wait_for([&] { return !dir.read(".vendlestate").empty(); }, 5.0, 0.1)) << "not saved";
    std::string why;
    EXPECT_TRUE(state_valid(dir.read(".vendlestate"), &why)) << why;
    server.x("xdotool windowactivate --sync " + window);
    EXPECT_TRUE(wait_for(
        [&] {
            const Rgb panel = window_pixel(server, window, PAUSE_PANEL_X, PAUSE_PANEL_Y);
            return panel.r > 150 && panel.g > 60 && panel.b < 80;
        },
        5.0, 0.1))
        << "no pause panel after restoring";
    close_and_expect_zero(server, game);
    expect_clean_output(game);
}

// A screen at rest is not drawn again until the window system asks for it:
// a window that covered the menu and goes away must leave the menu, not itself.
TEST(PlayerTest, TheMenuAtRestComesBackWhenAWindowOverItCloses) {
    XServer server;
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(wait_for_menu_at_rest(server, window));
    const Screenshot before = window_shot(server, window);

    // Without a window manager the game's window sits centred at (192, 144).
    const std::string cover =
        server.x("xmessage -geometry 600x400+200+150 -bg red cover >/dev/null 2>&1 & echo $!");
    ASSERT_TRUE(wait_for([&] { return !same(window_pixel(server, window, 100, 100), SKY); }, 5.0, 0.1))
        << "the covering window never showed";
    server.x("kill " + cover);
    EXPECT_TRUE(wait_for([&] { return window_shot(server, window).rgb == before.rgb; }, 5.0, 0.1))
        << "the menu was not drawn again where the window had covered it";
    expect_clean_output(game);
}

TEST(PlayerTest, ResizingReloadsAtEachSizeAndSurvivesOnePixel) {
    XServer server(false, 1600, 1200);
    WorkDir dir;
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_TRUE(wait_for_menu(server, window));
    // Screenshots only show what lies on the screen: keep the larger window inside it.
    server.x("xdotool windowmove --sync " + window + " 0 0");
    struct Size {
        int w, h;
        int button_x, button_y;  // game type 2's button in window pixels at rest
    } sizes[] = {{1280, 720, 512, 504}, {480, 640, 144, 554}, {640, 480, 256, 336}};
    for (const Size& s : sizes) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
        server.x("xdotool windowsize --sync " + window + " " + std::to_string(s.w) + " " +
                 std::to_string(s.h));
        bool saw_wait_screen = false;
        Rgb corner{};
        int width = 0;
        ASSERT_TRUE(wait_for(
            [&] {
                Screenshot shot = window_shot(server, window);
                width = shot.width;
                corner = shot.at(2, 2);
                if (shot.width != s.w) return false;
                if (same(corner, WAIT_GREY)) saw_wait_screen = true;
                return same(corner, SKY) && saw_wait_screen;
            },
            15.0, 0.02))
            << "width " << width << " corner " << corner.r << "," << corner.g << "," << corner.b
            << " wait screen seen " << saw_wait_screen;
        ASSERT_TRUE(wait_for_still(server, window)) << "the new layout never comes to rest";
        Screenshot shot = window_shot(server, window);
        EXPECT_GT(count_unlike(shot, s.button_x - 20, s.button_y - 20, s.button_x + 20, s.button_y + 20, SKY),
                  400)
            << "game type 2's button in the new layout";
    }
    server.x("xdotool windowsize --sync " + window + " 640 1");
    pause_for(1.0);
    EXPECT_TRUE(game.running());
    server.x("xdotool windowsize --sync " + window + " 640 480");
    EXPECT_TRUE(wait_for_menu(server, window, 15.0));
    EXPECT_TRUE(game.running());
    expect_clean_output(game);
}

TEST(PlayerTest, RunsWithoutDataAndExitsZeroOnClose) {
    XServer server(true);
    WorkDir dir(false);
    Game game(dir, &server, {NO_SOUND_CARD});
    std::string window = game.window();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(wait_for_menu(server, window));
    pause_for(1.0);
    EXPECT_TRUE(game.running());
    close_and_expect_zero(server, game);
    expect_clean_output(game);
}

TEST(PlayerTest, DamagedStateFilesLoadAndTheNextSaveIsValid) {
    std::string random_bytes;
    uint32_t seed = 12345;
    for (int i = 0; i < 4096; ++i) {
        seed = seed * 1103515245u + 12345u;
        random_bytes += static_cast<char>(seed >> 24);
    }
    std::string megabyte;
    for (int i = 0; megabyte.size() < (1u << 20); ++i) megabyte += std::to_string(i * 7919) + "|";
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {{"random bytes", random_bytes}, {"empty", ""}, {"a megabyte", megabyte}};
    XServer server(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkDir dir;
        dir.write(".vendlestate", c.content);
        Game game(dir, &server, {NO_SOUND_CARD});
        std::string window = game.window();
        ASSERT_FALSE(window.empty());
        ASSERT_TRUE(wait_for_menu(server, window));
        server.x("xdotool windowminimize --sync " + window);
        ASSERT_TRUE(wait_for([&] { return dir.read(".vendlestate") != c.content; }, 5.0, 0.1)) << "not saved";
        std::string why;
        EXPECT_TRUE(state_valid(dir.read(".vendlestate"), &why)) << why;
        server.x("xdotool windowactivate --sync " + window);
        close_and_expect_zero(server, game);
        expect_clean_output(game);
    }
}

TEST(PlayerTest, ASheetTooSmallForItsGridEndsWithTheRuntimeError) {
    XServer server;
    WorkDir dir(false);
    // The real data, but with a gfx sheet that holds one frame of the sixteen.
    run("mkdir -p '" + dir.file("data") + "' && cp -r '" + data_dir() + "/.' '" + dir.file("data") +
        "' && cp '" + data_dir() + "/parts.png' '" + dir.file("data/gfx.png") + "'");
    Game game(dir, &server, {NO_SOUND_CARD});
    int status = -1;
    ASSERT_TRUE(game.wait_exit(30.0, &status));
    EXPECT_EQ(status, 255);
    EXPECT_NE(game.out().find("Vendle Runtime Error : Image frame outside surface"), std::string::npos)
        << game.out();
}

}  // namespace
}  // namespace e2e
