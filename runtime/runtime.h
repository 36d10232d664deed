// Everything the runtime offers, in one include.
#ifndef MOXEL_RUNTIME_RUNTIME_H
#define MOXEL_RUNTIME_RUNTIME_H

#include "runtime/array.h"
#include "runtime/debug.h"
#include "runtime/gc.h"
#include "runtime/object.h"
#include "runtime/string.h"

#endif
