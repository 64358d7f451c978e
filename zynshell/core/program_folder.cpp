// The base of both folder-handle backends: the owned name and GetName.
#include "program_folder.h"

#include <cstring>

namespace zynshell {

ProgramFolder::ProgramFolder(const char* name, int32_t type) : type_(type) {
    if (!name) name = "";
    size_t cb = strlen(name) + 1;
    name_ = new char[cb];
    memcpy(name_, name, cb);
}

ProgramFolder::~ProgramFolder() { delete[] name_; }

int ProgramFolder::GetName(char* buffer, int bufferSize) const {
    long long needed = static_cast<long long>(strlen(name_)) + 1;
    long long room = buffer ? bufferSize : 0;
    if (needed > room) return static_cast<int>(needed - room);
    memcpy(buffer, name_, static_cast<size_t>(needed));
    return 0;
}

}  // namespace zynshell
