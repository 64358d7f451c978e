// RunDdeSoak (dde_soak.h).
#include "dde_soak.h"

#include <windows.h>

#include <cstdlib>
#include <psapi.h>

#include <cstring>

#include "dde/dde_backend.h"
#include "dde/dde_window.h"
#include "process_figures.h"
#include "scripted_progman.h"
#include "seeded_random.h"
#include "zynshell.h"

namespace ddesoak {

namespace {

const char* const kGroups[] = {"Soak A", "Soak B", "Soak C"};
constexpr int kMaxCallsPerConversation = 12;
constexpr int kMaxInfoLines = 100000;
constexpr long kMaxAtomReferences = 100000;
constexpr int kFailuresKept = 10;

using zyntest::HandleCount;
using zyntest::InitiateMove;
using zyntest::kWrongApplicationName;
using zyntest::kWrongItemName;
using zyntest::Move;
using zyntest::PrivateBytes;
using zyntest::Rng;

// The server's moves named by the mask ZYN_DDESOAK_MOVES (bit n: the nth of
// Move; all when unset), to run one misbehaviour alone.
uint32_t MoveMask() {
    const char* mask = getenv("ZYN_DDESOAK_MOVES");
    return mask ? static_cast<uint32_t>(strtoul(mask, nullptr, 16)) : ~0u;
}

// Bytes in use on the process heap, where GlobalAlloc takes its blocks.
long long HeapInUse() {
    HANDLE heap = GetProcessHeap();
    long long sum = 0;
    if (!HeapLock(heap)) return -1;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) sum += static_cast<long long>(entry.cbData);
    HeapUnlock(heap);
    return sum;
}

// References held on the global atom of name: taken away one by one until
// it is gone, then given back.
long AtomReferences(const char* name) {
    long count = 0;
    for (ATOM atom; count < kMaxAtomReferences && (atom = GlobalFindAtomA(name)) != 0; ++count)
        GlobalDeleteAtom(atom);
    for (long i = 0; i < count; ++i) GlobalAddAtomA(name);
    return count;
}

std::vector<std::string> AtomNames() {
    std::vector<std::string> names = {"PROGMAN", "GROUPS", kWrongItemName, kWrongApplicationName};
    for (const char* group : kGroups) names.push_back(group);
    return names;
}

BOOL CALLBACK CountConversationWindow(HWND window, LPARAM count) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcmp(name, "zynshell") == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int ConversationWindows() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountConversationWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

class Soak {
public:
    Soak(const SoakOptions& options, SoakFigures& figures)
        : options_(options), figures_(figures), rng_{options.seed}, server_(options.seed ^ 0x5EEDull, MoveMask()) {}

    bool ready() const { return server_.ready(); }
    uint64_t transactions() const { return server_.transactions(); }

    void RunUntil(uint64_t transactions) {
        // Each conversation makes at least one call, and each call that
        // reaches the server counts; the limit only guards against a server
        // that stopped counting.
        for (uint64_t i = 0; server_.transactions() < transactions && i < transactions * 8; ++i) Conversation();
    }

    void Measure(long& handles, long long& heap, long long& privateBytes, std::vector<long>& atoms) {
        Settle();
        handles = HandleCount();
        heap = HeapInUse();
        privateBytes = PrivateBytes();
        atoms.clear();
        for (const std::string& name : AtomNames()) atoms.push_back(AtomReferences(name.c_str()));
    }

    void Finish() {
        figures_.transactions = server_.transactions();
        for (int m = 0; m < static_cast<int>(Move::kCount); ++m) figures_.moves.push_back(server_.moveCount(static_cast<Move>(m)));
        for (int m = 0; m < static_cast<int>(InitiateMove::kCount); ++m)
            figures_.initiates.push_back(server_.initiateCount(static_cast<InitiateMove>(m)));
    }

    void Fail(const std::string& what) {
        if (++figures_.failureCount <= kFailuresKept) figures_.failures.push_back(what);
    }

private:
    // Lets the server finish what it was sent, and takes this thread's messages.
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            MSG msg;
            for (int n = 0; n < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++n) DispatchMessageA(&msg);
            Sleep(20);
        }
    }

    void Conversation() {
        const uint32_t generation = server_.generation();
        ZYNPM pm = nullptr;
        Timed("ZynPMInit", [&] {
            pm = ZynPMInit(1);
            return 1;
        });
        ++figures_.conversations;
        if (!pm) {
            ++figures_.refusedInits;
        } else {
            zynshell::SetDdeAnswerTimeout(*reinterpret_cast<zynshell::ProgramManager*>(pm), options_.answerMs);
            ZYNFOLDER folder = nullptr;
            const int calls = 1 + static_cast<int>(rng_.Below(kMaxCallsPerConversation));
            for (int i = 0; i < calls && server_.generation() == generation; ++i) Call(pm, folder);
            if (folder) ZynReleaseFolder(pm, folder);
            ZynPMUninit(pm);
        }
        if (const int left = ConversationWindows())
            Fail("conversation " + std::to_string(figures_.conversations) + ": " + std::to_string(left) +
                 " conversation window(s) left after ZynPMUninit");
    }

    void Call(ZYNPM pm, ZYNFOLDER& folder) {
        const char* group = kGroups[rng_.Below(3)];
        ZynProgramItem item{};
        item.flags = ZYN_ITEM_NAME | (rng_.Below(2) ? ZYN_ITEM_ARGUMENTS : 0);
        item.command = "C:\\windows\\notepad.exe";
        item.arguments = "soak.txt";
        item.name = "Soak item";
        item.iconPath = item.workingDirectory = "";
        switch (rng_.Below(8)) {
        case 0:
            Timed("ZynCreateFolder", [&] {
                ZYNFOLDER made = ZynCreateFolder(pm, group, ZYN_FOLDER_PROGRAMS | (rng_.Below(2) ? ZYN_FOLDER_OPEN : 0));
                if (!made) return 0;
                if (made != folder) ZynReleaseFolder(pm, made);
                return 1;
            });
            break;
        case 1:
            if (folder) ZynReleaseFolder(pm, folder);
            folder = nullptr;
            Timed("ZynGetFolderHandle", [&] { return (folder = ZynGetFolderHandle(pm, group, ZYN_FOLDER_PROGRAMS)) ? 1 : 0; });
            break;
        case 2: Timed("ZynListSubFolders", [&] { return ZynListSubFolders(pm, folder) ? ReadInfo(pm) : 0; }); break;
        case 3: if (folder) Timed("ZynListFolderItems", [&] { return ZynListFolderItems(pm, folder) ? ReadInfo(pm) : 0; }); break;
        case 4: if (folder) Timed("ZynAddItemEx", [&] { return ZynAddItemEx(pm, folder, &item); }); break;
        case 5: if (folder) Timed("ZynDeleteItem", [&] { return ZynDeleteItem(pm, folder, item.name); }); break;
        case 6: if (folder) Timed("ZynShowFolder", [&] { return ZynShowFolder(pm, folder, 1 + static_cast<int>(rng_.Below(8))); }); break;
        case 7:
            if (folder) Timed("ZynDeleteFolder", [&] { return ZynDeleteFolder(pm, folder); });
            folder = nullptr;
            break;
        }
    }

    static int ReadInfo(ZYNPM pm) {
        char line[512];
        int lines = 0;
        while (lines < kMaxInfoLines && ZynPMReadInfo(pm, line, sizeof line)) ++lines;
        return lines < kMaxInfoLines ? 1 : 0;
    }

    template <typename F>
    void Timed(const char* what, F call) {
        const uint64_t before = server_.transactions();
        const DWORD start = GetTickCount();
        const int result = call();
        const DWORD took = GetTickCount() - start;
        const uint64_t seen = server_.transactions() - before;
        ++figures_.calls;
        if (result) ++figures_.succeeded;
        if (took > figures_.longestCallMs) {
            figures_.longestCallMs = took;
            figures_.longestCallTransactions = seen;
        }
        const DWORD perTransaction = seen ? static_cast<DWORD>(took / seen) : took;
        if (perTransaction > figures_.longestPerTransactionMs) figures_.longestPerTransactionMs = perTransaction;
        const uint64_t bound = (seen ? seen : 1) * options_.answerMs + options_.marginMs;
        if (took > bound)
            Fail(std::string(what) + " took " + std::to_string(took) + " ms over " + std::to_string(seen) +
                 " transaction(s) (bound " + std::to_string(bound) + " ms)");
    }

    const SoakOptions& options_;
    SoakFigures& figures_;
    Rng rng_;
    zyntest::ScriptedProgman server_;
};

}  // namespace

SoakFigures RunDdeSoak(const SoakOptions& options) {
    SoakFigures figures;
    // The DLL registers this class when it is loaded; here the library is linked in.
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = zynshell::DdeWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "zynshell";
    RegisterClassA(&wc);
    {
        Soak soak(options, figures);
        if (!soak.ready()) {
            soak.Fail("the server window could not be made");
            return figures;
        }
        // The warm-up lets the process make what it keeps for good (the
        // module's atom, message queues, heap growth).
        soak.RunUntil(static_cast<uint64_t>(options.transactions / 10));
        std::vector<long> atomsBefore, atomsAfter;
        soak.Measure(figures.handlesBefore, figures.heapBefore, figures.privateBefore, atomsBefore);
        figures.warmUp = soak.transactions();
        soak.RunUntil(figures.warmUp + static_cast<uint64_t>(options.transactions));
        soak.Measure(figures.handlesAfter, figures.heapAfter, figures.privateAfter, atomsAfter);
        const std::vector<std::string> names = AtomNames();
        for (size_t i = 0; i < names.size(); ++i) {
            figures.atoms.push_back({names[i], atomsBefore[i], atomsAfter[i]});
            if (atomsAfter[i] != atomsBefore[i])
                soak.Fail("atom \"" + names[i] + "\": " + std::to_string(atomsBefore[i]) + " references before, " +
                          std::to_string(atomsAfter[i]) + " after");
        }
        if (figures.handlesAfter - figures.handlesBefore > options.handleSlack)
            soak.Fail("handles: " + std::to_string(figures.handlesBefore) + " before, " +
                      std::to_string(figures.handlesAfter) + " after");
        if (figures.heapAfter - figures.heapBefore > options.heapSlack)
            soak.Fail("heap in use grew by " + std::to_string(figures.heapAfter - figures.heapBefore) + " bytes");
        if (figures.privateAfter - figures.privateBefore > options.privateSlack)
            soak.Fail("private bytes grew by " + std::to_string(figures.privateAfter - figures.privateBefore));
        soak.Finish();
    }
    UnregisterClassA("zynshell", GetModuleHandleA(nullptr));
    return figures;
}

void PrintSoakFigures(FILE* out, const SoakOptions& options, const SoakFigures& f) {
    static const char* const kMoves[] = {"answer", "refuse", "wrong atom", "other format", "huge data",
                                         "silence", "duplicate ack", "terminate", "window destroyed"};
    static const char* const kInitiates[] = {"answered", "wrong atoms", "silent"};
    fprintf(out, "seed %llu, answer bound %u ms, margin %u ms\n", static_cast<unsigned long long>(options.seed),
            options.answerMs, options.marginMs);
    fprintf(out, "transactions %llu (after a warm-up of %llu), conversations %llu (%llu refused), calls %llu (%llu succeeded)\n",
            static_cast<unsigned long long>(f.transactions - f.warmUp), static_cast<unsigned long long>(f.warmUp),
            static_cast<unsigned long long>(f.conversations), static_cast<unsigned long long>(f.refusedInits),
            static_cast<unsigned long long>(f.calls), static_cast<unsigned long long>(f.succeeded));
    fprintf(out, "server moves:");
    for (size_t i = 0; i < f.moves.size() && i < 9; ++i) fprintf(out, " %s %llu%s", kMoves[i], static_cast<unsigned long long>(f.moves[i]), i + 1 < f.moves.size() ? "," : "\n");
    fprintf(out, "initiates:");
    for (size_t i = 0; i < f.initiates.size() && i < 3; ++i) fprintf(out, " %s %llu%s", kInitiates[i], static_cast<unsigned long long>(f.initiates[i]), i + 1 < f.initiates.size() ? "," : "\n");
    fprintf(out, "longest call %lu ms (%llu transaction(s)); longest per transaction %lu ms\n",
            static_cast<unsigned long>(f.longestCallMs), static_cast<unsigned long long>(f.longestCallTransactions),
            static_cast<unsigned long>(f.longestPerTransactionMs));
    fprintf(out, "handles %ld -> %ld; heap in use %lld -> %lld; private bytes %lld -> %lld\n", f.handlesBefore,
            f.handlesAfter, f.heapBefore, f.heapAfter, f.privateBefore, f.privateAfter);
    fprintf(out, "atom references:");
    for (size_t i = 0; i < f.atoms.size(); ++i)
        fprintf(out, " \"%s\" %ld -> %ld%s", f.atoms[i].name.c_str(), f.atoms[i].before, f.atoms[i].after,
                i + 1 < f.atoms.size() ? "," : "\n");
    fprintf(out, "failures %d\n", f.failureCount);
    for (const std::string& failure : f.failures) fprintf(out, "  %s\n", failure.c_str());
}

}  // namespace ddesoak
