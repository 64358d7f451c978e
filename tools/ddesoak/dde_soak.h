// The DDE soak: many Program Manager transactions through the exports of
// zynshell (ZynPMInit forcing DDE, then groups made, shown, listed, filled,
// emptied and deleted at random) against ScriptedProgman's seeded script,
// with a short answer bound, in conversations of a few calls each.
//
// What must hold, and is counted as a failure otherwise: no call takes
// longer than its bound (the answer bound per transaction the server saw
// during the call, plus a margin); no conversation window outlives its program manager; and
// after the run, measured in the same state as after a warm-up, the
// references of the global atoms of every name in play, the process's
// handle count, its heap in use and its private bytes are back where they
// were (the latter two within a margin).
//
// Runs in the calling process: zynshell's internal library and its export
// forwarders are linked in, so that the answer bound can be shortened.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ddesoak {

struct SoakOptions {
    uint64_t seed = 1;
    int transactions = 2000;      // after a warm-up of a tenth as many
    uint32_t answerMs = 200;      // the client's answer bound for the run
    uint32_t marginMs = 2000;     // added to each call's bound (a busy machine)
    long handleSlack = 0;
    long long heapSlack = 64 << 10;
    long long privateSlack = 1 << 20;
};

struct AtomFigure {
    std::string name;
    long before = 0, after = 0;  // references held
};

struct SoakFigures {
    uint64_t warmUp = 0;          // transactions before the figures were first taken
    uint64_t transactions = 0;    // all of them, warm-up included
    uint64_t conversations = 0, refusedInits = 0, calls = 0, succeeded = 0;
    DWORD longestCallMs = 0;
    uint64_t longestCallTransactions = 0;
    DWORD longestPerTransactionMs = 0;
    long handlesBefore = 0, handlesAfter = 0;
    long long heapBefore = 0, heapAfter = 0;
    long long privateBefore = 0, privateAfter = 0;
    std::vector<AtomFigure> atoms;
    std::vector<uint64_t> moves, initiates;
    int failureCount = 0;
    std::vector<std::string> failures;  // the first few, described
};

SoakFigures RunDdeSoak(const SoakOptions& options);
void PrintSoakFigures(FILE* out, const SoakOptions& options, const SoakFigures& figures);

}  // namespace ddesoak
