// A handle of the service control manager (to the manager or to one service), closed when the
// holder goes.
#pragma once

#include <utility>

#include "platform/win32.h"

class ServiceHandle {
 public:
  explicit ServiceHandle(SC_HANDLE handle = nullptr) : handle_(handle) {}
  ~ServiceHandle() { reset(); }
  ServiceHandle(ServiceHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  ServiceHandle& operator=(ServiceHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;

  SC_HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  void reset() {
    if (handle_) CloseServiceHandle(std::exchange(handle_, nullptr));
  }

  SC_HANDLE handle_;
};
