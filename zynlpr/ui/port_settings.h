// PortSettings, the record that AddPort and ConfigurePort fill, hand to the
// port-settings dialog and read back, and the dialog that edits it.
//
// The dialog keeps its record with its own window (DWLP_USER), so several
// port-settings dialogs may be open at once, each on its own record.
#pragma once

#include <windows.h>

#include "bounded.h"

namespace zynlpr {

constexpr size_t kSettingsTextSize = zyn::kTextSize;  // bytes of each of the four texts
constexpr LONG kDefaultTimeOut = 300;
constexpr LONG kDefaultSeqno = 0;

struct PortSettings {
    char* portName;   // shown, not editable
    char* userName;   // checked, not stored
    char* hostName;   // HostName
    char* queueName;  // QueueName
    LONG timeOut;     // TimeOut
    LONG seqno;       // Seqno
    BOOL doLpq;       // DoLpq
    BOOL doGrace;     // DoGrace
};

// The number made of the leading decimal digits of `text` (no sign, no
// blanks); 0 when it starts with anything else. Stops growing at the largest
// LONG rather than overflowing.
LONG LeadingNumber(const char* text);

// The values a new port starts with: lpq and grace on, the default
// sequence number and time-out.
void SetNewPortDefaults(PortSettings* settings);

// One zero-filled process-heap block holding the record and its four
// texts of kSettingsTextSize bytes; free it with HeapFree (zyn::UniqueHeapBlock). Null when
// the memory can't be had.
PortSettings* AllocatePortSettings();

// Shows the dialog from template `templateId` of the message module, owned
// by `owner`, on `settings`, offering the hosts of `hosts` (texts one after
// another, each terminated, an empty one at the end; null offers none). Returns 1 when the administrator accepted (the
// record then holds the checked values), 0 when cancelled, -1 when the
// dialog could not be shown. Never call with MonitorLock held.
INT_PTR ShowPortSettingsDialog(HWND owner, int templateId, PortSettings* settings, const char* hosts);

// Tells every top-level window that the printer devices changed
// (WM_WININICHANGE with "Devices"), bounded in time per window.
void NotifyDevicesChanged();

// The dialog procedure behind both templates (200 and 300); WM_INITDIALOG
// takes what ShowPortSettingsDialog hands it.
INT_PTR CALLBACK PortSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace zynlpr
