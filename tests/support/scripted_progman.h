// The one Program Manager stand-in of the tests, the benchmarks and the DDE
// soak: a DDE server window on a thread of its own that answers the
// initiate for "PROGMAN" from windows of its own process only (tests running
// at the same time in the same Wine prefix do not reach it).
//
// Its answers follow a script. Tests and benchmarks queue the steps
// themselves; the server then records every execute string byte for byte
// and every request item. For the soak the script is drawn from a seeded
// generator: each initiate, execute or request gets a move (the proper
// answer, a refusal, an answer carrying a wrong atom or memory handle, data
// in another clipboard format, megabytes of data, silence, a duplicated
// acknowledgement, a terminate, or the destruction of its window, a new one
// taking its place), nothing is recorded, and the server keeps the DDE
// ownership rules itself, so that whatever grows in the process is the
// client's: it deletes the item atom and frees the command memory of every
// transaction it does not answer, and frees its data blocks once posted
// (under Wine the client receives a copy). A wrong atom is one it keeps a
// reference to for its whole life: a client that deletes such an atom makes
// it vanish, which the soak sees.
#pragma once

#include "handles.h"
#include "seeded_random.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zyntest {

enum class Answer {
    kAck,        // execute: positive acknowledgement
    kNack,       // execute or request: negative acknowledgement
    kData,       // request: a data answer (DataAnswer)
    kDataUnterminated,  // the same, its memory block ending without the text's terminator
    kSilence,    // no answer at all
    kTerminate,  // a WM_DDE_TERMINATE instead of an answer
    kVanish,     // terminate, then the server window is destroyed
};

struct DataAnswer {
    WORD format = CF_TEXT;
    bool ackReq = false;
    bool release = true;
    bool noMemory = false;       // data handle 0
    bool lateAck = false;        // a positive acknowledgement of its own follows, as Wine's server
                                 // sends one; it arrives just before the next answer
    std::string text;            // sent with its terminator
};

struct Step {
    Step(Answer a = Answer::kAck, DataAnswer d = {}) : answer(a), data(std::move(d)) {}
    Answer answer;
    DataAnswer data;
};

struct InitiateAnswer {
    InitiateAnswer(bool a = true, std::string app = "PROGMAN", std::string t = "PROGMAN")
        : answer(a), application(std::move(app)), topic(std::move(t)) {}
    bool answer;
    std::string application;
    std::string topic;  // empty: a topic atom of 0
};

// The moves of the seeded script, in the order of the bits of its mask.
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

// Names the seeded script uses for its wrong atoms.
extern const char* const kWrongItemName;
extern const char* const kWrongApplicationName;

class ScriptedProgman {
public:
    explicit ScriptedProgman(InitiateAnswer initiate = {});
    // The seeded script: moves drawn from a generator seeded with seed,
    // among those whose bit is set in moveMask (bit n: the nth Move; a mask
    // naming none allows all).
    ScriptedProgman(uint64_t seed, uint32_t moveMask);
    ~ScriptedProgman();
    ScriptedProgman(const ScriptedProgman&) = delete;
    ScriptedProgman& operator=(const ScriptedProgman&) = delete;

    bool ready() const { return window_ != nullptr; }
    HWND window() const { return window_; }

    // Answers for the next transactions, in order. Without a scripted step an
    // execute is acknowledged and a request answered with the groups
    // Accessories, Main and Tools as CF_TEXT data that the client releases.
    void Script(std::vector<Step> steps);

    // What the server saw, in order: "initiate", "execute:<text>",
    // "request:<item>", "ack:<status hex>:<item>", "terminate".
    std::vector<std::string> Log();
    std::vector<std::string> Executes();
    void ClearLog();
    // The order (over all servers) in which this one answered an initiate; 0 if never.
    int initiateOrder() const { return initiateOrder_; }

    // The seeded script's figures: executes and requests seen so far, the
    // windows destroyed (a conversation with an older window is over), and
    // how often each move was drawn.
    uint64_t transactions() const { return transactions_; }
    uint32_t generation() const { return generation_; }
    uint64_t moveCount(Move move) const { return moves_[static_cast<int>(move)]; }
    uint64_t initiateCount(InitiateMove move) const { return initiates_[static_cast<int>(move)]; }

private:
    void Start();
    static DWORD WINAPI Run(void* self);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool MakeWindow();
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    Step NextStep();
    void Note(const std::string& entry);
    void AnswerInitiate(HWND window, HWND client);
    void AnswerExecute(HWND window, HWND client, LPARAM lParam);
    void AnswerRequest(HWND window, HWND client, ATOM item);
    void PostData(HWND window, HWND client, ATOM item, const DataAnswer& data, bool terminated = true);
    void PostLateAck(HWND window, HWND client);
    // The seeded script's side.
    Move DrawMove();
    void DrawnInitiate(HWND window, HWND client);
    void DrawnExecute(HWND window, HWND client, HGLOBAL command);
    void DrawnRequest(HWND window, HWND client, ATOM item);
    bool PostNoise(HWND window, HWND client, ATOM item, WORD format, size_t textBytes, bool terminated);
    void ReplaceWindow(HWND window);

    InitiateAnswer initiate_;
    HWND window_ = nullptr;  // the current window
    zyn::UniqueKernelHandle thread_;
    zyn::UniqueKernelHandle ready_;
    DWORD threadId_ = 0;
    std::mutex mutex_;
    std::deque<Step> steps_;
    std::vector<std::string> log_;
    std::string groupList_ = "Accessories\r\nMain\r\nTools\r\n";
    int initiateOrder_ = 0;
    ATOM lateAck_ = 0;

    bool seeded_ = false;
    Rng rng_{0};
    uint32_t moveMask_ = ~0u;
    std::atomic<uint64_t> transactions_{0};
    std::atomic<uint32_t> generation_{0};
    std::atomic<uint64_t> moves_[static_cast<int>(Move::kCount)] = {};
    std::atomic<uint64_t> initiates_[static_cast<int>(InitiateMove::kCount)] = {};
    ATOM wrongItem_ = 0;             // one reference held for life
    zyn::UniqueGlobalBlock wrongMemory_;  // never handed over
};

}  // namespace zyntest
