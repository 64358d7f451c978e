// Splitting zynsh input into commands and words.
#pragma once

#include <string>
#include <vector>

namespace zynsh {

using Words = std::vector<std::string>;

// The words of one script line: separated by blanks; "double quotes" keep
// blanks inside a word; backslashes are ordinary characters (paths). An
// empty line or one starting with # gives no words.
Words SplitLine(const std::string& line);

// Command-line words split at each word that is exactly ";".
std::vector<Words> SplitAtSemicolons(const Words& words);

}  // namespace zynsh
