#pragma once
// The media-command port over winmm's string interface.
#include <string>

#include "platform/mci_channel.h"

namespace music {

class MciChannelWin32 final : public platform::MciChannel {
 public:
  // callbackWindow is the saver window's HWND, handed to the play command only.
  explicit MciChannelWin32(void* callbackWindow) : callbackWindow(callbackWindow) {}

  platform::MciReply Send(const std::wstring& command, platform::MciCallback callback) override;
  std::wstring ShortPathName(const std::wstring& longPath) override;

 private:
  void* callbackWindow;
};

// GetFileAttributesW: an existing file that is not a directory, hidden or a system file.
bool IsNormalFile(const std::wstring& path);

}  // namespace music
