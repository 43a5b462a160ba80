#pragma once
// The show loop: choose, load, fit, place, pace and draw one picture per cycle.
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/loaded_picture.h"
#include "platform/geometry.h"
#include "platform/ports.h"
#include "settings/settings.h"
#include "show/placement.h"
#include "show/retry_pacing.h"
#include "show/shuffle.h"

namespace show {

class ShowHost {
 public:
  virtual ~ShowHost() = default;
  virtual void PumpPending() = 0;
  virtual uint32_t Ticks() = 0;
  virtual void WaitForMessageOrTimeout(uint32_t timeoutMs) = 0;
  // Fills picture and returns true, or leaves it as it is and returns false. Runs on the
  // show's worker when it has one: it touches no window and no state of the show's thread.
  virtual bool LoadPicture(const std::wstring& path, pictures::LoadedPicture& picture) = 0;
  // Clearing and painting draw off screen; ShowDrawing then copies what they drew to the
  // screen at once, so no cleared window shows between two pictures.
  virtual void ClearWindow() = 0;
  virtual void PaintPicture(const pictures::LoadedPicture& picture, const Placement& placement) = 0;
  virtual void ShowDrawing() = 0;
  virtual void DrawBilinerPicture(const std::wstring& path, const pictures::LoadedPicture& picture) = 0;
  virtual void SetTimer1Interval(uint32_t ms) = 0;
  virtual void SetIdleTicks(int32_t ticks) = 0;
  virtual platform::Size PrimaryScreenSize() = 0;
  virtual void HideWindow() = 0;
  // Visible, activated, topmost, and the system's saver flag on.
  virtual void ShowOnTop() = 0;
  virtual void ReportNoFolder() = 0;
  // The check-box settings as they stand now: a change takes effect at its next use.
  virtual const settings::SaverSettings& Settings() = 0;
  // Follows a change of the screens noted since the last call: the window covers the new
  // layout and the display size is the new one. Called only where no drawing is under way;
  // true when the layout changed.
  virtual bool FollowDisplayChange() = 0;
};

class SlideShow {
 public:
  // With a worker, pictures are decoded there while this thread handles the window's
  // messages; without one, on this thread.
  SlideShow(ShowHost& host, platform::Random& random, const std::vector<std::wstring>& list1,
            platform::Size& display, const std::wstring& speed, platform::Worker* loader = nullptr)
      : host_(host), random_(random), list1_(list1), display_(display), speed_(speed), loader_(loader) {}

  // Never returns while pictures are shown; returns at once for an empty catalogue.
  void Run();
  // The start steps; false (window hidden, notice shown) when there is nothing to show.
  bool Start();
  void Cycle();
  // Waits until waitMs milliseconds have passed since the last drawing, pumping
  // messages on every wake.
  void WaitInterval();

  int SelectedEntry() const { return selected_; }
  uint32_t LastDrawTick() const { return lastDrawTick_; }

 private:
  int ChooseEntry();
  // The area pictures are fitted to: the display, or with Multi the primary less 1.
  platform::Size Area();
  Placement Place(const pictures::LoadedPicture& picture, platform::Size area);
  void Draw(const std::wstring& path, const pictures::LoadedPicture& picture, const Placement& placement);
  void FollowDisplayChange();
  // After a change of the screens: the picture shown is loaded again and drawn for the new
  // area; the order and LastDrawTick stay as they are.
  void RedrawShown();
  // Waits until ms milliseconds have passed since the tick count `from`, pumping messages
  // on every wake.
  void WaitSince(uint32_t from, double ms);
  void LoadPicture(const std::wstring& path, pictures::LoadedPicture& picture);

  ShowHost& host_;
  platform::Random& random_;
  const std::vector<std::wstring>& list1_;
  platform::Size& display_;
  const std::wstring& speed_;
  platform::Worker* loader_;

  uint32_t lastDrawTick_ = 0;
  float waitMs_ = 0;
  int32_t randomPick_ = 0;
  bool nameOrderStarted_ = false;
  int selected_ = kNoEntry;
  std::wstring shown_;  // the picture last drawn
  bool redrawDue_ = false;
  ShufflePass shuffle_;
  RetryPacing retry_;
};

}  // namespace show
