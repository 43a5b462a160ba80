#pragma once
// An in-memory settings file that keeps keys in the order they were first written,
// as the profile functions do, and records every call.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ports.h"

class FakeProfile : public platform::Profile {
 public:
  std::wstring Get(const std::wstring& section, const std::wstring& key,
                   const std::wstring& fallback) override {
    reads.push_back(key);
    for (const auto& [k, v] : lines[section])
      if (k == key) return v;
    return fallback;
  }
  void Put(const std::wstring& section, const std::wstring& key,
           const std::wstring& value) override {
    puts.push_back(key);
    for (auto& [k, v] : lines[section])
      if (k == key) {
        v = value;
        return;
      }
    lines[section].emplace_back(key, value);
  }
  void Remove(const std::wstring& section, const std::wstring& key) override {
    puts.push_back(L"-" + key);
    auto& entries = lines[section];
    for (auto it = entries.begin(); it != entries.end(); ++it)
      if (it->first == key) {
        entries.erase(it);
        return;
      }
  }
  void Set(const std::wstring& key, const std::wstring& value) {
    Put(L"Orvella_Glimmerdeck", key, value);
    puts.clear();
  }
  // The file as the profile functions write it: CR LF line ends.
  std::wstring Text() const {
    std::wstring text;
    for (const auto& [section, entries] : lines) {
      text += L"[" + section + L"]\r\n";
      for (const auto& [k, v] : entries) text += k + L"=" + v + L"\r\n";
    }
    return text;
  }

  std::map<std::wstring, std::vector<std::pair<std::wstring, std::wstring>>> lines;
  std::vector<std::wstring> reads;
  std::vector<std::wstring> puts;
};
