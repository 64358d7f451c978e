// ProgramFolder::GetName (program_folder.h).
#include "model/program_folder.h"

#include <cstring>

namespace zynshell {

int ProgramFolder::GetName(char* buffer, int bufferSize) const {
    const long long needed = static_cast<long long>(name_.size()) + 1;
    const long long room = buffer ? bufferSize : 0;
    if (needed > room) return static_cast<int>(needed - room);
    memcpy(buffer, name_.c_str(), static_cast<size_t>(needed));
    return 0;
}

}  // namespace zynshell
