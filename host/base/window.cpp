// The installed window system.
#include "host/base/window.h"

namespace host {

namespace {
NullWindowSystem null_window;
WindowSystem* current = &null_window;
}  // namespace

WindowSystem& window() {
    return *current;
}

void set_window(WindowSystem* ws) {
    current = ws ? ws : &null_window;
}

}  // namespace host
