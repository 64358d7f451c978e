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

// Styles used throughout: errors and information.
constexpr UINT kErrorBoxStyle = MB_SYSTEMMODAL | MB_ICONERROR;       // 0x1010
constexpr UINT kInfoBoxStyle = MB_SYSTEMMODAL | MB_ICONINFORMATION;  // 0x1040

}  // namespace zynlpr
