// The kernel object behind a file handle from CreateFileA.
#pragma once

#include "handles.h"
#include "unique_fd.h"

namespace nt {

class FileObject : public KernelObject {
 public:
  explicit FileObject(UniqueFd fd) : fd_(std::move(fd)) {}
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
};

}  // namespace nt
