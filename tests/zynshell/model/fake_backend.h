// Stand-ins for the backends, for tests of the model and the DLL layer's own
// logic: a program manager whose OpenFolder serves from a set of "existing"
// folder names, over the model's rules or (Base) a backend's, and a folder
// handle that records what it was asked to do.
#pragma once

#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "model/program_folder.h"
#include "model/program_manager.h"

namespace zyntest {

using zynshell::ProgramFolder;
using zynshell::ProgramItem;
using zynshell::ProgramManager;

class FakeFolder : public ProgramFolder {
public:
    // pm: the program manager whose registry Delete leaves, if any.
    FakeFolder(const char* name, int32_t type, std::vector<std::string>* log, ProgramManager* pm = nullptr)
        : ProgramFolder(name, type), pm_(pm), log_(log) { ++alive; }
    ~FakeFolder() override { --alive; }

    int Delete() override {
        Note("Delete");
        if (pm_) pm_->openFolders.Remove(this);
        return 1;
    }
    int Update() override { return Note("Update"); }
    int Show(int showCmd) override { return Note("Show " + std::to_string(showCmd)); }
    int ListSubFolders() override { return Note("ListSubFolders"); }
    int ListItems() override { return Note("ListItems"); }
    int AddItem(const ProgramItem& item) override {
        lastItem = item;
        lastItemName = item.name ? item.name : "";
        lastItemCommand = item.command ? item.command : "";
        return Note("AddItem");
    }
    int DeleteItem(const char* itemName) override {
        return Note(std::string("DeleteItem ") + itemName);
    }
    int ReplaceItem(const char* itemName) override {
        return Note(std::string("ReplaceItem ") + itemName);
    }

    static inline int alive = 0;
    ProgramItem lastItem{};
    std::string lastItemName, lastItemCommand;

private:
    int Note(const std::string& what) {
        if (log_) log_->push_back(std::string(name()) + ": " + what);
        return 1;
    }
    ProgramManager* pm_;
    std::vector<std::string>* log_;
};

template <class Base>
class BasicFakeProgramManager : public Base {
public:
    explicit BasicFakeProgramManager(zynshell::BackendKind kind, int32_t nt = 1) : Base(kind, nt, 3) {
        // A guard zone after the 5120 bytes shows any write past the buffer.
        this->infoBuffer_.reset(new char[zynshell::kInfoBufferSize + kGuard]);
        memset(this->infoBuffer(), 0, zynshell::kInfoBufferSize);
        memset(this->infoBuffer() + zynshell::kInfoBufferSize, kGuardByte, kGuard);
    }

    bool GuardIntact() const {
        for (int i = 0; i < kGuard; ++i)
            if (this->infoBuffer()[zynshell::kInfoBufferSize + i] != kGuardByte) return false;
        return true;
    }

    // Folders "on disk" (or groups in Program Manager), by parsed name.
    std::set<std::string> existing;
    std::vector<std::string> log;
    std::vector<std::string> opened;  // names OpenFolder was asked for
    bool throwOnOpen = false;
    bool refuseCreate = false;  // OpenFolder with create gives null (no memory)

    ProgramFolder* OpenFolder(const char* name, int32_t type, int create) override {
        std::string key = name ? name : "<root>";
        opened.push_back(key + (create ? " create" : ""));
        if (throwOnOpen) throw std::bad_alloc();
        if (create && refuseCreate) return nullptr;
        if (this->backendKind == zynshell::kBackendShell) {
            if (ProgramFolder* f = this->openFolders.Find(key.c_str(), type, 0)) return f;
        }
        if (!create && !existing.count(key)) return nullptr;
        existing.insert(key);
        auto* f = new FakeFolder(key.c_str(), type, &log, this);
        this->openFolders.Insert(f);
        return f;
    }
    int FolderExists(const char*, int32_t) override { return 1; }

    // Replaces the info text by `text`, as a backend listing would.
    void SetInfoText(const std::string& text) {
        this->BeginInfo();
        this->AppendInfo(text.c_str());
        this->EndInfo();
    }

    static constexpr int kGuard = 64;
    static constexpr char kGuardByte = 0x5A;
};

using FakeProgramManager = BasicFakeProgramManager<ProgramManager>;

}  // namespace zyntest
