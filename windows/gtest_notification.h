// GoogleTest's Notification for mingw-w64's win32 thread model, which has no
// std::mutex or std::condition_variable to build GoogleTest's own from: a
// Windows event instead. Included ahead of every GoogleTest source and test.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

// Lets a controller thread hold newly created threads until it notifies them.
class Notification {
  public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification() { CloseHandle(event_); }

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_; // manual-reset: once set, every waiter goes on
};

} // namespace testing::internal
