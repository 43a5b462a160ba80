#pragma once
// The picture catalogue: the full path of every picture under the chosen folder.
#include <string>
#include <vector>

#include "platform/directory_lister.h"
#include "platform/ports.h"

namespace pictures {

// The mode that appends the pictures found; any other mode only walks the folders.
inline constexpr int kAddPictures = 1;

struct ScanPorts {
  platform::DirectoryLister& lister;
  platform::MessagePump& pump;
};

// A picture by its name alone: the last four characters are ".BMP", ".JPG" or ".GIF"
// in any case. A folder with such a name counts too.
bool IsPictureName(const std::wstring& name);

// Appends to list1 folder + name for every picture of folderPath and, with subFolder,
// of every folder below it, depth first: a sub-folder's pictures come where its own
// entry was met. The folder text is kept as given, with "\" added when missing; a
// blank path does nothing. Messages are pumped once before each folder is listed.
// Links (symbolic links, junctions, mount points) are followed like folders, but no folder
// is entered twice in one scan: one whose identity and final path are both those of a
// folder entered before (a link back into the tree, or links that merge on one folder) is
// left out, so its pictures are listed once, where the walk first met it, and no link can
// trap the scan or make it repeat itself. Folders whose identities only collide (mounts
// that share a volume number and a file ID) have different final paths and are both
// entered; where a final path cannot be read, equal identities count as one folder. A
// folder whose identity cannot be read is entered, unless it is a marked link.
void GetPictureFolder(int mode, const std::wstring& folderPath, bool subFolder,
                      const ScanPorts& ports, std::vector<std::wstring>& list1);

}  // namespace pictures
