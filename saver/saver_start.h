#pragma once
// What the saver window takes from the settings each time it is shown.
#include <string>

#include "platform/ports.h"
#include "settings/settings.h"

namespace saver {

struct SaverStartValues {
  settings::SaverSettings record;
  // Read raw, with a single blank as the default: the show loop and the input watch
  // convert them where they use them.
  std::wstring Folder;
  std::wstring Speed;
  std::wstring MouseM;
};

// dialogState is the settings dialog's current record when that dialog is loaded;
// otherwise the file is read afresh. Multi and CheckM are then read once more and
// kept as stored, without the bilinear rule.
SaverStartValues TakeSaverSettings(platform::Profile& profile,
                                   const settings::SaverSettings* dialogState);

}  // namespace saver
