// The application host: gxtkApp and its run loop, the framework's application
// classes bb_app_AppDevice and bb_app_App, and the application module's free
// functions.
//
// The loop delivers five events to the application (create, update, render,
// suspend, resume) and runs one collector step after each of them, so objects
// die only between events.
#ifndef MOXEL_HOST_APP_H
#define MOXEL_HOST_APP_H

#include "audio/audio_device.h"
#include "graphics/graphics_device.h"
#include "host/base/gxtk_object.h"
#include "input/input_device.h"
#include "runtime/string.h"

// Updates run per pass at most; the rest of a backlog is dropped.
constexpr int MAX_UPDATES_PER_FRAME = 7;

// The actions the window system's key, character and mouse-button callbacks report.
constexpr int ACTION_RELEASE = 0;
constexpr int ACTION_PRESS = 1;
constexpr int ACTION_REPEAT = 2;

class gxtkApp : public gxtkObject {
  public:
    gxtkApp();

    virtual gxtkGraphics* GraphicsDevice() { return graphics; }
    virtual gxtkInput* InputDevice() { return input; }
    virtual gxtkAudio* AudioDevice() { return audio; }
    virtual String AppTitle();
    virtual String LoadState();
    virtual int SaveState(String state);
    virtual String LoadString(String path);
    virtual int SetUpdateRate(int rate);
    virtual int MilliSecs();
    virtual int Loading() { return 0; }
    virtual int OnCreate() { return 0; }
    virtual int OnSuspend() { return 0; }
    virtual int OnResume() { return 0; }
    virtual int OnUpdate() { return 0; }
    virtual int OnRender() { return 0; }
    virtual int OnLoading() { return 0; }
    // Whether the application's next frame may differ from the last one it
    // drew; while it does not, and the window still shows that frame, the
    // loop renders nothing and leaves the picture on screen.
    virtual bool PictureChanged() { return true; }

    // The loop; returns when the window has closed, after suspending the
    // application (unless it already was).
    void Run();
    // One pass of the loop, which never blocks where the window system does
    // not: creates the application once the window has a size, then steps.
    // False once the window has closed. The browser calls it every animation
    // frame; Run calls it until it returns false.
    bool Frame();

    void InvokeOnCreate();
    void InvokeOnUpdate();
    void InvokeOnRender();
    void InvokeOnSuspend();
    void InvokeOnResume();

    // Window-system callbacks (GLFW 3 key codes, actions and modifiers). F11
    // and Alt+Enter switch fullscreen and never reach the input device.
    static void OnKey(int key, int action, int mods = 0);
    static void OnChar(int chr, int action);
    static void OnMouseButton(int button, int action);
    static void OnWindowSize(int width, int height);
    static void OnWindowRefresh();
    // The window lost the focus or was iconified: nothing held may act on its
    // way out (the window system's releases that follow must not play a stroke).
    static void OnFocusLost();

    gxtkGraphics* graphics;
    gxtkInput* input;
    gxtkAudio* audio;
    int updateRate;
    double nextUpdate;
    double updatePeriod;
    bool suspended;
    bool created;  // OnCreate has run

  private:
    // One pass of the loop; false once the window has closed.
    bool Step();
    // Whether the host keeps a key event for itself (the fullscreen keys).
    bool TakeHostKey(int key, int action, int mods);
    void TimedStep();
    void RenderWhenIdle();

    // Fullscreen keys whose press the host took; their repeats and release
    // are kept from the game too, even when Alt is let go first.
    unsigned hostKeysHeld = 0;
};

class bb_app_App;

class bb_app_AppDevice : public gxtkApp {
  public:
    bb_app_AppDevice();
    bb_app_AppDevice* g_new(bb_app_App* app);

    void mark() override;
    int SetUpdateRate(int rate) override;
    int OnCreate() override;
    int OnSuspend() override;
    int OnResume() override;
    int OnUpdate() override;
    int OnRender() override;
    int OnLoading() override;
    bool PictureChanged() override;

    bb_app_App* f_app;
    int f_updateRate;
};

class bb_app_App : public Object {
  public:
    bb_app_App* g_new();

    virtual int m_OnCreate() { return 0; }
    virtual int m_OnUpdate() { return 0; }
    virtual int m_OnSuspend() { return 0; }
    virtual int m_OnResume() { return 0; }
    virtual int m_OnRender() { return 0; }
    virtual int m_OnLoading() { return 0; }
    // Asked before every render: false only when the frame would draw what
    // the last render drew. An application that cannot tell draws every time.
    virtual bool m_PictureChanged() { return true; }
};

extern gxtkApp* app;
extern int (*runner)();
extern bb_app_AppDevice* bb_app_device;

int RunApp();
int bb_app_SetUpdateRate(int rate);
int bb_app_Millisecs();
String bb_app_LoadState();
int bb_app_SaveState(String state);

// Enqueues the six root globals; installed as the collector's root marker.
void bb_mark_roots();

#endif
