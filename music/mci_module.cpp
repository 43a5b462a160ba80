#include "music/mci_module.h"

#include <cstdint>
#include <limits>

namespace music {
namespace {

using platform::MciCallback;
using platform::MciChannel;
using platform::MciReply;

MciReply Send(MciChannel& channel, const std::wstring& command) {
  return channel.Send(command, MciCallback::None);
}

// Where 8.3 names are switched off the short form keeps its blanks, and an unquoted
// name would be cut at the first one by the command parser.
std::wstring OpenCommandPath(const std::wstring& shortPath) {
  if (shortPath.find(L' ') == std::wstring::npos) return shortPath;
  return L"\"" + shortPath + L"\"";
}

std::wstring OpenCommand(const std::wstring& shortPath, const std::wstring& deviceType) {
  std::wstring command = L"open " + OpenCommandPath(shortPath) + L" alias media";
  if (!deviceType.empty()) command += L" type " + deviceType;
  return command;
}

std::wstring PlayCommand(bool hasVideo, bool fullScreen) {
  if (!hasVideo) return L"play media";
  return fullScreen ? L"play media fullscreen" : L"play media window";
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The leading decimal number of a reply, rounded halves to even from its digits, so no
// binary fraction can tip a half; 0 when there is none or it does not fit 32 bits.
int32_t ParseLeadingNumber(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t whole = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    whole = whole * 10 + (text[i] - L'0');
    if (whole > kLimit) return 0;
  }
  if (i < text.size() && text[i] == L'.') {
    ++i;
    int firstDigit = 0;
    bool restNonZero = false;
    if (i < text.size() && IsDigit(text[i])) firstDigit = text[i++] - L'0';
    for (; i < text.size() && IsDigit(text[i]); ++i) restNonZero |= text[i] != L'0';
    bool roundUp = firstDigit > 5 || (firstDigit == 5 && (restNonZero || whole % 2 == 1));
    if (roundUp) ++whole;
  }
  int64_t value = negative ? -whole : whole;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
    return 0;
  return static_cast<int32_t>(value);
}

}  // namespace

bool MCI_OpenPlay(MciChannel& channel, const std::wstring& fileName, bool fullScreen,
                  const std::wstring& deviceType) {
  MCI_Stop(channel);
  MCI_Close(channel);
  const std::wstring shortPath = channel.ShortPathName(fileName);
  // A file that is gone has no short path, and "open  alias media" with no name opens an
  // empty device on some systems, which then counts as music playing: refuse it here.
  if (shortPath.empty()) return false;
  if (Send(channel, OpenCommand(shortPath, deviceType)).code != 0) return false;
  // Port -1 is the MIDI mapper on a sequencer; other devices reject it harmlessly.
  Send(channel, L"set media port -1");
  const std::wstring capability = Send(channel, L"capability media has video").text;
  const bool hasVideo = !capability.empty() && capability[0] == L't';
  channel.Send(PlayCommand(hasVideo, fullScreen), MciCallback::SaverWindow);
  return true;
}

void MCI_Stop(MciChannel& channel) { Send(channel, L"stop media"); }

void MCI_Close(MciChannel& channel) { Send(channel, L"close media"); }

std::wstring MCI_StatusMode(MciChannel& channel) {
  MciReply reply = Send(channel, L"status media mode");
  return reply.code == 0 ? reply.text : std::wstring();
}

int32_t MCI_Position(MciChannel& channel) {
  Send(channel, L"set media time format ms");
  MciReply reply = Send(channel, L"status media position");
  return reply.code == 0 ? ParseLeadingNumber(reply.text) : 0;
}

}  // namespace music
