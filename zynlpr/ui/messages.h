// Message texts of the monitor and the message boxes that show them.
//
// Texts 8000 to 8013 are preloaded at process attach (module_state.cpp) and
// served by MessageText; every other id is loaded from the message module
// when it is shown. Message ids are named in message_ids.h. The job path's
// messages, which may go to the event log instead, are job/job_messages.h.
#pragma once

#include <windows.h>

#include <cstdarg>

#include "bounded.h"

namespace zynlpr {

// Preloaded text of ids 8000..8013; "Missing Resource String." for any other
// id. The text belongs to the table.
const char* MessageText(UINT id);

// Loads message `id` (8000..8013 from the table, others from the message
// module into a buffer of zyn::kTextSize), formats it with the printf-style
// arguments (shortened to fit the same size), and shows it with MessageBoxA,
// owner `owner` (may be null), caption MessageText(8000), style `style`.
// Returns MessageBoxA's result. Never call with MonitorLock held.
int ShowMessage(HWND owner, UINT style, UINT id, ...);

// Notice 503: the port is not one of the monitor's, or its settings are
// gone; shown instead of the port-settings dialog.
void ShowNotMonitorPort(HWND owner);

// The text of message `id` formatted with `args` as ShowMessage formats it
// (the fallback text when the module lacks it).
void FormatMessageText(char (&text)[zyn::kTextSize], UINT id, va_list args);

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
