// A thread for tests that is joined when it goes out of scope, so that a
// failed assertion leaving the test early does not end the program in
// std::terminate. On Windows it is a Windows thread: mingw-w64's win32 thread
// model has no std::thread.
#pragma once

#include <functional>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <thread>
#endif

// Lets another thread run.
inline void yieldThread() {
#ifdef _WIN32
    SwitchToThread();
#else
    std::this_thread::yield();
#endif
}

class JoiningThread {
  public:
    explicit JoiningThread(std::function<void()> body) : body_(std::move(body)) {
#ifdef _WIN32
        handle_ = CreateThread(nullptr, 0, &JoiningThread::run, this, 0, nullptr);
#else
        thread_ = std::thread(body_);
#endif
    }
    JoiningThread(const JoiningThread&) = delete;
    JoiningThread& operator=(const JoiningThread&) = delete;
    ~JoiningThread() { join(); }

    void join() {
#ifdef _WIN32
        if (!handle_) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
#else
        if (thread_.joinable()) thread_.join();
#endif
    }

  private:
    std::function<void()> body_;
#ifdef _WIN32
    static DWORD WINAPI run(LPVOID self) {
        static_cast<JoiningThread*>(self)->body_();
        return 0;
    }
    HANDLE handle_ = nullptr;
#else
    std::thread thread_;
#endif
};
