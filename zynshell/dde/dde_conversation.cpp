// The conversation of a DdeProgramManager with Program Manager: the object's
// construction and destruction, the three transactions and the handling of
// the answers that the window procedure passes in (dde_program_manager.h).
//
// Answers are matched to the transaction they belong to: an execute by the
// command memory its acknowledgement hands back, a request by its item atom.
// Anything else that arrives is a late answer of an earlier transaction and
// is only cleaned up. This matters with Wine's DDE server, which follows
// every data answer with a positive acknowledgement of its own: taken as the
// answer to the next transaction it would end that one early and pass a
// foreign value to GlobalFree.
#include "dde/dde_program_manager.h"

#include <dde.h>

#include <cstring>

#include "bounded.h"
#include "handles.h"
#include "model/platform.h"
#include "dde/dde_window.h"

namespace zynshell {

namespace {

constexpr DWORD kConversationStyle = 0x00FF0000;  // WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL
constexpr WORD kAckPositive = 0x8000;          // fAck of an acknowledgement's status
constexpr WORD kDataAckRequired = 0x8000;      // fAckReq of a data answer
constexpr WORD kDataRelease = 0x2000;          // fRelease of a data answer
constexpr SIZE_T kDataHeaderSize = 4;          // flag word and clipboard format
constexpr int kLateAnswerLimit = 64;           // messages looked at before a transaction

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&DdeWindowProc), &module);
    return module;
}

// The high word of an acknowledgement's lParam carries its atom or memory;
// on 64-bit Windows a packed lParam is a pointer, so everything above the
// low word counts.
bool HighWordIsZero(LPARAM lParam) { return (static_cast<ULONG_PTR>(lParam) >> 16) == 0; }

bool PostAck(HWND to, HWND from, WORD status, ATOM item) {
    const LPARAM lParam = PackDDElParam(WM_DDE_ACK, status, item);
    if (PostMessageA(to, WM_DDE_ACK, reinterpret_cast<WPARAM>(from), lParam)) return true;
    FreeDDElParam(WM_DDE_ACK, lParam);
    return false;
}

}  // namespace

DdeProgramManager::DdeProgramManager(int16_t ntFlagArg, int32_t platformKindArg)
    : ProgmanRules(kBackendDde, ntFlagArg != 0 ? 1 : 0, platformKindArg) {
    window_.reset(CreateWindowExA(0, "zynshell", "", kConversationStyle, -1, -1, -1, -1, nullptr, nullptr,
                                  ThisModule(), nullptr));
    if (!window_) throw ZynException();
    serverWindow = nullptr;
    ackTimeout = kAckTimeout;
    if (!progmanAtom) progmanAtom = GlobalAddAtomA(applicationName_);

    ReadStartupGroupName();
    if (platformKind == kPlatformNt4) {
        ReadRoot(kProgramsRoot, "Programs", 0, kShellFoldersKey);
        ReadRoot(kCommonProgramsRoot, "Common Programs", 1, kShellFoldersKey);
    }
    // The base destructor frees the strings, the member the window.
    if (!startup() || (platformKind == kPlatformNt4 && (!programs() || !commonPrograms())))
        throw ZynException();
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

DdeProgramManager* DdeProgramManager::OfWindow(HWND window) {
    return reinterpret_cast<DdeProgramManager*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

DdeProgramManager::~DdeProgramManager() {
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
    if (serverWindow) EndConversation();
    GlobalDeleteAtom(progmanAtom);
    window_.reset();
}

// Posts the terminate and waits, bounded, for the server's: answers it sent
// before that (a late answer of a transaction that gave up waiting) are
// released here as late answers instead of being lost with the window,
// together with their atoms and memory.
void DdeProgramManager::EndConversation() {
    HWND window = window_.get();
    awaitedMessage = 0;
    const bool posted = PostMessageA(serverWindow, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window),
                                     MAKELPARAM(progmanAtom, progmanAtom)) != 0;
    const DWORD bound = !posted ? 0 : answerTimeout < kTerminateWait ? answerTimeout : kTerminateWait;
    const DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, window, WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE)) {
            if (msg.message == WM_DDE_TERMINATE && reinterpret_cast<HWND>(msg.wParam) == serverWindow && posted)
                return;
            // By now the window no longer leads the window procedure here.
            dispatchingPosted_ = true;
            if (msg.message == WM_DDE_ACK) OnAck(reinterpret_cast<HWND>(msg.wParam), msg.lParam);
            else if (msg.message == WM_DDE_DATA) OnData(reinterpret_cast<HWND>(msg.wParam), msg.lParam);
            dispatchingPosted_ = false;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= bound) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, bound - elapsed, QS_POSTMESSAGE);
    }
}

int DdeProgramManager::ListSubFolders(ProgramFolder*) { return Request("GROUPS"); }

int DdeProgramManager::Initiate() { return Transact(WM_DDE_INITIATE, applicationName_); }

int DdeProgramManager::Request(const char* item) {
    if (!serverWindow) {
        lastError = kErrNoConversation;
        return 0;
    }
    if (!item || !*item) {
        lastError = kErrEmptyName;
        return 0;
    }
    memset(infoBuffer(), ' ', kInfoBufferSize);
    infoAvailable = 0;
    infoCursor = nullptr;
    if (Transact(WM_DDE_REQUEST, item)) return 1;
    FailRequest();
    return 0;
}

// A failed request leaves no text to read.
void DdeProgramManager::FailRequest() {
    infoBuffer()[0] = '\0';
    infoAvailable = 0;
    infoCursor = nullptr;
}

int DdeProgramManager::Execute(const char* command) { return Transact(WM_DDE_EXECUTE, command); }

int DdeProgramManager::Transact(UINT message, const char* text) {
    if (message != WM_DDE_INITIATE) DiscardLateAnswers();
    awaitedMessage = message;
    transactionFailed = 0;
    if (!PostTransaction(message, text)) {
        awaitedMessage = 0;
        return 0;
    }
    if (message == WM_DDE_INITIATE) {
        // Servers acknowledge an initiate with a sent message, so every
        // answer has come in by the time the broadcast returns.
        if (awaitedMessage) transactionFailed = 1;
        awaitedMessage = 0;
    } else if (!transactionFailed) {
        WaitForAnswer();
    }
    pendingItem_ = 0;
    pendingCommand_ = nullptr;
    if (transactionFailed) {
        lastError = kErrDdeFailed;
        return 0;
    }
    return 1;
}

bool DdeProgramManager::PostTransaction(UINT message, const char* text) {
    const WPARAM self = reinterpret_cast<WPARAM>(window_.get());
    switch (message) {
    case WM_DDE_INITIATE: {
        // The atom stays registered, so that later broadcasts and progmanAtom
        // keep comparing equal.
        const ATOM name = GlobalAddAtomA(text);
        if (!name) break;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, self, MAKELPARAM(name, name), SMTO_ABORTIFHUNG,
                            ackTimeout, &ignored);
        return true;
    }
    case WM_DDE_REQUEST: {
        const ATOM item = GlobalAddAtomA(text);  // fails for an item over 255 characters
        if (!item) break;
        pendingItem_ = item;
        if (PostMessageA(serverWindow, WM_DDE_REQUEST, self, PackDDElParam(WM_DDE_REQUEST, CF_TEXT, item)))
            return true;
        GlobalDeleteAtom(item);
        pendingItem_ = 0;
        break;
    }
    case WM_DDE_EXECUTE: {
        const size_t cb = strlen(text) + 1;
        zyn::UniqueGlobalBlock memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, cb));
        {
            zyn::GlobalLockScope copy(memory.get());
            if (!copy.get()) {
                lastError = kErrGlobalMemory;
                return false;
            }
            memcpy(copy.get(), text, cb);
        }
        pendingCommand_ = memory.get();
        if (PostMessageA(serverWindow, WM_DDE_EXECUTE, self, reinterpret_cast<LPARAM>(memory.get()))) {
            memory.release();  // the server's now, until its acknowledgement hands it back
            return true;
        }
        pendingCommand_ = nullptr;
        break;
    }
    }
    lastError = kErrDdeFailed;
    return false;
}

// Waits for the answer, dispatching the conversation window's messages. A
// WM_TIMER with identifier 0 ends the wait as well, without failure; the
// wait's own timer, after answerTimeout, ends it as a failure.
void DdeProgramManager::WaitForAnswer() {
    HWND window = window_.get();
    timerId_ = timerId_ % 0xFFFF + 1;  // never 0; a stale tick of an earlier wait is not taken for this one
    if (!SetTimer(window, timerId_, answerTimeout, nullptr)) {
        transactionFailed = 1;
        awaitedMessage = 0;
        return;
    }
    bool expired = false;
    MSG msg;
    while (awaitedMessage != 0) {
        const BOOL got = GetMessageA(&msg, window, 0, 0);
        if (got == 0 || got == -1) break;
        if (msg.message == WM_TIMER && msg.wParam == 0) break;
        if (msg.message == WM_TIMER && msg.wParam == timerId_) {
            expired = true;
            break;
        }
        TranslateMessage(&msg);
        DispatchPosted(msg);
        if (transactionFailed) break;
    }
    KillTimer(window, timerId_);
    if (expired) {
        transactionFailed = 1;
        awaitedMessage = 0;
    }
}

// Answers that came in while no transaction waited are handled before the
// next one starts, as answers to nothing.
void DdeProgramManager::DiscardLateAnswers() {
    awaitedMessage = 0;
    MSG msg;
    for (int i = 0; i < kLateAnswerLimit &&
                    PeekMessageA(&msg, window_.get(), WM_DDE_FIRST, WM_DDE_LAST, PM_REMOVE);
         ++i)
        DispatchPosted(msg);
}

// Posted acknowledgements carry a packed lParam; one sent on this thread
// (as an initiate acknowledgement is) carries raw atoms and must not be
// unpacked or freed. Only messages taken from the queue here are known to
// have been posted.
void DdeProgramManager::DispatchPosted(const MSG& msg) {
    dispatchingPosted_ = true;
    DispatchMessageA(&msg);
    dispatchingPosted_ = false;
}

void DdeProgramManager::OnAck(HWND sender, LPARAM lParam) {
    switch (awaitedMessage) {
    case WM_DDE_INITIATE: {
        const ATOM application = LOWORD(lParam), topic = HIWORD(lParam);
        if (application == progmanAtom && topic == progmanAtom) serverWindow = sender;
        else transactionFailed = 1;
        if (application) GlobalDeleteAtom(application);
        if (topic) GlobalDeleteAtom(topic);
        break;
    }
    case WM_DDE_REQUEST:
    case WM_DDE_EXECUTE: {
        UINT_PTR status = 0, value = 0;
        if (!dispatchingPosted_ || !UnpackDDElParam(WM_DDE_ACK, lParam, &status, &value)) return;
        FreeDDElParam(WM_DDE_ACK, lParam);
        const bool positive = (status & kAckPositive) != 0;
        if (awaitedMessage == WM_DDE_EXECUTE) {
            if (reinterpret_cast<HGLOBAL>(value) != pendingCommand_) return;  // a late answer
            GlobalFree(pendingCommand_);
            pendingCommand_ = nullptr;
        } else {
            // A request is answered with data or a negative acknowledgement,
            // which hands the item atom back.
            if (static_cast<ATOM>(value) != pendingItem_ || positive) return;
            GlobalDeleteAtom(pendingItem_);
            pendingItem_ = 0;
        }
        if (!positive) transactionFailed = 1;
        break;
    }
    default:  // no transaction waits: a late answer, of which only its packing is ours
        if (dispatchingPosted_) FreeDDElParam(WM_DDE_ACK, lParam);
        break;
    }
    awaitedMessage = 0;
    if (HighWordIsZero(lParam)) transactionFailed = 1;
}

void DdeProgramManager::OnData(HWND sender, LPARAM lParam) {
    UINT_PTR memoryValue = 0, itemValue = 0;
    if (!UnpackDDElParam(WM_DDE_DATA, lParam, &memoryValue, &itemValue)) return;
    FreeDDElParam(WM_DDE_DATA, lParam);
    HGLOBAL data = reinterpret_cast<HGLOBAL>(memoryValue);
    const ATOM item = static_cast<ATOM>(itemValue);

    if (awaitedMessage != WM_DDE_REQUEST || item != pendingItem_) {
        ReleaseLateData(sender, data, item);
        return;
    }
    awaitedMessage = 0;
    pendingItem_ = 0;
    if (!data) {  // the request succeeds without text
        infoAvailable = 0;
        infoCursor = nullptr;
        GlobalDeleteAtom(item);
        return;
    }
    infoAvailable = 1;
    infoCursor = infoBuffer();
    WORD flags = 0, format = 0;
    bool readText = false;  // the block was locked and holds text
    {
        zyn::GlobalLockScope lock(data);
        const auto* bytes = static_cast<const BYTE*>(lock.get());
        const SIZE_T size = bytes ? GlobalSize(data) : 0;
        if (size >= kDataHeaderSize) {
            memcpy(&flags, bytes, sizeof flags);
            memcpy(&format, bytes + 2, sizeof format);
        }
        // The text need not be terminated inside the block: copy no more than
        // the block holds, and no more than the buffer takes with its terminator.
        readText = size >= kDataHeaderSize && format == CF_TEXT;
        if (readText)
            zyn::BoundedCopyN(infoBuffer(), kInfoBufferSize, reinterpret_cast<const char*>(bytes + kDataHeaderSize),
                              size - kDataHeaderSize);
    }
    if (!readText) {
        transactionFailed = 1;
        if (!PostAck(sender, window_.get(), 0, item)) {
            GlobalDeleteAtom(item);
            GlobalFree(data);
        }
        return;
    }
    // Without an acknowledgement the item atom is the client's to delete.
    if (!(flags & kDataAckRequired) || !PostAck(sender, window_.get(), kAckPositive, item)) GlobalDeleteAtom(item);
    if (flags & kDataRelease) GlobalFree(data);
}

// A data answer that no waiting request asked for: refused when the server
// wants an acknowledgement, and its atom and memory released as the server
// asked.
void DdeProgramManager::ReleaseLateData(HWND sender, HGLOBAL data, ATOM item) {
    WORD flags = 0;
    if (data && GlobalSize(data) >= kDataHeaderSize) {
        zyn::GlobalLockScope lock(data);
        if (lock.get()) memcpy(&flags, lock.get(), sizeof flags);
    }
    if (!(flags & kDataAckRequired) || !PostAck(sender, window_.get(), 0, item)) GlobalDeleteAtom(item);
    if (data && (flags & kDataRelease)) GlobalFree(data);
}

}  // namespace zynshell
