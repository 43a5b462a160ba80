#pragma once
// A worker whose thread could not be started: it runs each job at once on the caller's
// thread, as the program's worker then does.
#include <functional>
#include <utility>

#include "platform/ports.h"

namespace test_support {

class InlineWorker : public platform::Worker {
 public:
  void Begin(std::function<void()> job) override {
    ++begun;
    job();
  }
  bool WaitForJobOrMessage() override { return true; }
  bool HasThread() const override { return false; }

  int begun = 0;
};

}  // namespace test_support
