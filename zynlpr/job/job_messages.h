// Messages of the job path: the one place where a job's outcome, and each
// note of the LPD client under it, becomes something a person sees.
//
// Loaded through InitializeMonitorEx (Windows NT 4.0), or by no spooler at
// all (lprhost), a message is a message box owned by no window, as
// ShowMessage shows it. While a MONITOR2 load is live (InitializePrintMonitor2)
// the spooler may be a service no one sees, and a box would hold its thread
// for a click that never comes: nothing is shown; the same text (same id,
// same arguments) goes to the Application event log under the source
// kEventSource, with the message id as event id. Either way the text of the
// last error becomes the reason of the job (JobMessages::Reason).
#pragma once

#include <windows.h>

#include "bounded.h"
#include "lpd/lpd_notes.h"

namespace zynlpr {

constexpr char kEventSource[] = "ZYN LPR Monitor";

// A MONITOR2 load begins or ends (one call per monitor handle); while one is
// live, the job path shows no window.
void EnterWindowlessLoad();
void LeaveWindowlessLoad();
bool WindowlessLoad();

// Writes one entry to the Application event log; tests put a stand-in here.
// `type` is EVENTLOG_ERROR_TYPE or EVENTLOG_INFORMATION_TYPE.
using EventLogWriter = void (*)(WORD type, DWORD id, const char* text);
extern EventLogWriter g_writeEventLog;

// The messages of one job, and the observer of its LPD submission.
class JobMessages final : public LpdObserver {
public:
    JobMessages() = default;
    JobMessages(const JobMessages&) = delete;
    JobMessages& operator=(const JobMessages&) = delete;

    // Message `id` formatted as ShowMessage formats it; `style` is
    // kErrorBoxStyle or kInfoBoxStyle.
    void Report(UINT style, UINT id, ...);

    // The message of each LPD note.
    void Note(LpdNote note, long number, const char* text) override;

    // The text of the last error reported; empty when there was none.
    const char* Reason() const { return reason_; }

private:
    void Deliver(UINT style, UINT id, const char* text);

    char reason_[zyn::kTextSize] = {};
};

}  // namespace zynlpr
