// Folder type spelling (folder_type.h).
#include "folder_type.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "zynshell.h"

namespace zynsh {

bool ParseNumber(const std::string& text, long long* value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = strtoll(text.c_str(), &end, 0);
    if (errno || *end) {
        // Values with bit 31 set are easiest written as unsigned hex.
        errno = 0;
        unsigned long long u = strtoull(text.c_str(), &end, 0);
        if (errno || *end || u > 0xFFFFFFFFull) return false;
        v = static_cast<long long>(u);
    }
    *value = v;
    return true;
}

bool ParseFolderType(const std::string& text, int32_t* type) {
    long long number;
    if (ParseNumber(text, &number)) {
        if (number < INT32_MIN || number > 0xFFFFFFFFll) return false;
        *type = static_cast<int32_t>(static_cast<uint32_t>(number));
        return true;
    }
    static const struct {
        const char* word;
        uint32_t bits;
    } kWords[] = {
        {"desktop", ZYN_FOLDER_DESKTOP},
        {"programs", ZYN_FOLDER_PROGRAMS},
        {"startup", ZYN_FOLDER_STARTUP},
        {"common", static_cast<uint32_t>(ZYN_FOLDER_COMMON)},
        {"open", ZYN_FOLDER_OPEN},
        {"desktop-link", ZYN_FOLDER_DESKTOP_LINK},
        {"programs-link", ZYN_FOLDER_PROGRAMS_LINK},
    };
    uint32_t bits = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("+,", start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        bool known = false;
        for (const auto& w : kWords) {
            if (word == w.word) {
                bits |= w.bits;
                known = true;
            }
        }
        if (!known) return false;
        start = end + 1;
    }
    *type = static_cast<int32_t>(bits);
    return true;
}

}  // namespace zynsh
