// ProgramFolder: a handle on one program group (DDE backend) or one
// Start-menu directory (shell backend). Each backend's handle keeps a
// reference to the program manager that made it, of its own type. The DLL
// layer forwards the folder exports to these virtual operations; every
// operation from Delete on returns 1 for success and 0 for failure.
#pragma once

#include <cstdint>
#include <string>

#include "model/program_item.h"

namespace zynshell {

class ProgramFolder {
public:
    // Takes a copy of name; throws std::bad_alloc when out of memory.
    ProgramFolder(const char* name, int32_t type) : name_(name ? name : ""), type_(type) {}
    virtual ~ProgramFolder() = default;
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    // Copies the name with its terminator and returns 0, or copies nothing and
    // returns the number of bytes missing.
    int GetName(char* buffer, int bufferSize) const;

    virtual int Delete() = 0;
    virtual int Update() = 0;
    virtual int Show(int showCmd) = 0;
    virtual int ListSubFolders() = 0;
    virtual int ListItems() = 0;
    virtual int AddItem(const ProgramItem& item) = 0;
    virtual int DeleteItem(const char* itemName) = 0;
    virtual int ReplaceItem(const char* itemName) = 0;

    const char* name() const { return name_.c_str(); }
    int32_t type() const { return type_; }

    // Open-folder registry links (folder_registry.h owns the list logic).
    ProgramFolder* next = nullptr;  // older
    ProgramFolder* prev = nullptr;  // newer

private:
    std::string name_;
    int32_t type_;
};

}  // namespace zynshell
