// The run loop: fixed-rate updates with a bounded catch-up, one render per
// pass, suspension while iconified and once more when the window closes, and
// a collector step after every event.
#include <GLFW/glfw3.h>

#include "audio/audio_device.h"
#include "host/app.h"
#include "host/base/window.h"
#include "input/input_device.h"
#include "runtime/gc.h"

namespace {
host::WindowSystem& ws() {
    return host::window();
}

// Bits of gxtkApp::hostKeysHeld, one per fullscreen key.
constexpr unsigned HELD_F11 = 1u;
constexpr unsigned HELD_ENTER = 2u;
constexpr unsigned HELD_KEYPAD_ENTER = 4u;

// The bit of a key press that switches fullscreen (F11, or either Enter with
// Alt held), or 0 for any other press.
unsigned fullscreen_key_bit(int key, int mods) {
    const bool alt = (mods & GLFW_MOD_ALT) != 0;
    if (key == GLFW_KEY_F11) return HELD_F11;
    if (key == GLFW_KEY_ENTER && alt) return HELD_ENTER;
    if (key == GLFW_KEY_KP_ENTER && alt) return HELD_KEYPAD_ENTER;
    return 0u;
}

// The same bit whatever the modifiers, for the repeats and the release.
unsigned held_key_bit(int key) {
    return fullscreen_key_bit(key, GLFW_MOD_ALT);
}
}  // namespace

void gxtkApp::Run() {
    while (Frame()) {
    }
}

bool gxtkApp::Frame() {
    if (created) return Step();
    // A window without a positive size cannot be set up for; wait until it has one.
    if (!graphics->Validate() && ws().IsOpen()) {
        ws().WaitEvents();
        return true;
    }
    InvokeOnCreate();
    if (!suspended) InvokeOnRender();
    return true;
}

bool gxtkApp::Step() {
    if (!ws().IsOpen()) {
        // A window closed is the last suspension: the application saves what
        // it keeps on a suspension (the game in progress) before the loop
        // ends. Nothing is delivered after it.
        InvokeOnSuspend();
        return false;
    }
    if (ws().IsIconified()) {
        if (!suspended) {
            InvokeOnSuspend();
        } else {
            ws().WaitEvents();
        }
        return true;
    }
    if (suspended) {
        // Resume only once the window is both restored and focused.
        if (ws().IsFocused()) {
            InvokeOnResume();
        } else {
            ws().WaitEvents();
        }
        return true;
    }
    if (updateRate != 0) {
        TimedStep();
    } else {
        RenderWhenIdle();
    }
    return true;
}

void gxtkApp::TimedStep() {
    double now = ws().Time();
    if (now < nextUpdate) {
        ws().Sleep(nextUpdate - now);
        return;
    }
    ws().PollEvents();
    for (int i = 0; i < MAX_UPDATES_PER_FRAME; ++i) {
        nextUpdate += updatePeriod;
        InvokeOnUpdate();
        if (updateRate == 0 || ws().Time() < nextUpdate) break;
        // The backlog beyond the last allowed update is dropped, never caught up.
        if (i == MAX_UPDATES_PER_FRAME - 1) nextUpdate = ws().Time();
    }
    if (!suspended) InvokeOnRender();
}

void gxtkApp::RenderWhenIdle() {
    // One render per batch of events; Step comes here only while not suspended.
    InvokeOnRender();
    ws().WaitEvents();
}

void gxtkApp::InvokeOnCreate() {
    created = true;
    // OnCreate reads the device's size.
    graphics->Validate();
    OnCreate();
    gc_collect();
}

void gxtkApp::InvokeOnUpdate() {
    if (suspended || updateRate == 0 || !graphics->Validate()) return;
    input->BeginUpdate();
    OnUpdate();
    input->EndUpdate();
    gc_collect();
}

void gxtkApp::InvokeOnRender() {
    // Without a drawing context there is nothing to draw into; the game plays
    // on, and the frame after the context is back is drawn whole.
    if (suspended || !graphics->Validate() || graphics->ContextLost()) return;
    // A frame that would draw what the window still shows is left out, swap
    // and all: a screen at rest costs its updates only.
    if (!graphics->PictureLost() && !PictureChanged()) return;
    graphics->BeginRender();
    OnRender();
    // Flushes what is still batched and swaps the buffers.
    graphics->EndRender();
    gc_collect();
}

void gxtkApp::InvokeOnSuspend() {
    if (suspended) return;
    suspended = true;
    OnSuspend();
    audio->OnSuspend();
    if (updateRate != 0) {
        int rate = updateRate;
        SetUpdateRate(0);
        updateRate = rate;
    }
    gc_collect();
}

void gxtkApp::InvokeOnResume() {
    if (!suspended) return;
    if (updateRate != 0) {
        int rate = updateRate;
        updateRate = 0;
        SetUpdateRate(rate);
    }
    audio->OnResume();
    // Whatever the window showed before it was iconified is drawn afresh.
    graphics->LosePicture();
    OnResume();
    suspended = false;
    gc_collect();
}

bool gxtkApp::TakeHostKey(int key, int action, int mods) {
    if (action == ACTION_PRESS) {
        unsigned bit = fullscreen_key_bit(key, mods);
        if (bit == 0u) return false;
        hostKeysHeld |= bit;
        ws().ToggleFullscreen();
        return true;
    }
    unsigned bit = held_key_bit(key);
    if ((hostKeysHeld & bit) == 0u) return false;
    if (action == ACTION_RELEASE) hostKeysHeld &= ~bit;
    return true;
}

void gxtkApp::OnKey(int key, int action, int mods) {
    // Switching fullscreen is the host's: Alt+Enter must not also confirm a
    // menu choice, nor F11 count as a key hit.
    if (app->TakeHostKey(key, action, mods)) return;
    int code = gxtkInput::TransKey(key);
    if (code == 0) return;
    gxtkInput* in = app->input;
    if (action == ACTION_RELEASE) {
        in->OnKeyUp(code);
        return;
    }
    if (action == ACTION_PRESS) in->OnKeyDown(code);
    // A held key types its character again but adds no hit.
    if (action == ACTION_PRESS || action == ACTION_REPEAT) {
        int chr = gxtkInput::KeyToChar(code);
        if (chr != 0) in->PutChar(chr);
    }
}

void gxtkApp::OnChar(int chr, int action) {
    if (action == ACTION_PRESS) app->input->PutChar(chr);
}

void gxtkApp::OnMouseButton(int button, int action) {
    constexpr int MOUSE_BUTTONS = 3;
    if (button < 0 || button >= MOUSE_BUTTONS) return;
    const int key = KEY_LMB + button;
    if (action == ACTION_RELEASE) {
        app->input->OnKeyUp(key);
    } else if (action == ACTION_PRESS) {
        app->input->OnKeyDown(key);
    }
}

// The window system asks for the picture again (uncovered, resized): the next
// pass draws it even when nothing in it changed.
void gxtkApp::OnWindowSize(int, int) {
    if (app) app->graphics->LosePicture();
}

void gxtkApp::OnWindowRefresh() {
    if (app) app->graphics->LosePicture();
}

void gxtkApp::OnFocusLost() {
    app->input->DropHeld();
}
