// HostileProgman (hostile_progman.h).
#include "hostile_progman.h"

#include <dde.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace ddesoak {

const char* const kWrongItemName = "ZynSoakWrongItem";
const char* const kWrongApplicationName = "ZynSoakNotProgman";

namespace {

const char kClass[] = "ZynHostileProgman";
constexpr DWORD kThreadWait = 10000;
constexpr WORD kResponse = 0x1000, kRelease = 0x2000, kAckReq = 0x8000, kAckPositive = 0x8000;
// Wine hands a posted data answer over as a copy, and drops one of much
// more than that (2,737,973 bytes were lost without an error, 1,985,449 came
// through): nobody could then release its atom or memory.
constexpr size_t kHugeBytes = 1900000;
const WORD kOtherFormats[] = {CF_BITMAP, CF_UNICODETEXT, CF_OEMTEXT, 0xC123, 0};

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

}  // namespace

HostileProgman::HostileProgman(uint64_t seed) : rng_{seed} {
    if (const char* mask = getenv("ZYN_DDESOAK_MOVES")) moveMask_ = static_cast<uint32_t>(strtoul(mask, nullptr, 16));
    // A mask that names no move would leave DrawMove nothing to draw.
    const uint32_t allMoves = (1u << static_cast<uint32_t>(Move::kCount)) - 1;
    if (!(moveMask_ & allMoves)) moveMask_ = allMoves;
    wrongItem_ = GlobalAddAtomA(kWrongItemName);
    wrongMemory_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 16);
    started_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, Run, this, 0, &threadId_));
    if (thread_) WaitForSingleObject(started_.get(), kThreadWait);
}

HostileProgman::~HostileProgman() {
    if (thread_) {
        PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_.get(), kThreadWait);
    }
    if (wrongMemory_) GlobalFree(wrongMemory_);
    if (wrongItem_) GlobalDeleteAtom(wrongItem_);
}

DWORD WINAPI HostileProgman::Run(void* param) {
    auto* self = static_cast<HostileProgman*>(param);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    self->ready_ = self->MakeWindow();
    SetEvent(self->started_.get());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (self->window_) DestroyWindow(self->window_);
    return 0;
}

bool HostileProgman::MakeWindow() {
    window_ = CreateWindowExA(0, kClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr),
                              this);
    return window_ != nullptr;
}

LRESULT CALLBACK HostileProgman::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<HostileProgman*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message >= WM_DDE_FIRST && message <= WM_DDE_LAST) return self->Handle(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT HostileProgman::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND client = reinterpret_cast<HWND>(wParam);
    switch (message) {
    case WM_DDE_INITIATE: Initiate(window, client, lParam); break;
    case WM_DDE_EXECUTE: Execute(window, client, reinterpret_cast<HGLOBAL>(lParam)); break;
    case WM_DDE_REQUEST: {
        UINT_PTR format = 0, item = 0;
        if (UnpackDDElParam(WM_DDE_REQUEST, lParam, &format, &item)) FreeDDElParam(WM_DDE_REQUEST, lParam);
        Request(window, client, static_cast<ATOM>(item));
        break;
    }
    case WM_DDE_ACK: Acknowledged(lParam); break;
    case WM_DDE_TERMINATE:
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0);
        break;
    }
    return 0;
}

void HostileProgman::Initiate(HWND window, HWND client, LPARAM lParam) {
    DWORD pid = 0;
    GetWindowThreadProcessId(client, &pid);
    if (pid != GetCurrentProcessId() || _stricmp(AtomName(LOWORD(lParam)).c_str(), "PROGMAN") != 0) return;
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

// A move of the mask ZYN_DDESOAK_MOVES (bit n: the nth of Move; all when
// unset), to run one misbehaviour alone.
Move HostileProgman::DrawMove() {
    for (;;) {
        const uint32_t m = rng_.Below(static_cast<uint32_t>(Move::kCount));
        if (moveMask_ & (1u << m)) return static_cast<Move>(m);
    }
}

void HostileProgman::Execute(HWND window, HWND client, HGLOBAL command) {
    ++transactions_;
    const Move move = DrawMove();
    ++moves_[static_cast<int>(move)];
    bool handedBack = false;  // the command memory went back to the client with an acknowledgement
    switch (move) {
    case Move::kAnswer:
    case Move::kHugeData: handedBack = PostAck(client, window, kAckPositive, reinterpret_cast<UINT_PTR>(command)); break;
    case Move::kRefuse: handedBack = PostAck(client, window, 0, reinterpret_cast<UINT_PTR>(command)); break;
    case Move::kDuplicateAck:
        handedBack = PostAck(client, window, kAckPositive, reinterpret_cast<UINT_PTR>(command));
        if (handedBack) PostAck(client, window, kAckPositive, reinterpret_cast<UINT_PTR>(command));
        break;
    case Move::kWrongAtom: PostAck(client, window, kAckPositive, reinterpret_cast<UINT_PTR>(wrongMemory_)); break;
    case Move::kOtherFormat:
        PostData(window, client, GlobalAddAtomA(kWrongItemName), CF_TEXT, 16, true);
        break;
    case Move::kSilence: break;
    case Move::kTerminate: PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0); break;
    case Move::kDestroyWindow: Destroy(window); break;
    case Move::kCount: break;
    }
    if (!handedBack) GlobalFree(command);
}

void HostileProgman::Request(HWND window, HWND client, ATOM item) {
    ++transactions_;
    const Move move = DrawMove();
    ++moves_[static_cast<int>(move)];
    bool handedBack = false;  // the item atom's reference went back to the client
    const size_t listBytes = 40;
    switch (move) {
    case Move::kAnswer: handedBack = PostData(window, client, item, CF_TEXT, listBytes, true); break;
    case Move::kRefuse: handedBack = PostAck(client, window, 0, item); break;
    case Move::kWrongAtom:
        PostData(window, client, GlobalAddAtomA(kWrongItemName), CF_TEXT, listBytes, true);
        break;
    case Move::kOtherFormat:
        handedBack = PostData(window, client, item, kOtherFormats[rng_.Below(5)], listBytes, rng_.Below(2));
        break;
    case Move::kHugeData:
        handedBack = PostData(window, client, item, CF_TEXT, 1 + rng_.Below(kHugeBytes), rng_.Below(2));
        break;
    case Move::kDuplicateAck:
        // The data, then a positive acknowledgement that carries no reference
        // of its own (Wine's server sends one after each data answer).
        handedBack = PostData(window, client, item, CF_TEXT, listBytes, true);
        if (handedBack) PostAck(client, window, kAckPositive, item);
        break;
    case Move::kSilence: break;
    case Move::kTerminate: PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window), 0); break;
    case Move::kDestroyWindow: Destroy(window); break;
    case Move::kCount: break;
    }
    if (!handedBack) GlobalDeleteAtom(item);
}

// Sends textBytes of group-list-like text under item (whose reference goes
// with the message); flags drawn at random. False when it could not be
// posted, everything then released here.
bool HostileProgman::PostData(HWND window, HWND client, ATOM item, WORD format, size_t textBytes, bool terminated) {
    // The client's copy of a block it must not free (fRelease clear) or
    // refuses is lost under Wine: tens of bytes per answer. Megabytes are
    // always released, so that a client that keeps them shows.
    const bool release = textBytes > 4096 || rng_.Below(4) != 0, ackReq = rng_.Below(2) != 0;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 4 + textBytes + (terminated ? 1 : 0));
    auto* p = block ? static_cast<BYTE*>(GlobalLock(block)) : nullptr;
    if (!p) {
        if (block) GlobalFree(block);
        GlobalDeleteAtom(item);
        return false;
    }
    const WORD flags = kResponse | (ackReq ? kAckReq : 0) | (release ? kRelease : 0);
    memcpy(p, &flags, 2);
    memcpy(p + 2, &format, 2);
    static const char kLine[] = "Soak A\r\nSoak B\r\nMain\r\n";
    for (size_t i = 0; i < textBytes; ++i) p[4 + i] = static_cast<BYTE>(kLine[i % (sizeof kLine - 1)]);
    if (terminated) p[4 + textBytes] = 0;
    GlobalUnlock(block);
    const LPARAM lParam = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(block), item);
    if (!PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(window), lParam)) {
        FreeDDElParam(WM_DDE_DATA, lParam);
        GlobalFree(block);
        GlobalDeleteAtom(item);
        return false;
    }
    // Wine hands the client a copy of the block (the handle the client
    // gets differs), so the original is this server's to free once posted,
    // whatever the flags say.
    GlobalFree(block);
    return true;
}

// An acknowledgement of data: its atom's reference is this server's.
void HostileProgman::Acknowledged(LPARAM lParam) {
    UINT_PTR status = 0, value = 0;
    if (!UnpackDDElParam(WM_DDE_ACK, lParam, &status, &value)) return;
    FreeDDElParam(WM_DDE_ACK, lParam);
    GlobalDeleteAtom(static_cast<ATOM>(value));
}

void HostileProgman::Destroy(HWND window) {
    ++generation_;
    DestroyWindow(window);
    MakeWindow();
}

}  // namespace ddesoak
