#include "saver/report_no_folder.h"

namespace saver {

void ReportNoFolder(NoFolderHost& host) {
  host.HideWindow();
  host.RestoreCursor();
  host.ShowCursorOnce();
  host.ShowNoFolderMessage();
  host.ShowSettingsDialogModeless();
}

}  // namespace saver
