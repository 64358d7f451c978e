// ListFolder: the text listings of a shell folder, written into the program
// manager's info buffer for ZynPMReadInfo.
#pragma once

namespace zynshell {

class ShellProgramManager;

// itemsFlag 0: one line per sub-directory of path, its own name.
// itemsFlag 1: one line per "*.lnk" entry, read through the program
// manager's shell link object:
//   "description","short target",workdir,iconpath,0,0,iconindex,hotkey,minimized
// Lines end with CR LF, in directory order. Lines that do not fit the info
// buffer whole are left off (with everything after them). A missing folder
// gives an empty text, still marked available.
void ListFolder(ShellProgramManager& pm, const char* path, int itemsFlag);

}  // namespace zynshell
