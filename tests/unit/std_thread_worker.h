#pragma once
// A Worker on a std::thread for native tests and benchmarks. There is no message queue
// here: with `messageEvery` set, WaitForJobOrMessage says a message came whenever the job
// has not finished within that time, so the caller pumps as it would for real input.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/ports.h"

namespace test_support {

class StdThreadWorker : public platform::Worker {
 public:
  explicit StdThreadWorker(std::chrono::milliseconds messageEvery = std::chrono::milliseconds(0))
      : messageEvery_(messageEvery), thread_([this] { RunJobs(); }) {}
  ~StdThreadWorker() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void Begin(std::function<void()> job) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      job_ = std::move(job);
      ++begun_;
    }
    changed_.notify_all();
  }

  bool WaitForJobOrMessage() override {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto finished = [this] { return done_; };
    if (messageEvery_.count() > 0)
      changed_.wait_for(lock, messageEvery_, finished);
    else
      changed_.wait(lock, finished);
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
      lock.unlock();
      job();
      lock.lock();
      done_ = true;
      changed_.notify_all();
    }
  }

  std::chrono::milliseconds messageEvery_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;
  bool done_ = false;
  bool stopping_ = false;
  int begun_ = 0;
  std::thread thread_;  // last: started once the other members exist
};

}  // namespace test_support
