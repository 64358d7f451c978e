// ScriptedProgman (scripted_progman.h).
#include "scripted_progman.h"

#include <dde.h>

#include <cstdio>
#include <cstring>

namespace zyntest {

const char* const kWrongItemName = "ZynSoakWrongItem";
const char* const kWrongApplicationName = "ZynSoakNotProgman";

namespace {

const char kClass[] = "ZynScriptedProgman";
constexpr DWORD kThreadWait = 10000;
constexpr WORD kResponse = 0x1000, kRelease = 0x2000, kAckReq = 0x8000, kAckPositive = 0x8000;
// Wine hands a posted data answer over as a copy, and drops one of much
// more than that (2,737,973 bytes were lost without an error, 1,985,449 came
// through): nobody could then release its atom or memory.
constexpr size_t kHugeBytes = 1900000;
constexpr size_t kListBytes = 40;
const WORD kOtherFormats[] = {CF_BITMAP, CF_UNICODETEXT, CF_OEMTEXT, 0xC123, 0};
std::atomic<int> initiateAnswers{0};

std::string AtomName(ATOM atom) {
    char name[256] = "";
    if (atom) GlobalGetAtomNameA(atom, name, sizeof name);
    return name;
}

bool PostAck(HWND to, HWND from, WORD status, UINT_PTR value) {
    const LPARAM lParam = PackDDElParam(WM_DDE_ACK, status, value);
    if (PostMessageA(to, WM_DDE_ACK, reinterpret_cast<WPARAM>(from), lParam)) return true;
    FreeDDElParam(WM_DDE_ACK, lParam);
    return false;
}

void PostTerminate(HWND to, HWND from) { PostMessageA(to, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(from), 0); }

// Silence, a terminate, or a terminate and the window gone: true for the
// steps that answer nothing.
bool EndsWithoutAnswer(HWND window, HWND client, Answer answer) {
    if (answer == Answer::kTerminate || answer == Answer::kVanish) PostTerminate(client, window);
    if (answer == Answer::kVanish) DestroyWindow(window);
    return answer == Answer::kSilence || answer == Answer::kTerminate || answer == Answer::kVanish;
}

}  // namespace

ScriptedProgman::ScriptedProgman(InitiateAnswer initiate) : initiate_(std::move(initiate)) { Start(); }

ScriptedProgman::ScriptedProgman(uint64_t seed, uint32_t moveMask) : seeded_(true), rng_{seed} {
    // A mask that names no move would leave DrawMove nothing to draw.
    const uint32_t allMoves = (1u << static_cast<uint32_t>(Move::kCount)) - 1;
    moveMask_ = moveMask & allMoves ? moveMask : allMoves;
    wrongItem_ = GlobalAddAtomA(kWrongItemName);
    wrongMemory_.reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 16));
    Start();
}

void ScriptedProgman::Start() {
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, Run, this, 0, &threadId_));
    if (thread_) WaitForSingleObject(ready_.get(), kThreadWait);
}

ScriptedProgman::~ScriptedProgman() {
    if (thread_) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_.get(), kThreadWait);
    }
    if (wrongItem_) GlobalDeleteAtom(wrongItem_);
}

DWORD WINAPI ScriptedProgman::Run(void* param) {
    auto* self = static_cast<ScriptedProgman*>(param);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);  // a second server finds it registered
    self->MakeWindow();
    SetEvent(self->ready_.get());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (IsWindow(self->window_)) DestroyWindow(self->window_);
    return 0;
}

bool ScriptedProgman::MakeWindow() {
    window_ = CreateWindowExA(0, kClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                              this);
    return window_ != nullptr;
}

LRESULT CALLBACK ScriptedProgman::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<ScriptedProgman*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message >= WM_DDE_FIRST && message <= WM_DDE_LAST) return self->Handle(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT ScriptedProgman::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND client = reinterpret_cast<HWND>(wParam);
    switch (message) {
    case WM_DDE_INITIATE: {
        DWORD pid = 0;
        GetWindowThreadProcessId(client, &pid);
        if (pid != GetCurrentProcessId() || _stricmp(AtomName(LOWORD(lParam)).c_str(), "PROGMAN") != 0) return 0;
        if (seeded_) DrawnInitiate(window, client);
        else AnswerInitiate(window, client);
        return 0;
    }
    case WM_DDE_EXECUTE:
        if (seeded_) DrawnExecute(window, client, reinterpret_cast<HGLOBAL>(lParam));
        else AnswerExecute(window, client, lParam);
        return 0;
    case WM_DDE_REQUEST: {
        UINT_PTR format = 0, item = 0;
        if (UnpackDDElParam(WM_DDE_REQUEST, lParam, &format, &item)) FreeDDElParam(WM_DDE_REQUEST, lParam);
        if (seeded_) DrawnRequest(window, client, static_cast<ATOM>(item));
        else AnswerRequest(window, client, static_cast<ATOM>(item));
        return 0;
    }
    case WM_DDE_ACK: {  // of data: the acknowledgement hands the atom back
        UINT_PTR status = 0, item = 0;
        if (!UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item)) return 0;
        FreeDDElParam(WM_DDE_ACK, lParam);
        if (!seeded_) {
            char entry[300];
            snprintf(entry, sizeof entry, "ack:%04x:%s", static_cast<unsigned>(status),
                     AtomName(static_cast<ATOM>(item)).c_str());
            Note(entry);
        }
        GlobalDeleteAtom(static_cast<ATOM>(item));
        return 0;
    }
    case WM_DDE_TERMINATE:
        if (!seeded_) Note("terminate");
        PostTerminate(client, window);
        return 0;
    }
    return 0;
}

void ScriptedProgman::AnswerInitiate(HWND window, HWND client) {
    Note("initiate");
    if (!initiate_.answer) return;
    const ATOM application = GlobalAddAtomA(initiate_.application.c_str());
    const ATOM topic = initiate_.topic.empty() ? 0 : GlobalAddAtomA(initiate_.topic.c_str());
    initiateOrder_ = ++initiateAnswers;
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window), MAKELPARAM(application, topic));
}

void ScriptedProgman::AnswerExecute(HWND window, HWND client, LPARAM lParam) {
    HGLOBAL memory = reinterpret_cast<HGLOBAL>(lParam);
    std::string text;
    {
        zyn::GlobalLockScope lock(memory);
        if (const char* p = static_cast<const char*>(lock.get())) text.assign(p, strnlen(p, GlobalSize(memory)));
    }
    Note("execute:" + text);
    PostLateAck(window, client);
    const Step step = NextStep();
    if (EndsWithoutAnswer(window, client, step.answer)) return;
    switch (step.answer) {
    case Answer::kAck:
    case Answer::kData:
    case Answer::kDataUnterminated: PostAck(client, window, kAckPositive, reinterpret_cast<UINT_PTR>(memory)); break;
    case Answer::kNack: PostAck(client, window, 0, reinterpret_cast<UINT_PTR>(memory)); break;
    default: break;  // no answer (EndsWithoutAnswer)
    }
}

void ScriptedProgman::AnswerRequest(HWND window, HWND client, ATOM item) {
    Note("request:" + AtomName(item));
    PostLateAck(window, client);
    Step step = NextStep();
    if (EndsWithoutAnswer(window, client, step.answer)) return;
    switch (step.answer) {
    case Answer::kAck: {  // nothing scripted: the group list
        std::lock_guard<std::mutex> lock(mutex_);
        step.data.text = groupList_;
    }
        PostData(window, client, item, step.data);
        break;
    case Answer::kData: PostData(window, client, item, step.data); break;
    case Answer::kDataUnterminated: PostData(window, client, item, step.data, false); break;
    case Answer::kNack: PostAck(client, window, 0, item); break;
    default: break;  // no answer (EndsWithoutAnswer)
    }
}

// The data memory is left to the client (it releases what fRelease marks).
void ScriptedProgman::PostData(HWND window, HWND client, ATOM item, const DataAnswer& data, bool terminated) {
    zyn::UniqueGlobalBlock memory;
    if (!data.noMemory) {
        memory.reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 4 + data.text.size() + (terminated ? 1 : 0)));
        zyn::GlobalLockScope lock(memory.get());
        auto* p = static_cast<BYTE*>(lock.get());
        const WORD flags = kResponse | (data.ackReq ? kAckReq : 0) | (data.release ? kRelease : 0);
        memcpy(p, &flags, 2);
        memcpy(p + 2, &data.format, 2);
        memcpy(p + 4, data.text.c_str(), data.text.size() + (terminated ? 1 : 0));
    }
    const LPARAM lParam = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(memory.get()), item);
    if (!PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(window), lParam)) {
        FreeDDElParam(WM_DDE_DATA, lParam);
        return;
    }
    memory.release();
    if (data.lateAck) lateAck_ = item;
}

void ScriptedProgman::PostLateAck(HWND window, HWND client) {
    if (lateAck_) PostAck(client, window, kAckPositive, lateAck_);
    lateAck_ = 0;
}

Step ScriptedProgman::NextStep() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (steps_.empty()) return Step{};
    Step step = steps_.front();
    steps_.pop_front();
    return step;
}

void ScriptedProgman::Script(std::vector<Step> steps) {
    std::lock_guard<std::mutex> lock(mutex_);
    steps_.assign(steps.begin(), steps.end());
}

void ScriptedProgman::Note(const std::string& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(entry);
}

std::vector<std::string> ScriptedProgman::Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
}

std::vector<std::string> ScriptedProgman::Executes() {
    std::vector<std::string> executes;
    for (const std::string& entry : Log())
        if (entry.compare(0, 8, "execute:") == 0) executes.push_back(entry.substr(8));
    return executes;
}

void ScriptedProgman::ClearLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.clear();
}

// The seeded script's side.

void ScriptedProgman::DrawnInitiate(HWND window, HWND client) {
    const auto move = static_cast<InitiateMove>(rng_.Below(10) < 8 ? 0 : 1 + rng_.Below(2));
    ++initiates_[static_cast<int>(move)];
    if (move == InitiateMove::kSilence) return;
    // The acknowledgement of an initiate carries new atoms for the client to delete.
    const bool wrongApplication = move == InitiateMove::kWrongAtoms && rng_.Below(2);
    const ATOM application = GlobalAddAtomA(wrongApplication ? kWrongApplicationName : "PROGMAN");
    const ATOM topic = GlobalAddAtomA(move == InitiateMove::kWrongAtoms && !wrongApplication ? kWrongApplicationName
                                                                                            : "PROGMAN");
    SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window), MAKELPARAM(application, topic));
}

Move ScriptedProgman::DrawMove() {
    for (;;) {
        const uint32_t m = rng_.Below(static_cast<uint32_t>(Move::kCount));
        if (moveMask_ & (1u << m)) return static_cast<Move>(m);
    }
}

void ScriptedProgman::DrawnExecute(HWND window, HWND client, HGLOBAL command) {
    ++transactions_;
    const Move move = DrawMove();
    ++moves_[static_cast<int>(move)];
    const auto memory = reinterpret_cast<UINT_PTR>(command);
    bool handedBack = false;  // the command memory went back to the client with an acknowledgement
    switch (move) {
    case Move::kAnswer:
    case Move::kHugeData: handedBack = PostAck(client, window, kAckPositive, memory); break;
    case Move::kRefuse: handedBack = PostAck(client, window, 0, memory); break;
    case Move::kDuplicateAck:
        handedBack = PostAck(client, window, kAckPositive, memory);
        if (handedBack) PostAck(client, window, kAckPositive, memory);
        break;
    case Move::kWrongAtom: PostAck(client, window, kAckPositive, reinterpret_cast<UINT_PTR>(wrongMemory_.get())); break;
    case Move::kOtherFormat: PostNoise(window, client, GlobalAddAtomA(kWrongItemName), CF_TEXT, 16, true); break;
    case Move::kSilence: break;
    case Move::kTerminate: PostTerminate(client, window); break;
    case Move::kDestroyWindow: ReplaceWindow(window); break;
    case Move::kCount: break;
    }
    if (!handedBack) GlobalFree(command);
}

void ScriptedProgman::DrawnRequest(HWND window, HWND client, ATOM item) {
    ++transactions_;
    const Move move = DrawMove();
    ++moves_[static_cast<int>(move)];
    bool handedBack = false;  // the item atom's reference went back to the client
    switch (move) {
    case Move::kAnswer: handedBack = PostNoise(window, client, item, CF_TEXT, kListBytes, true); break;
    case Move::kRefuse: handedBack = PostAck(client, window, 0, item); break;
    case Move::kWrongAtom: PostNoise(window, client, GlobalAddAtomA(kWrongItemName), CF_TEXT, kListBytes, true); break;
    case Move::kOtherFormat:
        handedBack = PostNoise(window, client, item, kOtherFormats[rng_.Below(5)], kListBytes, rng_.Below(2));
        break;
    case Move::kHugeData:
        handedBack = PostNoise(window, client, item, CF_TEXT, 1 + rng_.Below(kHugeBytes), rng_.Below(2));
        break;
    case Move::kDuplicateAck:
        // The data, then a positive acknowledgement that carries no reference
        // of its own (Wine's server sends one after each data answer).
        handedBack = PostNoise(window, client, item, CF_TEXT, kListBytes, true);
        if (handedBack) PostAck(client, window, kAckPositive, item);
        break;
    case Move::kSilence: break;
    case Move::kTerminate: PostTerminate(client, window); break;
    case Move::kDestroyWindow: ReplaceWindow(window); break;
    case Move::kCount: break;
    }
    if (!handedBack) GlobalDeleteAtom(item);
}

// Sends textBytes of group-list-like text under item (whose reference goes
// with the message); flags drawn at random. False when it could not be
// posted, everything then released here.
bool ScriptedProgman::PostNoise(HWND window, HWND client, ATOM item, WORD format, size_t textBytes,
                                bool terminated) {
    // The client's copy of a block it must not free (fRelease clear) or
    // refuses is lost under Wine: tens of bytes per answer. Megabytes are
    // always released, so that a client that keeps them shows.
    const bool release = textBytes > 4096 || rng_.Below(4) != 0, ackReq = rng_.Below(2) != 0;
    // Wine hands the client a copy of the block (the handle the client
    // gets differs), so the original is this server's to free once posted,
    // whatever the flags say.
    zyn::UniqueGlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 4 + textBytes + (terminated ? 1 : 0)));
    {
        zyn::GlobalLockScope lock(block.get());
        auto* p = static_cast<BYTE*>(lock.get());
        if (!p) {
            GlobalDeleteAtom(item);
            return false;
        }
        const WORD flags = kResponse | (ackReq ? kAckReq : 0) | (release ? kRelease : 0);
        memcpy(p, &flags, 2);
        memcpy(p + 2, &format, 2);
        static const char kLine[] = "Soak A\r\nSoak B\r\nMain\r\n";
        for (size_t i = 0; i < textBytes; ++i) p[4 + i] = static_cast<BYTE>(kLine[i % (sizeof kLine - 1)]);
        if (terminated) p[4 + textBytes] = 0;
    }
    const LPARAM lParam = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(block.get()), item);
    if (!PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(window), lParam)) {
        FreeDDElParam(WM_DDE_DATA, lParam);
        GlobalDeleteAtom(item);
        return false;
    }
    return true;
}

void ScriptedProgman::ReplaceWindow(HWND window) {
    ++generation_;
    DestroyWindow(window);
    MakeWindow();
}

}  // namespace zyntest
