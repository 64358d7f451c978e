// lprhost: a stand-in for the Windows NT print spooler, which under Wine does
// not load print monitors. It loads a monitor as the spooler does and drives
// its entry table from the command line.
//
//   lprhost [--monitor NAME] COMMAND [ARGS...]
//
// Exit code 0 on success, 1 when an entry failed, 2 on a usage error.
#include <cstdio>
#include <cstring>

#include "lprhost_command.h"

namespace {
LprhostCommand* g_commands[32];
int g_count = 0;
}  // namespace

LprhostCommand::LprhostCommand(const char* n, const char* u, const char* s, int (*r)(int, char**))
    : name(n), usage(u), summary(s), run(r) {
    if (g_count < 31) g_commands[g_count++] = this;
}

LprhostCommand* const* LprhostCommands() { return g_commands; }

static void Usage() {
    fprintf(stderr, "usage: lprhost [--monitor NAME] COMMAND [ARGS...]\n");
    for (int i = 0; i < g_count; ++i)
        fprintf(stderr, "  %-40s %s\n", g_commands[i]->usage, g_commands[i]->summary);
}

int main(int argc, char** argv) {
    // Keep --monitor for the command (it loads the monitor); find the command.
    int i = 1;
    while (i < argc && strcmp(argv[i], "--monitor") == 0) i += 2;
    if (i >= argc) {
        Usage();
        return 2;
    }
    for (int c = 0; c < g_count; ++c) {
        if (strcmp(argv[i], g_commands[c]->name) == 0) {
            // The command sees the --monitor option (if any) and its own arguments.
            static char* args[256];
            int n = 0;
            for (int k = 1; k < argc && n < 255; ++k)
                if (k != i) args[n++] = argv[k];
            args[n] = nullptr;
            return g_commands[c]->run(n, args);
        }
    }
    fprintf(stderr, "lprhost: unknown command %s\n", argv[i]);
    Usage();
    return 2;
}
