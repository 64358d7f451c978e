// ShellFolder: the shell backend's handle on one Start-menu directory. Its
// name is the full directory path; its type is the folder type it was first
// opened with. ShellProgramManager::OpenFolder makes it and keeps it in the
// open-folder registry; the export layer forwards the folder exports to it.
// It keeps a reference to the ShellProgramManager that made it.
#pragma once

#include <cstdint>

#include "model/program_folder.h"

namespace zynshell {

class ShellProgramManager;

class ShellFolder : public ProgramFolder {
public:
    // Takes a copy of path; throws std::bad_alloc when out of memory. Making
    // the directory is OpenFolder's part.
    ShellFolder(ShellProgramManager& pm, const char* path, int32_t type) : ProgramFolder(path, type), pm_(pm) {}

    // Removes the directory tree and unregisters the handle (even on failure);
    // 1 when the directory itself was removed.
    int Delete() override;
    // Update, Show and the listings fail with error 17 when the directory is gone.
    // Asks the shell to refresh the directory; 1.
    int Update() override;
    // Opens the directory in an Explorer window; 0 with error 11 when showCmd
    // is outside 1 to 8, else 1 whatever the shell did.
    int Show(int showCmd) override;
    // Fill the info buffer with the sub-directory names / the shortcut lines.
    int ListSubFolders() override;
    int ListItems() override;
    // Writes the item's shortcut file (shortcut_item.cpp). 0 with error 13
    // when the item's file name or path cannot be formed, 15 when the file
    // could not be written.
    int AddItem(const ProgramItem& item) override;
    // Deletes <itemName>.lnk (case-insensitive); 1 also when there is none,
    // 0 with error 16 when it is there but cannot be deleted.
    int DeleteItem(const char* itemName) override;
    // DeleteItem; the caller adds the new item afterwards.
    int ReplaceItem(const char* itemName) override;

private:
    bool DirectoryPresent();

    ShellProgramManager& pm_;
};

}  // namespace zynshell
