// A thread for tests that is joined when it goes out of scope, so that a
// failed assertion leaving the test early does not end the program in
// std::terminate.
#pragma once

#include <functional>
#include <thread>
#include <utility>

// Lets another thread run.
inline void yieldThread() { std::this_thread::yield(); }

class JoiningThread {
  public:
    explicit JoiningThread(std::function<void()> body) : thread_(std::move(body)) {}
    JoiningThread(const JoiningThread&) = delete;
    JoiningThread& operator=(const JoiningThread&) = delete;
    ~JoiningThread() { join(); }

    void join() {
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::thread thread_;
};
