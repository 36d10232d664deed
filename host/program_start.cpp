// The runtime's start. Built into each program (not a library): it calls the
// game's Main, which sits above the host.
#include "host/program_start.h"

#include <csignal>

#include "game/program.h"
#include "host/app.h"
#include "runtime/runtime.h"

int bb_std_main(int, const char**) {
#ifndef MOXEL_SANITIZE
    // Sanitizer builds keep their own handlers so their reports are not hidden.
    std::signal(SIGSEGV, sighandler);
    std::signal(SIGILL, sighandler);
    std::signal(SIGFPE, sighandler);
#endif
    gc_mark_roots = bb_mark_roots;
    gc_init1();
    bbInit();
    gc_init2();
    bbMain();
    return 0;
}
