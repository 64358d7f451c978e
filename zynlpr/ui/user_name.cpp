// See user_name.h. The reserved name is built each time it is needed, into
// the caller's buffer: the message table stays as loaded, so it remains
// read-only after process attach and is read without a lock.
#include "user_name.h"

#include <windows.h>

#include <cstring>

#include "bounded.h"
#include "message_ids.h"
#include "messages.h"

namespace zynlpr {

void CurrentUserName(char* buf, size_t cb) {
    if (cb == 0) return;
    DWORD cch = cb > 0xffffffffu ? 0xffffffffu : static_cast<DWORD>(cb);
    if (GetUserNameA(buf, &cch) && buf[0]) {
        buf[cb - 1] = '\0';
        return;
    }
    zyn::BoundedCopy(buf, cb, MessageText(MSG_UNKNOWN_USER));
}

void BuildReservedUserName(const char* first, const char* second, char* buf, size_t cb) {
    if (cb == 0) return;
    zyn::BoundedCopy(buf, cb, first);
    for (size_t i = 0; i < 4 && buf[i] && second[i]; ++i) buf[i] = static_cast<char>(buf[i] | second[i]);
}

bool IsReservedUserName(const char* name) {
    char reserved[1024];
    BuildReservedUserName(MessageText(MSG_RESERVED_USER_PART1), MessageText(MSG_RESERVED_USER_PART2),
                          reserved, sizeof reserved);
    return strcmp(name, reserved) == 0;
}

}  // namespace zynlpr
