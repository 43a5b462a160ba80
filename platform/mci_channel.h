#pragma once
// The media-command port: one command string in, its return code and reply out.
#include <cstdint>
#include <string>

namespace platform {

struct MciReply {
  uint32_t code = 0;   // 0 when the command succeeded, as mciSendString returns
  std::wstring text;   // the reply buffer up to its first NUL
};

// Which window the media system is told about; only the play command names one.
enum class MciCallback { None, SaverWindow };

class MciChannel {
 public:
  virtual ~MciChannel() = default;
  virtual MciReply Send(const std::wstring& command, MciCallback callback) = 0;
  // The 8.3 form of an existing file's path, or the path itself where the volume keeps
  // no short names; empty when the conversion fails (the file is gone, the path too long).
  virtual std::wstring ShortPathName(const std::wstring& longPath) = 0;
};

}  // namespace platform
