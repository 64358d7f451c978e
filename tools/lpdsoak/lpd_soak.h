// The LPD soak: many submissions of the monitor's LPD client against
// HostileLpdServer, on several ports at once, half of them straight through
// SubmitPortJob and half through the job path (OpenPort, StartDocPort,
// WritePort, EndDocPort), with short time-outs.
//
// What must hold, and is counted as a failure otherwise: every job is
// either stored by its server byte for byte or reported by at least one
// message box (answered by a watcher thread); no submission takes longer
// than its bound; the job path's entries succeed; no spool file is left;
// and the process's handle count and private bytes come back to what they
// were after a warm-up.
//
// Runs in the calling process: the monitor's internal library is linked in
// and pointed at a throwaway Ports key of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lpdsoak {

struct SoakOptions {
    uint64_t seed = 1;
    int submissions = 2000;      // after a warm-up of a tenth as many; half through each route
    int ports = 4;               // ports printing at once, one server each
    uint32_t maxJobBytes = 200000;
    DWORD connectMs = 2000;      // the client's time-outs for the run
    DWORD idleMs = 400;
    DWORD boundMs = 15000;       // the longest a submission may take
    long handleSlack = 4;        // allowed drift of the figures after the run
    long long privateSlack = 1 << 20;
};

struct SoakFigures {
    int warmUp = 0;               // submissions before the figures were first taken
    int submissions = 0;          // all of them, warm-up included
    int stored = 0;               // stored byte for byte by the server
    int reported = 0;             // a message box was shown
    int storedAndReported = 0;
    size_t messageBoxes = 0;
    DWORD longestMs = 0;
    long handlesBefore = 0, handlesAfter = 0;
    long long privateBefore = 0, privateAfter = 0;
    int spoolFilesLeft = 0;
    uint64_t serverConnections = 0, serverStalls = 0;
    std::vector<uint64_t> actions;  // per server action
    int failureCount = 0;
    std::vector<std::string> failures;  // the first few, described
};

SoakFigures RunLpdSoak(const SoakOptions& options);
void PrintSoakFigures(FILE* out, const SoakOptions& options, const SoakFigures& figures);

}  // namespace lpdsoak
