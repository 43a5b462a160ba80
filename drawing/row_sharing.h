#pragma once
// Rows of one picture shared between the show's thread and the worker: the show's thread
// takes them from the top down and handles messages between its rows, the worker takes them
// from the bottom up, and they meet wherever their speeds bring them. Each takes its rows in
// order, so that each reuses what its last row read.
#include <atomic>
#include <cstdint>

#include "platform/ports.h"

namespace drawing {

// The rows not yet taken, [top, bottom).
class RowClaims {
 public:
  explicit RowClaims(int32_t rows) : ends_(Pack(0, static_cast<uint32_t>(rows))) {}
  // The next row from the top, or -1 when none is left.
  int32_t FromTop() { return Take(true); }
  // The next row from the bottom, or -1 when none is left.
  int32_t FromBottom() { return Take(false); }
  void TakeAll() { ends_.store(Pack(0, 0)); }

 private:
  static uint64_t Pack(uint32_t top, uint32_t bottom) { return uint64_t{bottom} << 32 | top; }

  int32_t Take(bool fromTop) {
    uint64_t ends = ends_.load();
    for (;;) {
      const auto top = static_cast<uint32_t>(ends);
      const auto bottom = static_cast<uint32_t>(ends >> 32);
      if (top >= bottom) return -1;
      const uint64_t taken = fromTop ? Pack(top + 1, bottom) : Pack(top, bottom - 1);
      if (ends_.compare_exchange_weak(ends, taken)) return static_cast<int32_t>(fromTop ? top : bottom - 1);
    }
  }

  std::atomic<uint64_t> ends_;
};

// How often the show's thread stops to handle messages, and whether a worker helps.
struct RowPacing {
  int32_t rowsBetweenPumps = 1;
  // Used only when it has a thread of its own: a thread-less worker runs its job inline,
  // which would do every row without handling a message.
  platform::Worker* helper = nullptr;
};

// Runs every row of [0, rows) once. makeRowJob() is called once on each thread that takes
// part and returns that thread's job, called as job(row, next) where next is the row that
// thread takes after it (-1 at the end of its run), so that a thread can keep what two
// neighbouring rows share. Messages are handled after every rowsBetweenPumps rows of this
// thread, and while it waits for the worker's last row.
template <typename MakeRowJob>
void RunRows(int32_t rows, const RowPacing& pacing, platform::MessagePump& pump, MakeRowJob makeRowJob) {
  const int32_t every = pacing.rowsBetweenPumps > 0 ? pacing.rowsBetweenPumps : 1;
  platform::Worker* helper = pacing.helper && pacing.helper->HasThread() ? pacing.helper : nullptr;
  if (!helper || rows < 2) {
    auto job = makeRowJob();
    for (int32_t j = 0; j < rows; ++j) {
      job(j, j + 1 < rows ? j + 1 : -1);
      if ((j + 1) % every == 0 || j + 1 == rows) pump.PumpPending();
    }
    return;
  }
  RowClaims claims(rows);
  helper->Begin([&claims, &makeRowJob] {
    auto job = makeRowJob();
    for (int32_t j = claims.FromBottom(); j >= 0; j = claims.FromBottom()) job(j, j - 1);
  });
  // Should a message handler throw, the worker still reads this picture: it is stopped first.
  struct StopOnUnwind {
    RowClaims& claims;
    platform::Worker& helper;
    bool finished = false;
    ~StopOnUnwind() {
      if (finished) return;
      claims.TakeAll();
      while (!helper.WaitForJobOrMessage()) {
      }
    }
  } stop{claims, *helper};
  auto job = makeRowJob();
  int32_t sincePump = 0;
  for (int32_t j = claims.FromTop(); j >= 0; j = claims.FromTop()) {
    job(j, j + 1);
    if (++sincePump == every) {
      pump.PumpPending();
      sincePump = 0;
    }
  }
  if (sincePump > 0) pump.PumpPending();
  platform::FinishWhilePumping(*helper, pump);
  stop.finished = true;
}

}  // namespace drawing
