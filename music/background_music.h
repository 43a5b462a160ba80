#pragma once
// The saver's background music: one file, started with the show and restarted from
// the beginning whenever the device reports it has halted.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/mci_channel.h"

namespace music {

inline constexpr uint32_t kTimer2IntervalMs = 1000;

// The saver window's music timer (Timer2); an interval of 0 stops it.
class MusicTimer {
 public:
  virtual ~MusicTimer() = default;
  virtual void SetInterval(uint32_t intervalMs) = 0;
};

// True for a normal file: not a directory, not hidden, not a system file.
using NormalFileTest = std::function<bool(const std::wstring& path)>;

// Whether the show start-up plays music at all: the option on (exactly 1), a name
// given, and a normal file of the trimmed name found.
bool ShouldStartBgm(int16_t bgmPlay, const std::wstring& bgmPlayName,
                    const NormalFileTest& isNormalFile);

// The device type an extension opens with: "WaveAudio", "Sequencer", empty for MP3;
// nothing when the file is not one of the three kinds.
std::optional<std::wstring> DeviceTypeFor(const std::wstring& trimmedName);

class BackgroundMusic {
 public:
  // bgmPlayName is the setting as held, blanks and all.
  BackgroundMusic(platform::MciChannel& channel, MusicTimer& timer2, std::wstring bgmPlayName);

  void StartBgm();
  // Every tick of Timer2: a device that has stopped or paused is re-opened and played
  // from the beginning.
  void Timer2_Timer();

  bool BgmOpen() const { return blnBgmOpen; }

 private:
  platform::MciChannel& channel;
  MusicTimer& timer2;
  std::wstring bgmPlayName;
  bool blnBgmOpen = false;
};

}  // namespace music
