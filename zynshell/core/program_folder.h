// ProgramFolder: a handle on one program group (DDE backend) or one
// Start-menu directory (shell backend). The export layer forwards the folder
// exports to these virtual operations; every operation from Delete on returns
// 1 for success and 0 for failure.
#pragma once

#include <cstdint>

#include "program_item.h"

namespace zynshell {

class ProgramManager;

class ProgramFolder {
public:
    // Takes a heap copy of name; throws std::bad_alloc when out of memory.
    ProgramFolder(const char* name, int32_t type);
    virtual ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // Copies the name with its terminator and returns 0, or copies nothing and
    // returns the number of bytes missing.
    int GetName(char* buffer, int bufferSize) const;

    virtual int Delete(ProgramManager& pm) = 0;
    virtual int Update(ProgramManager& pm) = 0;
    virtual int Show(ProgramManager& pm, int showCmd) = 0;
    virtual int ListSubFolders(ProgramManager& pm) = 0;
    virtual int ListItems(ProgramManager& pm) = 0;
    virtual int AddItem(ProgramManager& pm, const ProgramItem& item) = 0;
    virtual int DeleteItem(ProgramManager& pm, const char* itemName) = 0;
    virtual int ReplaceItem(ProgramManager& pm, const char* itemName) = 0;

    const char* name() const { return name_; }
    int32_t type() const { return type_; }

    // Open-folder registry links (folder_registry.h owns the list logic).
    ProgramFolder* next = nullptr;  // older
    ProgramFolder* prev = nullptr;  // newer

private:
    char* name_;
    int32_t type_;
};

}  // namespace zynshell
