// zynsh: runs zynshell commands given on the command line (separated by
// ";") or in a script file, with one program manager for the whole run.
// See kUsage in commands.cpp for the commands.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "words.h"
#include "zynshell.h"

namespace {

bool ReadScript(const char* path, std::vector<zynsh::Words>* commands) {
    FILE* in = strcmp(path, "-") == 0 ? stdin : fopen(path, "r");
    if (!in) {
        fprintf(stderr, "zynsh: cannot open %s\n", path);
        return false;
    }
    std::string line;
    int c;
    while ((c = fgetc(in)) != EOF) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        zynsh::Words words = zynsh::SplitLine(line);
        if (!words.empty()) commands->push_back(words);
        line.clear();
    }
    zynsh::Words words = zynsh::SplitLine(line);
    if (!words.empty()) commands->push_back(words);
    if (in != stdin) fclose(in);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool forceDde = false, keepGoing = false;
    const char* script = nullptr;
    int i = 1;
    for (; i < argc && strncmp(argv[i], "--", 2) == 0; ++i) {
        if (strcmp(argv[i], "--dde") == 0) {
            forceDde = true;
        } else if (strcmp(argv[i], "--keep-going") == 0) {
            keepGoing = true;
        } else if (strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
            script = argv[++i];
        } else if (strcmp(argv[i], "--help") == 0) {
            fputs(zynsh::kUsage, stdout);
            return 0;
        } else {
            fprintf(stderr, "zynsh: unknown option %s\n%s", argv[i], zynsh::kUsage);
            return 2;
        }
    }

    std::vector<zynsh::Words> commands;
    if (script) {
        if (!ReadScript(script, &commands)) return 2;
    } else {
        commands = zynsh::SplitAtSemicolons(zynsh::Words(argv + i, argv + argc));
    }
    if (commands.empty()) {
        fputs(zynsh::kUsage, stderr);
        return 2;
    }

    ZYNPM pm = ZynPMInit(forceDde ? 1 : 0);
    int status = 0;
    for (const zynsh::Words& command : commands) {
        int result = zynsh::RunCommand(pm, command);
        fflush(stdout);
        if (result != 0) {
            if (status == 0 || result > status) status = result;
            if (!keepGoing) break;
        }
    }
    if (pm) ZynPMUninit(pm);
    else if (status == 1) status = 3;
    return status;
}
