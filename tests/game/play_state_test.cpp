// Play state across the seams between games, pauses and window shapes: a new
// game starts at rest, the play controls take no input after the game's end or
// under the pause panel, one press works one control, the keys of the panel
// use up the pointer's press, and a changed sound setting is saved at once.
#include <string>
#include <vector>

#include "play_support.h"
#include "shell_fixture.h"

namespace {

using game_test::PlayHarness;

// The window shapes the faults showed at, with their logical sizes.
struct Shape {
    int w, h;
    const char* name;
};
constexpr Shape WIDE = {1280, 720, "1280x720"};    // logical 640 by 360
constexpr Shape SQUARE = {640, 480, "640x480"};    // logical 640 by 480
constexpr Shape PORTRAIT = {480, 640, "480x640"};  // logical 360 by 480

// A game of type 2 on a window of the given shape.
struct State : PlayHarness {
    explicit State(const Shape& s) : PlayHarness(s.w, s.h) {
        StartGame(2);
        game->sounds.clear();
    }
    bb_Moxelpark_MyApp* g() { return game; }
    int Strokes() const { return static_cast<int>(game->SoundsOf(SFX_STROKE).size()); }
    // Opens the panel by the back action and lets it slide all the way in.
    void OpenPanel() {
        Key(KEY_ESCAPE);
        for (int i = 0; i < 30 && game->f_PauseY < bb_Moxelpark_jscrh * 0.5f; ++i) h.Update();
        ASSERT_EQ(game->f_Paused, 1);
    }
    // The ball at rest at a place.
    void RestBall(float x, float y) {
        game->f_BallX = x;
        game->f_BallY = y;
        h.Update();
    }
};

TEST(PlayState, ANewGameStartsAtRestWhateverTheLastOneLeft) {
    for (const Shape& s : {SQUARE, WIDE, PORTRAIT}) {
        SCOPED_TRACE(s.name);
        State p(s);
        bb_Moxelpark_MyApp* g = p.g();
        // The last game ended with power on the meter and the panel open over
        // its game-over screen.
        g->f_Power = 120.0f;
        g->f_GameOver = 1;
        p.Key(KEY_ESCAPE);
        ASSERT_EQ(g->f_Paused, 1);
        g->f_GameMode = MODE_PLAY_LOAD;
        p.h.Update();
        EXPECT_EQ(g->f_Power, 0.0f);
        EXPECT_EQ(g->f_PointerUsed, 1);
        EXPECT_EQ(g->f_Paused, 0);
        EXPECT_EQ(g->f_PauseSlide, -1);
        EXPECT_EQ(g->f_PauseY, PAUSE_HIDDEN_Y);
        p.h.Update(5);
        EXPECT_EQ(g->f_BallState, BALL_AIMING);
        EXPECT_EQ(g->f_Balls, 8);
        EXPECT_EQ(p.Strokes(), 0);
    }
    // A press held on the meter across the start sets nothing until it is let go.
    State p(SQUARE);
    int x, y;
    p.MeterPoint(100, &x, &y);
    p.PointAt(x, y);
    p.h.MouseDown();
    p.g()->f_GameMode = MODE_PLAY_LOAD;
    p.h.Update(3);
    EXPECT_EQ(p.g()->f_Power, 0.0f);
    p.Release();
    EXPECT_EQ(p.Strokes(), 0);
}

TEST(PlayState, AfterQuittingTheMeterAndTheTurnTakeNoInputButTheBallFliesOn) {
    State p(SQUARE);
    bb_Moxelpark_MyApp* g = p.g();
    p.ClearObjects();
    p.PlaceObject(100, OBJECT_TARGET, -1000.0f, -1000.0f);  // keeps the cup shut
    p.Stroke(150);
    p.OpenPanel();
    ASSERT_EQ(g->f_BallState, BALL_MOVING);
    p.Tap(180, 184);  // quit
    ASSERT_EQ(g->f_GameOver, 1);
    float x = g->f_BallX;
    p.h.Update();
    EXPECT_NE(x, g->f_BallX);
    // The ball comes to rest while the game-over screen runs; strokes and
    // turns then do nothing.
    g->f_BallState = BALL_AIMING;
    g->f_BallVX = g->f_BallVY = 0.0f;
    int balls = g->f_Balls, facing = g->f_Facing;
    p.Stroke(150);
    p.Tap(static_cast<int>(g->f_BallX), static_cast<int>(g->f_BallY));
    EXPECT_EQ(g->f_BallState, BALL_AIMING);
    EXPECT_EQ(g->f_Balls, balls);
    EXPECT_EQ(g->f_Facing, facing);
    EXPECT_EQ(p.Strokes(), 1);
}

TEST(PlayState, UnderThePausePanelOnlyThePanelTakesThePointer) {
    struct Case {
        Shape shape;
        int x, y;         // the press, in logical units
        int pausedAfter;  // f_Paused right after the press
        int slideAfter;   // f_PauseSlide right after the press
        int soundAfter;   // f_Settings[SETTING_SOUND] after the tap
    } cases[] = {
        {SQUARE, 600, 200, 1, 1, 1},    // the meter under the veil
        {SQUARE, 330, 345, 1, 1, 1},    // the resting ball under the veil
        {WIDE, 320, 200, 1, -1, 1},     // Resume, inside the ball's turning zone
        {PORTRAIT, 276, 152, 1, 1, 0},  // the sound button, on the meter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.shape.name) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
        State p(c.shape);
        bb_Moxelpark_MyApp* g = p.g();
        p.OpenPanel();
        p.Press(c.x, c.y);
        EXPECT_EQ(g->f_Paused, c.pausedAfter);
        EXPECT_EQ(g->f_PauseSlide, c.slideAfter);
        EXPECT_EQ(g->f_Power, 0.0f);
        p.Release();
        EXPECT_EQ(g->f_Settings[SETTING_SOUND], c.soundAfter);
        p.h.Update(20);
        EXPECT_EQ(g->f_Facing, 1);
        EXPECT_EQ(g->f_BallState, BALL_AIMING);
        EXPECT_EQ(p.Strokes(), 0);
    }
}

TEST(PlayState, ThePanelsKeysUseUpAPointerPressAlreadyHeld) {
    struct Case {
        const char* what;
        std::vector<int> keys;  // tapped in turn, the last one held
    } cases[] = {
        {"resume", {KEY_ENTER}},
        {"quit", {KEY_LEFT, KEY_ENTER}},
        {"back", {KEY_ESCAPE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        State p(SQUARE);
        bb_Moxelpark_MyApp* g = p.g();
        p.OpenPanel();
        int x, y;
        p.MeterPoint(100, &x, &y);
        p.Press(x, y);
        for (size_t i = 0; i + 1 < c.keys.size(); ++i) p.Key(c.keys[i]);
        p.h.KeyDown(c.keys.back());
        p.h.Update();
        EXPECT_EQ(g->f_PointerUsed, 1);
        p.h.KeyUp(c.keys.back());
        p.h.Update(20);  // the panel slides away with the button still held
        EXPECT_EQ(g->f_Power, 0.0f);
        p.Release();
        p.h.Update();
        EXPECT_EQ(p.Strokes(), 0);
    }
}

TEST(PlayState, WhereTheMeterAndTheBallOverlapOnePressWorksOneControl) {
    struct Case {
        Shape shape;
        float ballY;  // the ball at rest at x 600
        int pressY;   // a press at x 600 on the ball's zone inside the meter's
    } cases[] = {
        {WIDE, 232.0f, 232},    // the ground line runs through the meter
        {SQUARE, 352.0f, 320},  // the top of the ball's zone reaches the meter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape.name);
        State p(c.shape);
        bb_Moxelpark_MyApp* g = p.g();
        p.RestBall(600.0f, c.ballY);
        // A press that lands on the ball turns the golfer, and only that.
        p.Press(600, c.pressY);
        EXPECT_EQ(g->f_Facing, -1);
        EXPECT_EQ(g->f_Power, 0.0f);
        p.Release();
        EXPECT_EQ(g->f_BallState, BALL_AIMING);
        EXPECT_EQ(p.Strokes(), 0);
        // A press that begins on the meter keeps the meter across the ball.
        const int top = static_cast<int>(p.MeterTop());
        p.Press(600, top + 10);
        p.Press(600, c.pressY);
        EXPECT_EQ(g->f_Facing, -1);
        EXPECT_EQ(g->f_Power, static_cast<float>(c.pressY - top));
        p.Release();
        EXPECT_EQ(g->f_BallState, BALL_MOVING);
        EXPECT_LT(g->f_BallVX, 0.0f);
    }
}

TEST(PlayState, ASoundChangeIsSavedAtOnceOnTheMenuAndThePanel) {
    std::string state;
    {
        shell_test::ShellFixture f;
        ASSERT_FALSE(shell_test::StateFileExists());
        f.Click(320, 32);  // the menu's sound button
        ASSERT_TRUE(shell_test::StateFileExists());
        state = shell_test::ReadStateFile();
        EXPECT_EQ(shell_test::SplitFields(state)[SETTING_SOUND], "0");
    }
    {
        shell_test::ShellFixture f(640, 480, true, state);
        EXPECT_EQ(f.game->f_Settings[SETTING_SOUND], 0);
    }
    shell_test::ShellFixture f;
    f.Hold(KEY_ENTER);
    f.Let(KEY_ENTER);
    ASSERT_EQ(f.game->f_GameMode, MODE_PLAY);
    f.Hold(KEY_ESCAPE);
    f.Let(KEY_ESCAPE);
    f.Hold(KEY_RIGHT);
    f.Let(KEY_RIGHT);
    f.Hold(KEY_ENTER);
    ASSERT_EQ(f.game->f_Settings[SETTING_SOUND], 0);
    ASSERT_TRUE(shell_test::StateFileExists());
    EXPECT_EQ(shell_test::SplitFields(shell_test::ReadStateFile())[SETTING_SOUND], "0");
}

}  // namespace

namespace {

// Aiming with nothing pressed leaves the picture as it is, so the host draws
// no frame; a ball in flight changes it in every update.
TEST(PlayState, ThePictureRestsWhileAimingAndMovesWithTheBall) {
    State s(SQUARE);
    s.h.Update(30);
    ASSERT_EQ(s.game->f_BallState, BALL_AIMING);
    for (int i = 0; i < 30; ++i) {
        s.h.Render();
        s.h.Update();
        EXPECT_FALSE(s.game->m_PictureChanged()) << "aiming, update " << i;
    }
    s.Stroke(150);
    int moving = 0;
    for (int i = 0; i < 30 && s.game->f_BallState == BALL_MOVING; ++i, ++moving) {
        s.h.Render();
        s.h.Update();
        EXPECT_TRUE(s.game->m_PictureChanged()) << "in flight, update " << i;
    }
    EXPECT_GT(moving, 10);
}

}  // namespace
