// Object, the base of every program class, and the runtime's throwable kind.
#ifndef MOXEL_RUNTIME_OBJECT_H
#define MOXEL_RUNTIME_OBJECT_H

#include "runtime/gc.h"
#include "runtime/string.h"

class Object : public gc_object {
  public:
    virtual bool Equals(Object* o) { return this == o; }
    virtual int Compare(Object* o);
    virtual String debug();
};

// Exceptions thrown by program code; main catches them. Nothing creates one today.
class ThrowableObject : public Object {};

#endif
