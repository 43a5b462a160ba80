#pragma once
// A Worker on a std::thread for native tests and benchmarks. There is no message queue
// here: with `messageEvery` set, WaitForJobOrMessage says a message came whenever the job
// has not finished within that time, so the caller pumps as it would for real input.
// A job that never ends ends the test program instead of hanging it.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/ports.h"

namespace test_support {

// Far longer than any job of the tests takes, even on a loaded machine under Wine.
inline constexpr std::chrono::seconds kJobTimeLimit{30};

// Ends the test program with a message: a wait that never ends would hang the run, and
// nothing can be asserted while the job may still touch the test's data.
[[noreturn]] inline void GiveUpWaiting(const char* what) {
  std::fprintf(stderr, "test worker: %s within %lld s; ending the test program\n", what,
               static_cast<long long>(kJobTimeLimit.count()));
  std::fflush(stderr);
  std::abort();
}

class StdThreadWorker : public platform::Worker {
 public:
  explicit StdThreadWorker(std::chrono::milliseconds messageEvery = std::chrono::milliseconds(0))
      : messageEvery_(messageEvery), thread_([this] { RunJobs(); }) {}
  ~StdThreadWorker() override {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!changed_.wait_for(lock, kJobTimeLimit, [this] { return !job_ && !running_; }))
        GiveUpWaiting("the last job did not end");
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Begin(std::function<void()> job) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = std::move(job);
      begunAt_ = std::chrono::steady_clock::now();
      ++begun_;
    }
    changed_.notify_all();
  }

  bool WaitForJobOrMessage() override {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto finished = [this] { return done_; };
    if (messageEvery_.count() > 0) {
      changed_.wait_for(lock, messageEvery_, finished);
      if (!done_ && std::chrono::steady_clock::now() - begunAt_ > kJobTimeLimit)
        GiveUpWaiting("the job did not end");
    } else if (!changed_.wait_for(lock, kJobTimeLimit, finished)) {
      GiveUpWaiting("the job did not end");
    }
    if (!done_) return false;
    done_ = false;
    return true;
  }

  int Begun() {
    std::lock_guard<std::mutex> lock(mutex_);
    return begun_;
  }

 private:
  void RunJobs() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stopping_ || job_; });
      if (stopping_ && !job_) return;
      std::function<void()> job = std::move(job_);
      job_ = nullptr;
      running_ = true;
      lock.unlock();
      job();
      lock.lock();
      running_ = false;
      done_ = true;
      changed_.notify_all();
    }
  }

  std::chrono::milliseconds messageEvery_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;
  std::chrono::steady_clock::time_point begunAt_;
  bool running_ = false;
  bool done_ = false;
  bool stopping_ = false;
  int begun_ = 0;
  std::thread thread_;  // last: started once the other members exist
};

}  // namespace test_support
