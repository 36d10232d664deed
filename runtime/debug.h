// Output statements, fatal errors and the console debugger protocol.
//
// A fatal error prints "Vendle Runtime Error : " and its message on standard
// output, then stops in dbg_stop, which writes a marker on standard error and
// reads commands from standard input. Without a front end (standard input
// empty or closed) the process ends with status -1.
#ifndef MOXEL_RUNTIME_DEBUG_H
#define MOXEL_RUNTIME_DEBUG_H

#include "runtime/object.h"
#include "runtime/string.h"

extern const char* dbg_info;
extern String dbg_exstack;
extern int dbg_suspend;
extern int dbg_stepmode;

int Print(const String& text);
int DebugLog(const String& text);
[[noreturn]] void Error(const String& message);
int DebugStop();

[[noreturn]] void dbg_error(const char* message);
void dbg_stop();
[[noreturn]] void dbg_throw(const char* message);
String dbg_stacktrace();
void dbg_callstack();
int dbg_print(const String& text);
void sighandler(int signal);

void warn(const char* message);
[[noreturn]] void fail(const char* message);

String dbg_type(bool*);
String dbg_type(int*);
String dbg_type(float*);
String dbg_type(String*);
String dbg_value(bool* p);
String dbg_value(int* p);
String dbg_value(float* p);
String dbg_value(String* p);

// Capacity of Print's line buffer, for tests of its growth.
int Print_buffer_capacity();

#endif
