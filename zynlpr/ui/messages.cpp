// The message table (texts 8000..8013, loaded once at process attach) and
// the message boxes of the monitor.
//
// The table is written only while the loader lock serialises process attach
// and is read without a lock afterwards. Every other text is loaded from the
// message module when it is shown, so a module that lacks it shows the
// fallback text rather than nothing.
#include "messages.h"

#include <cstdarg>
#include <cstring>

#include "bounded.h"
#include "message_ids.h"
#include "module_state.h"

namespace zynlpr {

namespace {

constexpr const char kMissingText[] = "Missing Resource String.";
constexpr UINT kTableSize = MSG_LAST_PRELOADED - MSG_FIRST_PRELOADED + 1;

const char* g_table[kTableSize] = {};
bool g_tableComplete = false;

char* CopyToProcessHeap(const char* text) {
    size_t cb = strlen(text) + 1;
    auto* copy = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cb));
    if (copy) memcpy(copy, text, cb);
    return copy;
}

}  // namespace

void FormatMessageText(char (&text)[zyn::kTextSize], UINT id, va_list args) {
    char pattern[zyn::kTextSize];
    if (!LoadMessageText(id, pattern, sizeof pattern)) zyn::BoundedCopy(pattern, kMissingText);
    // The texts are ours, but the module is a separate file: vsnprintf with
    // a bounded buffer keeps a longer-than-expected argument from overrunning.
    zyn::BoundedFormatV(text, sizeof text, pattern, args);
}

const char* MessageText(UINT id) {
    if (id < MSG_FIRST_PRELOADED || id > MSG_LAST_PRELOADED) return kMissingText;
    const char* text = g_table[id - MSG_FIRST_PRELOADED];
    return text ? text : kMissingText;
}

bool LoadMessageTable(HMODULE messageModule) {
    for (UINT id = MSG_FIRST_PRELOADED; id <= MSG_LAST_PRELOADED; ++id) {
        char text[1024] = {};
        if (LoadStringA(messageModule, id, text, sizeof text) <= 0 || text[0] == '\0')
            return false;
        char* copy = CopyToProcessHeap(text);
        if (!copy) return false;
        // A repeated load (tests) replaces the text; the old copy is kept, as
        // a caller may still hold it.
        g_table[id - MSG_FIRST_PRELOADED] = copy;
    }
    g_tableComplete = true;
    return true;
}

bool MessageTableComplete() { return g_tableComplete; }

bool LoadMessageText(UINT id, char* buf, size_t cb) {
    if (cb == 0) return false;
    buf[0] = '\0';
    if (id >= MSG_FIRST_PRELOADED && id <= MSG_LAST_PRELOADED) {
        const char* text = g_table[id - MSG_FIRST_PRELOADED];
        zyn::BoundedCopy(buf, cb, text ? text : "");
        return text != nullptr;
    }
    if (!g_module.messageModule) return false;
    int cch = cb > 0x7fffffff ? 0x7fffffff : static_cast<int>(cb);
    return LoadStringA(g_module.messageModule, id, buf, cch) > 0;
}

void SystemErrorText(DWORD code, char* buf, size_t cb) {
    if (cb == 0) return;
    buf[0] = '\0';
    DWORD cch = cb > 0x7fffffff ? 0x7fffffff : static_cast<DWORD>(cb);
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                             cch, nullptr);
    if (n >= cch) n = cch - 1;
    buf[n] = '\0';
    // Keep one blank at the end so the text reads on into what follows it.
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) buf[--n] = '\0';
    if (n > 0 && n + 1 < cb) {
        buf[n] = ' ';
        buf[n + 1] = '\0';
    }
}

int ShowMessage(HWND owner, UINT style, UINT id, ...) {
    char text[zyn::kTextSize];
    va_list args;
    va_start(args, id);
    FormatMessageText(text, id, args);
    va_end(args);
    return MessageBoxA(owner, text, MessageText(MSG_CAPTION), style);
}

void ShowNotMonitorPort(HWND owner) {
    ShowMessage(owner, MB_SETFOREGROUND | MB_ICONINFORMATION, MSG_NOT_MONITOR_PORT);
}

}  // namespace zynlpr
