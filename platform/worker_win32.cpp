#include "platform/worker_win32.h"

#include <utility>

#include "platform/program_win32.h"

namespace platform {

ThreadWorker::ThreadWorker(MsgWaitCall wait)
    : wait_(wait),
      jobReady_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      jobDone_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!jobReady_ || !jobDone_) return;
  thread_.reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  if (thread_) NoteWorkerStarted();
}

ThreadWorker::~ThreadWorker() {
  if (!thread_) return;
  stopping_ = true;
  SetEvent(jobReady_.get());
  WaitForSingleObject(thread_.get(), INFINITE);
}

DWORD WINAPI ThreadWorker::ThreadMain(void* self) {
  static_cast<ThreadWorker*>(self)->RunJobs();
  return 0;
}

void ThreadWorker::RunJobs() {
  for (;;) {
    WaitForSingleObject(jobReady_.get(), INFINITE);
    if (stopping_) return;
    std::function<void()> job = std::move(job_);
    job_ = nullptr;
    // No exception may leave a thread's procedure; a job that throws has still ended.
    try {
      job();
    } catch (...) {
    }
    SetEvent(jobDone_.get());
  }
}

void ThreadWorker::Begin(std::function<void()> job) {
  if (!thread_) {
    job();
    return;
  }
  job_ = std::move(job);
  SetEvent(jobReady_.get());
}

bool ThreadWorker::WaitForJobOrMessage() {
  if (!thread_) return true;
  HANDLE done = jobDone_.get();
  return WaitForHandlesOrMessage(1, &done, INFINITE, wait_) == WAIT_OBJECT_0;
}

}  // namespace platform
