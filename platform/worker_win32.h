#pragma once
// The program's worker thread: one event hands it a job, another says the job is done, and
// the window's thread waits on that event and its message queue in one call.
#include <windows.h>

#include <functional>

#include "platform/ports.h"
#include "platform/program_win32.h"
#include "platform/win32_handles.h"

namespace platform {

class ThreadWorker : public Worker {
 public:
  // Starts the thread. Where it cannot be started, every job runs at once on the caller's
  // thread, as before there was a worker. wait is the system's wait, or a test's.
  explicit ThreadWorker(MsgWaitCall wait = MsgWaitForMultipleObjectsEx);
  ~ThreadWorker() override;
  ThreadWorker(const ThreadWorker&) = delete;
  ThreadWorker& operator=(const ThreadWorker&) = delete;

  void Begin(std::function<void()> job) override;
  // One wait over the job's end and the message queue, with the flags of the show's
  // waits; a wait that fails sleeps a little instead of returning at once.
  bool WaitForJobOrMessage() override;
  bool HasThread() const override { return thread_ != nullptr; }

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void RunJobs();

  MsgWaitCall wait_;
  UniqueHandle jobReady_;
  UniqueHandle jobDone_;
  UniqueHandle thread_;
  // Written by the caller's thread before it sets jobReady_; the event orders the accesses.
  std::function<void()> job_;
  bool stopping_ = false;
};

}  // namespace platform
