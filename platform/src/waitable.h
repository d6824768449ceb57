// Kernel objects a thread can wait for (processes and their threads).
#pragma once

#include "handles.h"

namespace nt {

class Waitable : public KernelObject {
 public:
  // True once the object is signaled (a process has ended). May be called from any thread.
  virtual bool signaled() = 0;
  // A host descriptor that polls readable when the object becomes signaled.
  virtual int pollFd() const = 0;
};

}  // namespace nt
