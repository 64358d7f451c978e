// Message texts of the monitor and the message boxes that show them.
//
// Texts 8000 to 8013 are preloaded at process attach (module_state.cpp) and
// served by MessageText; every other id is loaded from the message module
// when it is shown. Message ids are named in message_ids.h.
#pragma once

#include <windows.h>

namespace zynlpr {

// Preloaded text of ids 8000..8013; "Missing Resource String." for any other
// id. The text belongs to the table.
const char* MessageText(UINT id);

// Loads message `id` (8000..8013 from the table, others from the message
// module into a 260-character buffer), formats it with the printf-style
// arguments (bounded to 259 characters), and shows it with MessageBoxA,
// owner `owner` (may be null), caption MessageText(8000), style `style`.
// Returns MessageBoxA's result. Never call with MonitorLock held.
int ShowMessage(HWND owner, UINT style, UINT id, ...);

// ShowMessage with a text already formatted from message `id`.
int ShowMessageText(HWND owner, UINT style, UINT id, const char* text);

// Messages of the job path (StartDocPort .. EndDocPort and the LPD client
// under it) go through one place that knows how the monitor was loaded.
// Loaded through InitializeMonitorEx (Windows NT 4.0), or by no spooler at
// all (lprhost), such a message is a message box owned by no window, as
// ShowMessage shows it. While a MONITOR2 load is live (InitializePrintMonitor2)
// the spooler may be a service no one sees, and a box would hold its thread
// for a click that never comes: nothing is shown; the same text (same id,
// same arguments) goes to the Application event log under the source
// kEventSource, with the message id as event id. Either way the text of an
// error becomes the reason of the job the thread is ending (JobMessageScope).
constexpr char kEventSource[] = "ZYN LPR Monitor";

// A MONITOR2 load begins or ends (one call per monitor handle); while one is
// live, the job path shows no window.
void EnterWindowlessLoad();
void LeaveWindowlessLoad();
bool WindowlessLoad();

// A job message, formatted as ShowMessage formats it.
void ReportJobMessage(UINT style, UINT id, ...);

// While a scope lives, every message of its thread (ShowMessage with no
// owner included, so the LPD client's messages need not know where they
// run) is a job message, and the text of the last error among them is kept
// as the job's reason. Scopes nest; the innermost one keeps the reason.
class JobMessageScope {
public:
    JobMessageScope();
    ~JobMessageScope();
    JobMessageScope(const JobMessageScope&) = delete;
    JobMessageScope& operator=(const JobMessageScope&) = delete;

    // Empty when no error was reported.
    const char* Reason() const { return reason_; }
    void SetReason(const char* text);

private:
    char reason_[260] = {};
    JobMessageScope* outer_ = nullptr;
};

// Writes one entry to the Application event log; tests put a stand-in here.
// `type` is EVENTLOG_ERROR_TYPE or EVENTLOG_INFORMATION_TYPE.
using EventLogWriter = void (*)(WORD type, DWORD id, const char* text);
extern EventLogWriter g_writeEventLog;

// Loads message `id` as ShowMessage does, unformatted, into buf[cb]
// (shortened to fit). Returns false, with an empty text, when the message
// module lacks it.
bool LoadMessageText(UINT id, char* buf, size_t cb);

// The system's text of error `code` (FormatMessageA), without a trailing
// line break, shortened to fit buf[cb]; empty when the system has none.
void SystemErrorText(DWORD code, char* buf, size_t cb);

// Fills the message table with ids 8000..8013 from `messageModule`. False
// when one is missing, empty or can't be copied; the table then stays
// incomplete and MessageText answers the fallback text for the rest.
bool LoadMessageTable(HMODULE messageModule);

// True once LoadMessageTable has stored all fourteen texts.
bool MessageTableComplete();

// Styles used throughout: errors and information.
constexpr UINT kErrorBoxStyle = MB_SYSTEMMODAL | MB_ICONERROR;       // 0x1010
constexpr UINT kInfoBoxStyle = MB_SYSTEMMODAL | MB_ICONINFORMATION;  // 0x1040

}  // namespace zynlpr
