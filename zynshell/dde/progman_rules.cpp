// ProgmanRules (progman_rules.h).
#include "dde/progman_rules.h"

#include "model/folder_name.h"

namespace zynshell {

char* ProgmanRules::FolderNamePart(char* name) const { return ParseFolderName(kBackendDde, name); }

ProgramFolder* ProgmanRules::GetFolder(const char* name, int32_t type) {
    const uint32_t selected = RootSelector(type);
    if (selected != kRootPrograms && selected != kRootStartup) return nullptr;
    if (selected == kRootStartup) name = startup();
    if (!name || RefusesName(name)) return nullptr;
    if (ProgramFolder* open = openFolders.Find(name, type, 1)) return open;
    return OpenFolder(name, type, 0);
}

const char* ProgmanRules::UnnamedFolder(int32_t type) const {
    return RootSelector(type) == kRootStartup ? startup() : nullptr;
}

bool ProgmanRules::ShowsExistingFolder(int32_t) const { return true; }

bool ProgmanRules::RefusesLinks() {
    lastError = kErrLinkOnDde;
    return true;
}

}  // namespace zynshell
