#include "show/slide_show.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace show {

void SlideShow::Run() {
  if (!Start()) return;
  for (;;) Cycle();
}

bool SlideShow::Start() {
  if (list1_.empty()) {
    host_.HideWindow();
    host_.ReportNoFolder();
    return false;
  }
  host_.ShowOnTop();
  return true;
}

int SlideShow::ChooseEntry() {
  const int count = static_cast<int>(list1_.size());
  const settings::SaverSettings& s = host_.Settings();
  if (s.OderFileName == 1) {
    int next = (selected_ == count - 1) ? 0 : selected_ + 1;
    if (!nameOrderStarted_) {
      nameOrderStarted_ = true;
      next = 0;
    }
    return next;
  }
  if (s.Shaffle == 1) return shuffle_.Step(count, selected_, random_);
  random_.SeedFromClock();
  randomPick_ = static_cast<int32_t>(std::floor(static_cast<double>(count) * random_.Next() + 1));
  return randomPick_ - 1;
}

// The tick count wraps after 49.7 days; the difference of two readings in unsigned 32-bit
// arithmetic is the time between them across the wrap too.
// A change of the screens is followed on every wake, and the picture shown drawn again at
// once unless the wait is over and a new one follows.
void SlideShow::WaitSince(uint32_t from, double ms) {
  for (;;) {
    FollowDisplayChange();
    const uint32_t elapsed = host_.Ticks() - from;
    if (ms <= static_cast<double>(elapsed)) return;
    if (redrawDue_) {
      RedrawShown();
      continue;
    }
    host_.PumpPending();
    const double remaining = std::ceil(ms - elapsed);
    host_.WaitForMessageOrTimeout(static_cast<uint32_t>(std::max(1.0, std::min(remaining, 4.0e9))));
  }
}

void SlideShow::WaitInterval() { WaitSince(lastDrawTick_, static_cast<double>(waitMs_)); }

// The decode runs on the worker while this thread goes on handling input, so a key ends
// the saver at once however long the file takes; the cycle goes on only once it is done.
// The worker fills a picture of its own, which outlives this call should a message handler
// never return to it.
void SlideShow::LoadPicture(const std::wstring& path, pictures::LoadedPicture& picture) {
  if (!loader_) {
    host_.LoadPicture(path, picture);
    return;
  }
  struct Load {
    pictures::LoadedPicture picture;
    bool loaded = false;
  };
  auto load = std::make_shared<Load>();
  loader_->Begin([&host = host_, path, load] { load->loaded = host.LoadPicture(path, load->picture); });
  while (!loader_->WaitForJobOrMessage()) {
    host_.PumpPending();
    FollowDisplayChange();
  }
  if (load->loaded) picture = std::move(load->picture);
}

platform::Size SlideShow::Area() {
  if (host_.Settings().Multi == 1) {
    platform::Size screen = host_.PrimaryScreenSize();
    display_ = {screen.width - 1, screen.height - 1};
  }
  return display_;
}

Placement SlideShow::Place(const pictures::LoadedPicture& picture, platform::Size area) {
  const settings::SaverSettings& s = host_.Settings();
  const FitOptions options{s.CheckM == 1, s.Kakudai == 1, s.Cyuuou == 1};
  return PlacePicture({picture.width, picture.height}, area, options, random_);
}

void SlideShow::Draw(const std::wstring& path, const pictures::LoadedPicture& picture, const Placement& placement) {
  shown_ = path;
  redrawDue_ = false;
  if (host_.Settings().Biliner == 1) {
    host_.DrawBilinerPicture(path, picture);
    return;
  }
  if (host_.Settings().Refresh != 1) host_.ClearWindow();
  if (!placement.IsEmpty()) host_.PaintPicture(picture, placement);
  host_.ShowDrawing();
}

void SlideShow::FollowDisplayChange() {
  if (host_.FollowDisplayChange()) redrawDue_ = true;
}

void SlideShow::RedrawShown() {
  redrawDue_ = false;
  if (shown_.empty()) return;
  const std::wstring path = shown_;
  pictures::LoadedPicture picture;
  LoadPicture(path, picture);
  if (picture.width < 2 && picture.height < 2) return;
  const Placement placement = Place(picture, Area());
  if (placement.size.width < 2 && placement.size.height < 2) return;
  Draw(path, picture, placement);
}

void SlideShow::Cycle() {
  pictures::LoadedPicture picture;
  host_.PumpPending();
  const platform::Size area = Area();
  host_.PumpPending();
  host_.SetTimer1Interval(100);

  const int chosen = list1_.empty() ? kNoEntry : ChooseEntry();
  selected_ = (chosen >= 0 && chosen < static_cast<int>(list1_.size())) ? chosen : selected_;
  const std::wstring path =
      (selected_ >= 0 && selected_ < static_cast<int>(list1_.size())) ? list1_[selected_] : std::wstring();

  host_.SetIdleTicks(100);
  waitMs_ = 100;
  WaitInterval();
  if (const uint32_t pause = retry_.WaitBeforeTry(host_.Ticks())) WaitSince(host_.Ticks(), pause);
  if (!path.empty()) LoadPicture(path, picture);
  host_.PumpPending();
  if (picture.width < 2 && picture.height < 2) {
    retry_.LoadFailed(host_.Ticks());
    return;
  }
  retry_.LoadSucceeded();
  host_.PumpPending();

  Placement placement = Place(picture, area);

  host_.SetIdleTicks(100);
  if (auto speed = settings::SingleBeforeNul(speed_)) waitMs_ = *speed;
  WaitInterval();
  lastDrawTick_ = host_.Ticks();
  // The screens changed while the picture waited: it is fitted to the new area.
  if (const platform::Size now = Area(); !(now == area)) placement = Place(picture, now);
  if (placement.size.width < 2 && placement.size.height < 2) return;
  Draw(path, picture, placement);
}

}  // namespace show
