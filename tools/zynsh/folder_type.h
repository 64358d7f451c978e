// Folder type values from their zynsh spelling: a number (decimal or 0x
// hex, as in 0x40000002) or words joined by "+" or ",": desktop, programs,
// startup, common, open, desktop-link, programs-link.
#pragma once

#include <cstdint>
#include <string>

namespace zynsh {

bool ParseFolderType(const std::string& text, int32_t* type);
// Parses a whole decimal or 0x-hex number (possibly negative) into *value.
bool ParseNumber(const std::string& text, long long* value);

}  // namespace zynsh
