// A misbehaving Program Manager: a DDE server window on a thread of its own
// that answers "PROGMAN" for windows of this process only, and answers each
// execute or request with a move drawn from a seeded generator: the proper
// answer, a refusal, an answer carrying a wrong atom or memory handle, data
// in another clipboard format, megabytes of data, silence, a duplicated
// acknowledgement, a terminate, or the destruction of its window (a new one
// takes its place for the next conversation).
//
// It keeps the DDE ownership rules itself, so that whatever grows in the
// process is the client's: it deletes the item atom and frees the command
// memory of every transaction it does not answer, and frees its data blocks
// once posted (under Wine the client receives a copy). A wrong
// atom is one it keeps a reference to for its whole life: a client that
// deletes such an atom makes it vanish, which the soak sees.
#pragma once

#include "handles.h"
#include "seeded_random.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace ddesoak {

using zyntest::Rng;

enum class Move {
    kAnswer,         // acknowledgement of an execute, CF_TEXT data for a request
    kRefuse,         // negative acknowledgement
    kWrongAtom,      // execute: ack of another memory block; request: data for another item
    kOtherFormat,    // request: data in a format other than CF_TEXT; execute: data instead of an ack
    kHugeData,       // request: up to 1.9 MB of text, terminated or not; execute: answered
    kSilence,
    kDuplicateAck,   // the answer, then the same acknowledgement again
    kTerminate,      // WM_DDE_TERMINATE instead of an answer
    kDestroyWindow,  // the window is destroyed without a word and replaced
    kCount
};

enum class InitiateMove { kAnswer, kWrongAtoms, kSilence, kCount };

// Names the server uses for its wrong atoms; the soak counts them too.
extern const char* const kWrongItemName;
extern const char* const kWrongApplicationName;

class HostileProgman {
public:
    explicit HostileProgman(uint64_t seed);
    ~HostileProgman();
    HostileProgman(const HostileProgman&) = delete;
    HostileProgman& operator=(const HostileProgman&) = delete;

    bool ready() const { return ready_; }
    // Executes and requests seen so far.
    uint64_t transactions() const { return transactions_; }
    // Bumped whenever the window is destroyed: a conversation with an older
    // window is over.
    uint32_t generation() const { return generation_; }
    uint64_t moveCount(Move move) const { return moves_[static_cast<int>(move)]; }
    uint64_t initiateCount(InitiateMove move) const { return initiates_[static_cast<int>(move)]; }

private:
    static DWORD WINAPI Run(void* self);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool MakeWindow();
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Initiate(HWND window, HWND client, LPARAM lParam);
    void Execute(HWND window, HWND client, HGLOBAL command);
    void Request(HWND window, HWND client, ATOM item);
    void Acknowledged(LPARAM lParam);
    bool PostData(HWND window, HWND client, ATOM item, WORD format, size_t textBytes, bool terminated);
    Move DrawMove();
    void Destroy(HWND window);

    Rng rng_;
    zyn::UniqueKernelHandle thread_;
    zyn::UniqueKernelHandle started_;
    DWORD threadId_ = 0;
    std::atomic<bool> ready_{false};
    std::atomic<uint64_t> transactions_{0};
    std::atomic<uint32_t> generation_{0};
    std::atomic<uint64_t> moves_[static_cast<int>(Move::kCount)] = {};
    std::atomic<uint64_t> initiates_[static_cast<int>(InitiateMove::kCount)] = {};
    uint32_t moveMask_ = ~0u;
    HWND window_ = nullptr;      // the current window; the server thread's only
    ATOM wrongItem_ = 0;         // one reference held for life
    HGLOBAL wrongMemory_ = nullptr;  // never handed over
};

}  // namespace ddesoak
