#pragma once
// The settings file through the private-profile functions.
#include <optional>
#include <string>

#include "platform/ports.h"

namespace platform {

class IniProfile : public Profile {
 public:
  explicit IniProfile(std::wstring path) : path_(std::move(path)) {}
  std::wstring Get(const std::wstring& section, const std::wstring& key,
                   const std::wstring& fallback) override;
  void Put(const std::wstring& section, const std::wstring& key, const std::wstring& value) override;
  void Remove(const std::wstring& section, const std::wstring& key) override;
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

// True when the text survives a round trip through the ANSI code page.
bool FitsAnsiCodePage(const std::wstring& text);

// Rewrites an ANSI settings file (or creates an empty one) as UTF-16LE with a byte-order
// mark; the profile functions keep that encoding from then on. False when it cannot.
bool ConvertFileToUtf16(const std::wstring& path);

// fileName in the Windows folder.
std::wstring WindowsFolderFilePath(const std::wstring& fileName);

// The file's text as it is on the disk: UTF-16 after a byte-order mark, else ANSI.
std::optional<std::wstring> ReadTextFile(const std::wstring& path);

}  // namespace platform
