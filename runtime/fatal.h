// The one way out when memory runs out: the collector and the strings have no
// way to report it to their callers, so the program ends with a clear message.
#ifndef MOXEL_RUNTIME_FATAL_H
#define MOXEL_RUNTIME_FATAL_H

[[noreturn]] void fatal_out_of_memory();

#endif
