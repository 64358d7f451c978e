// ddesoak.exe [--seed N] [--transactions N] [--answer-ms N]: the DDE soak
// (dde_soak.h) for a long run by hand; prints its figures and exits 1 when
// anything failed. Run it with Windows 2000 as the Windows version
// (tools/wine-run.sh --winver win2k) and no other Program Manager running.
#include <cstdlib>
#include <cstring>

#include "dde_soak.h"

int main(int argc, char** argv) {
    ddesoak::SoakOptions options;
    options.seed = 2026;
    for (int i = 1; i + 1 < argc; i += 2) {
        const unsigned long long value = strtoull(argv[i + 1], nullptr, 10);
        if (strcmp(argv[i], "--seed") == 0) options.seed = value;
        else if (strcmp(argv[i], "--transactions") == 0) options.transactions = static_cast<int>(value);
        else if (strcmp(argv[i], "--answer-ms") == 0) options.answerMs = static_cast<uint32_t>(value);
        else {
            fprintf(stderr, "usage: ddesoak [--seed N] [--transactions N] [--answer-ms N]\n");
            return 2;
        }
    }
    const ddesoak::SoakFigures figures = ddesoak::RunDdeSoak(options);
    ddesoak::PrintSoakFigures(stdout, options, figures);
    return figures.failureCount == 0 ? 0 : 1;
}
