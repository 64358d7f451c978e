// User names of the port-settings dialog: the calling user's name as the
// system tells it, and the reserved name that the dialog refuses.
#pragma once

#include <cstddef>

namespace zynlpr {

// The calling user's name (GetUserNameA) into buf[cb], or the text of
// message 8013 when the system can't tell it within cb bytes.
void CurrentUserName(char* buf, size_t cb);

// The reserved user name made of two texts: each of the first four
// characters of `first` is combined by bitwise OR with the character at the
// same position of `second`; the rest of `first` follows unchanged. Only
// positions where both texts still have a character are combined, so a text
// shorter than four characters is never read or cut past its end. The result
// is bounded by buf[cb].
void BuildReservedUserName(const char* first, const char* second, char* buf, size_t cb);

// True when `name` is the reserved user name built from messages 8011 and
// 8012, compared exactly (with regard to case).
bool IsReservedUserName(const char* name);

}  // namespace zynlpr
