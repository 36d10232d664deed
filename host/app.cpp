// gxtkApp's devices and services, the framework's application classes and the
// application module's free functions. The loop itself is in run_loop.cpp.
#include "host/app.h"

#include <climits>

#include "audio/audio.h"
#include "graphics/graphics.h"
#include "host/base/files.h"
#include "host/base/window.h"
#include "input/input.h"

gxtkApp* app = nullptr;
int (*runner)() = nullptr;
bb_app_AppDevice* bb_app_device = nullptr;

gxtkApp::gxtkApp()
    : graphics(new gxtkGraphics()),
      input(new gxtkInput()),
      audio(new gxtkAudio()),
      updateRate(0),
      nextUpdate(0.0),
      updatePeriod(0.0),
      suspended(false),
      created(false) {
    app = this;
    runner = RunApp;
}

String gxtkApp::AppTitle() {
    return String("<TODO>");
}

String gxtkApp::LoadState() {
    return host_load_state();
}

int gxtkApp::SaveState(String state) {
    return host_save_state(state);
}

String gxtkApp::LoadString(String path) {
    return host_load_string(path);
}

int gxtkApp::SetUpdateRate(int rate) {
    updateRate = rate;
    if (rate != 0) {
        updatePeriod = 1.0 / rate;
        nextUpdate = host::window().Time() + updatePeriod;
    }
    return 0;
}

int gxtkApp::MilliSecs() {
    double ms = host::window().Time() * 1000.0;
    // Past about 24 days the int would overflow; hold at its largest value.
    if (!(ms < static_cast<double>(INT_MAX))) return INT_MAX;
    return static_cast<int>(ms);
}

bb_app_AppDevice::bb_app_AppDevice() : f_app(nullptr), f_updateRate(0) {}

bb_app_AppDevice* bb_app_AppDevice::g_new(bb_app_App* application) {
    gc_assign(f_app, application);
    gc_assign(bb_graphics_device, GraphicsDevice());
    gc_assign(bb_input_device, InputDevice());
    gc_assign(bb_audio_device, AudioDevice());
    return this;
}

void bb_app_AppDevice::mark() {
    gc_enqueue(f_app);
}

int bb_app_AppDevice::SetUpdateRate(int rate) {
    gxtkApp::SetUpdateRate(rate);
    f_updateRate = rate;
    return 0;
}

int bb_app_AppDevice::OnCreate() {
    bb_graphics_SetFont(nullptr, 32);
    return f_app->m_OnCreate();
}

int bb_app_AppDevice::OnSuspend() {
    return f_app->m_OnSuspend();
}

int bb_app_AppDevice::OnResume() {
    return f_app->m_OnResume();
}

int bb_app_AppDevice::OnUpdate() {
    return f_app->m_OnUpdate();
}

int bb_app_AppDevice::OnRender() {
    if (bb_graphics_device->Mode() != 0) bb_graphics_BeginRender();
    int result = f_app->m_OnRender();
    bb_graphics_EndRender();
    return result;
}

int bb_app_AppDevice::OnLoading() {
    if (bb_graphics_device->Mode() != 0) bb_graphics_BeginRender();
    int result = f_app->m_OnLoading();
    bb_graphics_EndRender();
    return result;
}

bool bb_app_AppDevice::PictureChanged() {
    return f_app->m_PictureChanged();
}

bb_app_App* bb_app_App::g_new() {
    bb_app_AppDevice* device = (new bb_app_AppDevice())->g_new(this);
    gc_assign(bb_app_device, device);
    return this;
}

int RunApp() {
    app->Run();
    return 0;
}

int bb_app_SetUpdateRate(int rate) {
    return bb_app_device->SetUpdateRate(rate);
}

int bb_app_Millisecs() {
    return bb_app_device->MilliSecs();
}

String bb_app_LoadState() {
    return bb_app_device->LoadState();
}

int bb_app_SaveState(String state) {
    return bb_app_device->SaveState(state);
}

void bb_mark_roots() {
    gc_enqueue(bb_graphics_device);
    gc_enqueue(bb_input_device);
    gc_enqueue(bb_audio_device);
    gc_enqueue(bb_app_device);
    gc_enqueue(bb_graphics_context);
    gc_enqueue(bb_graphics_renderDevice);
}
