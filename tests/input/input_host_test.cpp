// Input through the host's window-system callbacks, with GLFW 3 key codes and
// actions: presses, releases, key repeat, characters and mouse buttons.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "host/app.h"
#include "host/base/window.h"
#include "input/input.h"

namespace {

class InputHostTest : public testing::Test {
  protected:
    void SetUp() override {
        static bool heap_ready = false;
        if (!heap_ready) gc_init1();
        heap_ready = true;
        // The callbacks reach the device through the global `app`, which the
        // host object sets when it is made. Nothing is collected here.
        new gxtkApp();
        in = app->input;
    }

    // Everything the queue holds, in order.
    std::vector<int> DrainChars() {
        std::vector<int> chars;
        for (int c = in->GetChar(); c != 0; c = in->GetChar()) chars.push_back(c);
        return chars;
    }

    gxtkInput* in = nullptr;
};

TEST_F(InputHostTest, KeyPressQueuesTheEditingCharacter) {
    const struct {
        int glfw;
        int code;
        std::vector<int> chars;
    } cases[] = {
        {GLFW_KEY_PAGE_UP, 33, {65536 + 33}},
        {GLFW_KEY_DELETE, 46, {127}},
        {GLFW_KEY_ENTER, 13, {13}},
        {GLFW_KEY_LEFT, 37, {65536 + 37}},
        // Printable characters come from the character event, not the key.
        {GLFW_KEY_A, 65, {}},
        {GLFW_KEY_LEFT_SHIFT, 160, {}},
    };
    for (const auto& c : cases) {
        gxtkApp::OnKey(c.glfw, GLFW_PRESS);
        EXPECT_EQ(in->KeyDown(c.code), 1) << c.glfw;
        EXPECT_EQ(in->KeyHit(c.code), 1) << c.glfw;
        EXPECT_EQ(DrainChars(), c.chars) << c.glfw;
        in->EndUpdate();
        gxtkApp::OnKey(c.glfw, GLFW_RELEASE);
        EXPECT_EQ(in->KeyDown(c.code), 0) << c.glfw;
    }
}

TEST_F(InputHostTest, HeldKeyRepeatsItsCharacterButNotItsHit) {
    gxtkApp::OnKey(GLFW_KEY_BACKSPACE, GLFW_PRESS);
    for (int i = 0; i < 3; ++i) gxtkApp::OnKey(GLFW_KEY_BACKSPACE, GLFW_REPEAT);
    EXPECT_EQ(DrainChars(), std::vector<int>({8, 8, 8, 8}));
    EXPECT_EQ(in->KeyHit(KEY_BACKSPACE), 1);
    in->EndUpdate();
    gxtkApp::OnKey(GLFW_KEY_BACKSPACE, GLFW_REPEAT);
    EXPECT_EQ(in->KeyDown(KEY_BACKSPACE), 1);
    EXPECT_EQ(in->KeyHit(KEY_BACKSPACE), 0);
    EXPECT_EQ(DrainChars(), std::vector<int>({8}));
}

TEST_F(InputHostTest, IgnoredKeysChangeNothing) {
    gxtkApp::OnKey(GLFW_KEY_KP_ENTER, GLFW_PRESS);
    gxtkApp::OnKey(GLFW_KEY_UNKNOWN, GLFW_PRESS);
    for (int code = 0; code < INPUT_KEY_CODES; ++code) EXPECT_EQ(in->keyStates[code], 0) << code;
    EXPECT_EQ(in->charPut, 0);
}

TEST_F(InputHostTest, CharacterEventsQueueTypedText) {
    gxtkApp::OnChar('h', GLFW_PRESS);
    gxtkApp::OnChar(0xe9, GLFW_PRESS);
    gxtkApp::OnChar('x', GLFW_RELEASE);
    EXPECT_EQ(DrainChars(), std::vector<int>({'h', 0xe9}));
}

TEST_F(InputHostTest, MouseButtonsAreKeysOneToThree) {
    gxtkApp::OnMouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS);
    gxtkApp::OnMouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS);
    gxtkApp::OnMouseButton(GLFW_MOUSE_BUTTON_MIDDLE, GLFW_PRESS);
    gxtkApp::OnMouseButton(GLFW_MOUSE_BUTTON_4, GLFW_PRESS);
    EXPECT_EQ(in->KeyDown(KEY_LMB) + in->KeyDown(KEY_RMB) + in->KeyDown(KEY_MMB), 3);
    EXPECT_EQ(in->KeyDown(4), 0);
    EXPECT_EQ(in->KeyHit(KEY_TOUCH0), 1);
    in->EndUpdate();
    gxtkApp::OnMouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE);
    EXPECT_EQ(in->KeyDown(KEY_TOUCH0), 0);
}

// A window system that counts the fullscreen switches asked of it.
struct SwitchCountingWindow : host::NullWindowSystem {
    int switches = 0;
    void ToggleFullscreen() override { ++switches; }
};

TEST_F(InputHostTest, FullscreenKeysSwitchAndNeverReachTheGame) {
    SwitchCountingWindow window;
    host::set_window(&window);
    const int f11 = gxtkInput::TransKey(GLFW_KEY_F11);
    // F11: one switch per press, however long it is held; no key, no hit.
    gxtkApp::OnKey(GLFW_KEY_F11, GLFW_PRESS);
    gxtkApp::OnKey(GLFW_KEY_F11, GLFW_REPEAT);
    EXPECT_EQ(window.switches, 1);
    EXPECT_EQ(in->KeyDown(f11), 0);
    gxtkApp::OnKey(GLFW_KEY_F11, GLFW_RELEASE);
    EXPECT_EQ(in->KeyHit(f11), 0);
    // Alt+Enter (keypad Enter too) switches and confirms nothing, even when
    // Alt is let go before Enter.
    for (int enter : {GLFW_KEY_ENTER, GLFW_KEY_KP_ENTER}) {
        gxtkApp::OnKey(enter, GLFW_PRESS, GLFW_MOD_ALT);
        gxtkApp::OnKey(enter, GLFW_REPEAT, 0);
        gxtkApp::OnKey(enter, GLFW_RELEASE, 0);
    }
    EXPECT_EQ(window.switches, 3);
    EXPECT_EQ(in->KeyHit(KEY_ENTER), 0);
    EXPECT_EQ(DrainChars(), std::vector<int>{});
    // Enter alone is the game's again.
    gxtkApp::OnKey(GLFW_KEY_ENTER, GLFW_PRESS, 0);
    EXPECT_EQ(in->KeyDown(KEY_ENTER), 1);
    EXPECT_EQ(window.switches, 3);
    host::set_window(nullptr);
}

}  // namespace
