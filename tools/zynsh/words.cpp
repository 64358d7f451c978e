// Word splitting for zynsh (words.h).
#include "words.h"

namespace zynsh {

Words SplitLine(const std::string& line) {
    Words words;
    size_t i = line.find_first_not_of(" \t\r\n");
    if (i == std::string::npos || line[i] == '#') return words;
    std::string word;
    bool inWord = false, quoted = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::vector<Words> SplitAtSemicolons(const Words& words) {
    std::vector<Words> commands(1);
    for (const std::string& w : words) {
        if (w == ";") commands.emplace_back();
        else commands.back().push_back(w);
    }
    std::vector<Words> nonEmpty;
    for (Words& c : commands)
        if (!c.empty()) nonEmpty.push_back(std::move(c));
    return nonEmpty;
}

}  // namespace zynsh
