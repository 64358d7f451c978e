// lpdsoak.exe: the LPD soak as a program of its own (lpd_soak.h).
//   lpdsoak [--seed N] [--submissions N] [--ports N] [--idle-ms N] [--max-job-bytes N]
// Prints its figures; exit status 0 when nothing failed, 1 when something
// did, 2 on a bad command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lpd_soak.h"

int main(int argc, char** argv) {
    lpdsoak::SoakOptions options;
    options.seed = GetTickCount();
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            fprintf(stderr, "lpdsoak: %s needs a value\n", arg);
            return 2;
        }
        unsigned long long n = strtoull(value, nullptr, 10);
        if (strcmp(arg, "--seed") == 0) options.seed = n;
        else if (strcmp(arg, "--submissions") == 0 && n > 0 && n < 10000000) options.submissions = static_cast<int>(n);
        else if (strcmp(arg, "--ports") == 0 && n > 0 && n <= 64) options.ports = static_cast<int>(n);
        else if (strcmp(arg, "--idle-ms") == 0 && n >= 50 && n <= 60000) options.idleMs = static_cast<DWORD>(n);
        else if (strcmp(arg, "--max-job-bytes") == 0 && n > 0 && n <= (64u << 20)) options.maxJobBytes = static_cast<uint32_t>(n);
        else {
            fprintf(stderr, "lpdsoak: bad option %s %s\n", arg, value);
            return 2;
        }
        ++i;
    }
    lpdsoak::SoakFigures figures = lpdsoak::RunLpdSoak(options);
    lpdsoak::PrintSoakFigures(stdout, options, figures);
    return figures.failureCount == 0 ? 0 : 1;
}
