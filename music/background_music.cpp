#include "music/background_music.h"

#include <utility>

#include "music/mci_module.h"

namespace music {
namespace {

std::wstring TrimBlanks(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// ASCII only: the locale must not decide whether ".mid" is a MIDI file.
std::wstring UpperAscii(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return text;
}

std::wstring LastChars(const std::wstring& text, size_t count) {
  return text.size() <= count ? text : text.substr(text.size() - count);
}

}  // namespace

bool ShouldStartBgm(int16_t bgmPlay, const std::wstring& bgmPlayName,
                    const NormalFileTest& isNormalFile) {
  return bgmPlay == 1 && !bgmPlayName.empty() && isNormalFile(TrimBlanks(bgmPlayName));
}

std::optional<std::wstring> DeviceTypeFor(const std::wstring& trimmedName) {
  const std::wstring extension = UpperAscii(LastChars(trimmedName, 4));
  if (extension == L".WAV") return std::wstring(kDeviceWaveAudio);
  if (extension == L".MID") return std::wstring(kDeviceSequencer);
  if (extension == L".MP3") return std::wstring();
  return std::nullopt;
}

BackgroundMusic::BackgroundMusic(platform::MciChannel& channel, MusicTimer& timer2,
                                 std::wstring bgmPlayName)
    : channel(channel), timer2(timer2), bgmPlayName(std::move(bgmPlayName)) {}

void BackgroundMusic::StartBgm() {
  timer2.SetInterval(0);
  MCI_Stop(channel);
  const std::wstring name = TrimBlanks(bgmPlayName);
  if (auto deviceType = DeviceTypeFor(name))
    blnBgmOpen = MCI_OpenPlay(channel, name, false, *deviceType);
  if (blnBgmOpen) timer2.SetInterval(kTimer2IntervalMs);
}

void BackgroundMusic::Timer2_Timer() {
  MCI_Position(channel);
  const std::wstring mode = UpperAscii(MCI_StatusMode(channel));
  if (mode != L"STOPPED" && mode != L"PAUSED") return;
  timer2.SetInterval(0);
  MCI_Stop(channel);
  StartBgm();
}

}  // namespace music
