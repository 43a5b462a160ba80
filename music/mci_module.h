#pragma once
// Plays one media file at a time through media-command strings, under the alias "media".
#include <cstdint>
#include <string>

#include "platform/mci_channel.h"

namespace music {

inline constexpr wchar_t kDeviceWaveAudio[] = L"WaveAudio";
inline constexpr wchar_t kDeviceSequencer[] = L"Sequencer";

// Stops and closes whatever "media" was, then opens fileName and starts it from the
// beginning. True when the open succeeded, whether or not the play did. An empty
// deviceType lets the media system choose the device from the file's extension.
bool MCI_OpenPlay(platform::MciChannel& channel, const std::wstring& fileName,
                  bool fullScreen, const std::wstring& deviceType);
void MCI_Stop(platform::MciChannel& channel);
void MCI_Close(platform::MciChannel& channel);
// The device's mode as the media system words it ("playing", "stopped"...); empty
// when the query failed, for instance with nothing open.
std::wstring MCI_StatusMode(platform::MciChannel& channel);
// The position in milliseconds; 0 when the query failed or the reply holds no number.
int32_t MCI_Position(platform::MciChannel& channel);

}  // namespace music
