// ScriptedProgman (scripted_progman.h).
#include "scripted_progman.h"

#include <dde.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace zyntest {

namespace {

const char kClass[] = "ZynScriptedProgman";
constexpr DWORD kThreadStopWait = 5000;
constexpr WORD kResponse = 0x1000, kRelease = 0x2000, kAckReq = 0x8000, kAckPositive = 0x8000;
std::atomic<int> initiateAnswers{0};

std::string AtomName(ATOM atom) {
    char name[256] = "";
    if (atom) GlobalGetAtomNameA(atom, name, sizeof name);
    return name;
}

void PostAck(HWND to, HWND from, WORD status, UINT_PTR value) {
    const LPARAM lParam = PackDDElParam(WM_DDE_ACK, status, value);
    if (!PostMessageA(to, WM_DDE_ACK, reinterpret_cast<WPARAM>(from), lParam)) FreeDDElParam(WM_DDE_ACK, lParam);
}

}  // namespace

ScriptedProgman::ScriptedProgman(InitiateAnswer initiate) : initiate_(std::move(initiate)) {
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, Run, this, 0, &threadId_));
    if (thread_) WaitForSingleObject(ready_.get(), kThreadStopWait);
}

ScriptedProgman::~ScriptedProgman() {
    if (!thread_) return;
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.get(), kThreadStopWait);
}

DWORD WINAPI ScriptedProgman::Run(void* param) {
    auto* self = static_cast<ScriptedProgman*>(param);
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);  // a second server finds it registered
    HWND window = CreateWindowExA(0, kClass, "", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, self);
    self->window_ = window;
    SetEvent(self->ready_.get());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    if (IsWindow(window)) DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK ScriptedProgman::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<ScriptedProgman*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message >= WM_DDE_FIRST && message <= WM_DDE_LAST) return self->Handle(message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT ScriptedProgman::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND client = reinterpret_cast<HWND>(wParam);
    switch (message) {
    case WM_DDE_INITIATE: {
        DWORD pid = 0;
        GetWindowThreadProcessId(client, &pid);
        if (pid != GetCurrentProcessId() || _stricmp(AtomName(LOWORD(lParam)).c_str(), "PROGMAN") != 0) return 0;
        Note("initiate");
        if (!initiate_.answer) return 0;
        const ATOM application = GlobalAddAtomA(initiate_.application.c_str());
        const ATOM topic = initiate_.topic.empty() ? 0 : GlobalAddAtomA(initiate_.topic.c_str());
        initiateOrder_ = ++initiateAnswers;
        SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(window_), MAKELPARAM(application, topic));
        return 0;
    }
    case WM_DDE_EXECUTE:
        AnswerExecute(client, lParam);
        return 0;
    case WM_DDE_REQUEST:
        AnswerRequest(client, lParam);
        return 0;
    case WM_DDE_ACK: {
        UINT_PTR status = 0, item = 0;
        if (!UnpackDDElParam(WM_DDE_ACK, lParam, &status, &item)) return 0;
        FreeDDElParam(WM_DDE_ACK, lParam);
        char entry[300];
        snprintf(entry, sizeof entry, "ack:%04x:%s", static_cast<unsigned>(status),
                 AtomName(static_cast<ATOM>(item)).c_str());
        Note(entry);
        GlobalDeleteAtom(static_cast<ATOM>(item));  // the acknowledgement hands the atom back
        return 0;
    }
    case WM_DDE_TERMINATE:
        Note("terminate");
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window_), 0);
        return 0;
    }
    return 0;
}

void ScriptedProgman::AnswerExecute(HWND client, LPARAM lParam) {
    HGLOBAL memory = reinterpret_cast<HGLOBAL>(lParam);
    std::string text;
    if (const char* p = static_cast<const char*>(GlobalLock(memory))) {
        text.assign(p, strnlen(p, GlobalSize(memory)));
        GlobalUnlock(memory);
    }
    Note("execute:" + text);
    PostLateAck(client);
    const Step step = NextStep();
    switch (step.answer) {
    case Answer::kAck:
    case Answer::kData:
    case Answer::kDataUnterminated: PostAck(client, window_, kAckPositive, reinterpret_cast<UINT_PTR>(memory)); break;
    case Answer::kNack: PostAck(client, window_, 0, reinterpret_cast<UINT_PTR>(memory)); break;
    case Answer::kSilence: break;
    case Answer::kTerminate:
    case Answer::kVanish:
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window_), 0);
        if (step.answer == Answer::kVanish) DestroyWindow(window_);
        break;
    }
}

void ScriptedProgman::AnswerRequest(HWND client, LPARAM lParam) {
    const ATOM item = HIWORD(lParam);
    Note("request:" + AtomName(item));
    PostLateAck(client);
    Step step = NextStep();
    switch (step.answer) {
    case Answer::kAck: {  // nothing scripted: the group list
        std::lock_guard<std::mutex> lock(mutex_);
        step.data.text = groupList_;
    }
        PostData(client, item, step.data);
        break;
    case Answer::kData: PostData(client, item, step.data); break;
    case Answer::kDataUnterminated: PostData(client, item, step.data, false); break;
    case Answer::kNack: PostAck(client, window_, 0, item); break;
    case Answer::kSilence: break;
    case Answer::kTerminate:
    case Answer::kVanish:
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(window_), 0);
        if (step.answer == Answer::kVanish) DestroyWindow(window_);
        break;
    }
}

// The data memory is left to the client (it releases what fRelease marks).
void ScriptedProgman::PostData(HWND client, ATOM item, const DataAnswer& data, bool terminated) {
    HGLOBAL memory = nullptr;
    if (!data.noMemory) {
        memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 4 + data.text.size() + (terminated ? 1 : 0));
        auto* p = static_cast<BYTE*>(GlobalLock(memory));
        const WORD flags = kResponse | (data.ackReq ? kAckReq : 0) | (data.release ? kRelease : 0);
        memcpy(p, &flags, 2);
        memcpy(p + 2, &data.format, 2);
        memcpy(p + 4, data.text.c_str(), data.text.size() + (terminated ? 1 : 0));
        GlobalUnlock(memory);
    }
    const LPARAM lParam = PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(memory), item);
    if (!PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(window_), lParam)) {
        FreeDDElParam(WM_DDE_DATA, lParam);
        if (memory) GlobalFree(memory);
        return;
    }
    if (data.lateAck) lateAck_ = item;
}

void ScriptedProgman::PostLateAck(HWND client) {
    if (lateAck_) PostAck(client, window_, kAckPositive, lateAck_);
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

}  // namespace zyntest
