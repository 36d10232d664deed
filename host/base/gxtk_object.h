// The base of the host and device classes.
#ifndef MOXEL_HOST_BASE_GXTK_OBJECT_H
#define MOXEL_HOST_BASE_GXTK_OBJECT_H

#include "runtime/object.h"

class gxtkObject : public Object {};

#endif
