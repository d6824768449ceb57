// The threads of the service control manager: each is detached and counted, so that the
// manager can wait for all of them to end before it exits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace nt::scm {

class ThreadGroup {
 public:
  // Runs the task on a new thread; false when no thread could be made.
  template <typename Task>
  bool spawn(Task task) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      ++running_;
    }
    try {
      std::thread([this, task = std::move(task)]() mutable {
        {
          Task owned = std::move(task);  // what the task holds goes before the count drops
          owned();
        }
        finished();
      }).detach();
      return true;
    } catch (const std::system_error&) {
      finished();
      return false;
    }
  }

  // True when every thread has ended within the time.
  bool waitAll(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> held(lock_);
    return ended_.wait_for(held, timeout, [&] { return running_ == 0; });
  }

 private:
  void finished() {
    std::lock_guard<std::mutex> guard(lock_);
    --running_;
    ended_.notify_all();
  }

  std::mutex lock_;
  std::condition_variable ended_;
  int running_ = 0;
};

}  // namespace nt::scm
