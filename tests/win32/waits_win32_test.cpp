// The program's waits when the system cannot wait: they sleep instead of returning at once,
// so that the loops around them never spin, and a job's end is still noticed.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "platform/program_win32.h"
#include "platform/worker_win32.h"

namespace {

std::atomic<int> failedWaits{0};

DWORD WINAPI FailingWait(DWORD, const HANDLE*, DWORD, DWORD, DWORD) {
  ++failedWaits;
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

// How often a caller's loop around the wait comes round in `ms` milliseconds.
int LoopsIn(DWORD ms, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  int loops = 0;
  while (GetTickCount() - start < ms && loops < 1000000) {
    platform::WaitForHandlesOrMessage(0, nullptr, timeoutMs, FailingWait);
    ++loops;
  }
  return loops;
}

}  // namespace

TEST(FailedWaits, ALoopAroundAFailedWaitDoesNotSpin) {
  // At most one round per kFailedWaitSleepMs, whatever the timeout asked for.
  for (DWORD timeoutMs : {DWORD{1000}, DWORD{INFINITE}, DWORD{50}}) {
    SCOPED_TRACE(timeoutMs);
    const int loops = LoopsIn(200, timeoutMs);
    EXPECT_LE(loops, static_cast<int>(200 / platform::kFailedWaitSleepMs) + 2);
    EXPECT_GE(loops, 2);
  }
}

TEST(FailedWaits, ShortTimeoutsAreKeptAndSignalledHandlesReported) {
  platform::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(event);
  HANDLE handle = event.get();
  EXPECT_EQ(platform::WaitForHandlesOrMessage(1, &handle, 0, FailingWait), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(handle);
  EXPECT_EQ(platform::WaitForHandlesOrMessage(1, &handle, INFINITE, FailingWait), WAIT_OBJECT_0);
  // A wait that works is passed through as it is.
  EXPECT_EQ(platform::WaitForHandlesOrMessage(1, &handle, INFINITE), WAIT_OBJECT_0);
}

// The worker's job ends while every wait fails: the caller finds out after a few rounds,
// not after millions.
TEST(FailedWaits, TheWorkersJobEndIsNoticed) {
  platform::ThreadWorker worker(FailingWait);
  std::atomic<bool> ran{false};
  worker.Begin([&ran] {
    Sleep(60);
    ran = true;
  });
  failedWaits = 0;
  const DWORD start = GetTickCount();
  bool finished = false;
  int rounds = 0;
  while (!finished && GetTickCount() - start < 5000) {
    finished = worker.WaitForJobOrMessage();
    ++rounds;
  }
  ASSERT_TRUE(finished) << "the job's end was not noticed within 5 s";
  EXPECT_TRUE(ran);
  EXPECT_GE(failedWaits.load(), 1);
  EXPECT_LE(rounds, static_cast<int>(60 / platform::kFailedWaitSleepMs) + 10);
}
