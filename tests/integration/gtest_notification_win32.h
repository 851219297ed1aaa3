// GoogleTest's Notification for the Windows compiler used here, which has no
// std::mutex (win32 thread model). Only GoogleTest's own thread helpers use it; the
// integration tests run on one thread. Force-included ahead of GoogleTest.
#pragma once

#ifdef __cplusplus
#include <atomic>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing
#endif
