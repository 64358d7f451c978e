// The zynsh commands: each one calls the zynshell export(s) of its name and
// reports the outcome on stdout (listings, results) or stderr (errors).
#pragma once

#include "words.h"
#include "zynshell.h"

namespace zynsh {

// Runs one command (words[0] is its name) on pm, which may be null (only
// init-check then works). Returns 0 on success, 1 when the library reported
// failure, 2 for a usage error.
int RunCommand(ZYNPM pm, const Words& words);

// The short meaning of a library error code.
const char* ErrorMeaning(int code);

extern const char kUsage[];

}  // namespace zynsh
