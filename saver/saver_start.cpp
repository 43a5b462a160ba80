#include "saver/saver_start.h"

#include <cstdint>

namespace saver {
namespace {

// A value that is no 16-bit number leaves the field as it was.
void RereadAsStored(platform::Profile& profile, const wchar_t* key, int16_t& field) {
  auto value = settings::ParseRanged(settings::ReadValue(profile, key, settings::RuleFor(key).readDefault),
                                     INT16_MIN, INT16_MAX);
  if (value) field = *value;
}

}  // namespace

SaverStartValues TakeSaverSettings(platform::Profile& profile,
                                   const settings::SaverSettings* dialogState) {
  SaverStartValues values;
  values.record = dialogState ? *dialogState : settings::ReadSettings(profile);
  RereadAsStored(profile, L"Multi", values.record.Multi);
  values.Folder = settings::ReadValue(profile, L"Folder", settings::kBlank);
  values.Speed = settings::ReadValue(profile, L"Speed", settings::kBlank);
  values.MouseM = settings::ReadValue(profile, L"MouseM", settings::kBlank);
  RereadAsStored(profile, L"CheckM", values.record.CheckM);
  return values;
}

}  // namespace saver
