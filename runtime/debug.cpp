// Print, fatal errors, the signal handler and the debugger's line protocol.
#include "runtime/debug.h"

#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/fatal.h"

const char* dbg_info = nullptr;
String dbg_exstack;
int dbg_suspend = 0;
int dbg_stepmode = 0;

namespace {

constexpr int DBG_LINE_MAX = 256;
constexpr int BUFFER_SLACK = 100;

// A line buffer that grows to the text length + 100 and never shrinks.
struct LineBuffer {
    char* data = nullptr;
    int capacity = 0;

    const char* fill(const String& text) {
        const int n = text.Length();
        if (n + BUFFER_SLACK - 1 >= capacity) {
            std::free(data);
            capacity = n + BUFFER_SLACK;
            data = static_cast<char*>(std::malloc(static_cast<size_t>(capacity)));
            if (!data) fatal_out_of_memory();
        }
        for (int i = 0; i < n; ++i) data[i] = static_cast<char>(text[i] & 0xff);
        data[n] = 0;
        return data;
    }
};

LineBuffer print_buffer;
LineBuffer dbg_buffer;

}  // namespace

[[noreturn]] void fatal_out_of_memory() {
    std::fputs("Vendle Runtime Error : Out of memory\n", stdout);
    std::fflush(stdout);
    std::_Exit(255);
}

int Object::Compare(Object* o) {
    // The address difference, cut to the int result's 32 bits (no overflow);
    // its sign orders two objects less than 2 GiB apart. No caller in the
    // game orders objects by it.
    return static_cast<int>(
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this) - reinterpret_cast<uintptr_t>(o)));
}

String Object::debug() {
    return String("+Object\n");
}

int Print(const String& text) {
    std::puts(print_buffer.fill(text));
    std::fflush(stdout);
    return 0;
}

int Print_buffer_capacity() {
    return print_buffer.capacity;
}

int DebugLog(const String& text) {
    return Print(text);
}

void Error(const String& message) {
    if (message.Length() == 0) std::exit(0);
    dbg_error(message.ToCString<char>());
}

int DebugStop() {
    dbg_stop();
    return 0;
}

void dbg_error(const char* message) {
    for (;;) {
        Print(String("Vendle Runtime Error : ") + String(message));
        Print(dbg_stacktrace());
        dbg_stop();
    }
}

void dbg_stop() {
    // glibc prints "(null)" for a null %s, which is what a front end expects.
    const char* info = dbg_info ? dbg_info : "(null)";
    std::fprintf(stderr, "{{~~%s~~}}\n", info);
    dbg_print(String());

    char line[DBG_LINE_MAX];
    for (;;) {
        if (!std::fgets(line, sizeof line, stdin)) std::exit(-1);
        char* newline = std::strchr(line, '\n');
        if (!newline) std::exit(-1);
        *newline = 0;
        switch (line[0]) {
            case '?':
                break;
            case '@': {
                void* p = nullptr;
                if (std::sscanf(line + 1, "%p", &p) == 1 && p) {
                    dbg_print(static_cast<Object*>(p)->debug());
                } else {
                    dbg_print(String());
                }
                break;
            }
            case 'e':
                dbg_suspend = 1;
                dbg_stepmode = 'e';
                return;
            case 'l':
                dbg_suspend = 0;
                dbg_stepmode = 'l';
                return;
            case 'r':
                dbg_suspend = 0;
                dbg_stepmode = 0;
                return;
            case 's':
                dbg_suspend = 1;
                dbg_stepmode = 's';
                return;
            case 'q':
                std::exit(0);
            default:
                std::printf("????? %s ?????", line);
                std::fflush(stdout);
                std::exit(-1);
        }
    }
}

void dbg_throw(const char* message) {
    dbg_exstack = dbg_stacktrace();
    throw message;
}

String dbg_stacktrace() {
    if (!dbg_info || !*dbg_info) return String();
    return String(dbg_info) + String("\n");
}

void dbg_callstack() {}

int dbg_print(const String& text) {
    const char* p = dbg_buffer.fill(text);
    std::fwrite(p, 1, std::strlen(p), stderr);
    std::fwrite("\n", 1, 1, stderr);
    std::fflush(stderr);
    return 0;
}

void sighandler(int signal) {
    const char* what = "Unknown signal";
    if (signal == SIGSEGV) what = "Memory access violation";
    if (signal == SIGILL) what = "Illegal instruction";
    if (signal == SIGFPE) what = "Floating point exception";
    dbg_error(what);
}

void warn(const char* message) {
    std::puts(message);
}

void fail(const char* message) {
    std::puts(message);
    std::exit(-1);
}

String dbg_type(bool*) {
    return String("Bool");
}
String dbg_type(int*) {
    return String("Int");
}
String dbg_type(float*) {
    return String("Float");
}
String dbg_type(String*) {
    return String("String");
}

String dbg_value(bool* p) {
    return String(*p ? "True" : "False");
}
String dbg_value(int* p) {
    return String(*p);
}
String dbg_value(float* p) {
    return String(*p);
}

String dbg_value(String* p) {
    constexpr int SHOWN = 100;
    String s = *p;
    if (s.Length() > SHOWN) s = s.Slice(0, SHOWN) + String("...");
    s = s.Replace(String("\""), String("~q"));
    s = s.Replace(String("\t"), String("~t"));
    s = s.Replace(String("\n"), String("~n"));
    s = s.Replace(String("\r"), String("~r"));
    return String("\"") + s + String("\"");
}
