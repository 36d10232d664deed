// The runtime's start, shared by the desktop's and the browser's program
// entries: the collector, the program's globals and its Main, which creates
// the application.
#ifndef MOXEL_HOST_PROGRAM_START_H
#define MOXEL_HOST_PROGRAM_START_H

int bb_std_main(int argc, const char** argv);

#endif
