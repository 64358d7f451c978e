// The port-settings dialog (templates 200 and 300 of the message module):
// filling it from a PortSettings, the checks on OK, Cancel and Help.
//
// Runs on the thread that called AddPort or ConfigurePort (in the spooler)
// or AddPortUI or ConfigurePortUI (in the port UI module), without
// MonitorLock; the caller hands it the host list. The record travels with the dialog window (DWLP_USER), so
// two dialogs open at once never mix their values. Every field is read with
// the real size of the buffer it lands in.
#include <climits>
#include <cstring>

#include "bounded.h"
#include "message_ids.h"
#include "messages.h"
#include "module_state.h"
#include "port_settings.h"
#include "user_name.h"

namespace zynlpr {

namespace {

constexpr int kHostLimit = static_cast<int>(zyn::kTextSize);
constexpr int kQueueLimit = 130;
constexpr int kUserLimit = 130;
constexpr int kSeqnoLimit = 3;
constexpr int kTimeOutLimit = 4;
constexpr DWORD kHelpContext = 2257;
constexpr int kTextChars = static_cast<int>(kSettingsTextSize);

// Offers each host of the list once, in its order (the combo box is not
// sorted, and its exact search ignores case), and selects the last one newly
// listed: by its index, because a selection by prefix would pick an earlier
// host that merely begins with it.
void FillHostList(HWND dialog, const char* hosts) {
    HWND box = GetDlgItem(dialog, IDC_HOST_NAME);
    LRESULT lastAdded = CB_ERR;
    for (const char* host = hosts; host && *host; host += strlen(host) + 1) {
        if (SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(host)) !=
            CB_ERR)
            continue;
        LRESULT at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(host));
        if (at >= 0) lastAdded = at;
    }
    if (lastAdded != CB_ERR) SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(lastAdded), 0);
}

// A stored value may be longer than its field lets the administrator type
// (another program wrote it); the field shows no more than its limit, so
// that what is shown is what OK reads back.
void SetLimitedText(HWND dialog, int control, const char* text, int limit) {
    char shown[kSettingsTextSize];
    zyn::BoundedCopyN(shown, sizeof shown, text, static_cast<size_t>(limit));
    SetDlgItemTextA(dialog, control, shown);
}

// A number with more digits than the field takes shows as the largest one
// that fits.
void SetNumberText(HWND dialog, int control, LONG number, int limit) {
    char text[16];
    zyn::BoundedFormat(text, sizeof text, "%ld", static_cast<long>(number));
    if (static_cast<int>(strlen(text)) > limit) {
        memset(text, '9', static_cast<size_t>(limit));
        text[limit] = '\0';
    }
    SetDlgItemTextA(dialog, control, text);
}

void LimitText(HWND dialog, int control, int limit) {
    SendDlgItemMessageA(dialog, control, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
}

struct DialogStart {
    PortSettings* settings;
    const char* hosts;
};

void FillDialog(HWND dialog, const DialogStart& start) {
    PortSettings* settings = start.settings;
    SetForegroundWindow(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(settings));
    SendDlgItemMessageA(dialog, IDC_HOST_NAME, CB_LIMITTEXT, kHostLimit, 0);
    char systemUser[100];
    CurrentUserName(systemUser, sizeof systemUser);

    FillHostList(dialog, start.hosts);
    if (settings->hostName[0]) SetLimitedText(dialog, IDC_HOST_NAME, settings->hostName, kHostLimit);
    SetDlgItemTextA(dialog, IDC_PORT_NAME, settings->portName);
    LimitText(dialog, IDC_QUEUE_NAME, kQueueLimit);
    if (settings->queueName[0]) SetLimitedText(dialog, IDC_QUEUE_NAME, settings->queueName, kQueueLimit);
    LimitText(dialog, IDC_SEQNO, kSeqnoLimit);
    SetNumberText(dialog, IDC_SEQNO, settings->seqno, kSeqnoLimit);
    LimitText(dialog, IDC_TIMEOUT, kTimeOutLimit);
    SetNumberText(dialog, IDC_TIMEOUT, settings->timeOut, kTimeOutLimit);
    LimitText(dialog, IDC_USER_NAME, kUserLimit);
    SetLimitedText(dialog, IDC_USER_NAME, settings->userName[0] ? settings->userName : systemUser, kUserLimit);
    CheckDlgButton(dialog, IDC_DO_LPQ, settings->doLpq ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_DO_GRACE, settings->doGrace ? BST_CHECKED : BST_UNCHECKED);
    SetFocus(GetDlgItem(dialog, IDC_HOST_NAME));
}

// Shows the check's message over the dialog and puts the focus where the
// administrator has to mend the entry.
void Refuse(HWND dialog, UINT message, int control) {
    ShowMessage(dialog, kErrorBoxStyle, message);
    SetFocus(GetDlgItem(dialog, control));
}

// An empty field leaves the number as it was.
void ReadNumberField(HWND dialog, int control, LONG* number) {
    char text[kTimeOutLimit + 1];
    if (GetDlgItemTextA(dialog, control, text, sizeof text) > 0) *number = LeadingNumber(text);
}

void AcceptIfValid(HWND dialog, PortSettings* settings) {
    GetDlgItemTextA(dialog, IDC_USER_NAME, settings->userName, kTextChars);
    if (!settings->userName[0]) return Refuse(dialog, MSG_USER_NAME_EMPTY, IDC_USER_NAME);
    if (IsReservedUserName(settings->userName)) return Refuse(dialog, MSG_USER_NAME_RESERVED, IDC_USER_NAME);
    GetDlgItemTextA(dialog, IDC_HOST_NAME, settings->hostName, kTextChars);
    if (!settings->hostName[0]) return Refuse(dialog, MSG_HOST_NAME_EMPTY, IDC_HOST_NAME);
    GetDlgItemTextA(dialog, IDC_QUEUE_NAME, settings->queueName, kTextChars);
    if (!settings->queueName[0]) return Refuse(dialog, MSG_QUEUE_NAME_EMPTY, IDC_QUEUE_NAME);
    ReadNumberField(dialog, IDC_SEQNO, &settings->seqno);
    ReadNumberField(dialog, IDC_TIMEOUT, &settings->timeOut);
    settings->doLpq = IsDlgButtonChecked(dialog, IDC_DO_LPQ) == BST_CHECKED;
    settings->doGrace = IsDlgButtonChecked(dialog, IDC_DO_GRACE) == BST_CHECKED;
    EndDialog(dialog, IDOK);
}

}  // namespace

LONG LeadingNumber(const char* text) {
    LONG number = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        int digit = *text - '0';
        if (number > (LONG_MAX - digit) / 10) return LONG_MAX;
        number = number * 10 + digit;
    }
    return number;
}

void SetNewPortDefaults(PortSettings* settings) {
    settings->doLpq = TRUE;
    settings->doGrace = TRUE;
    settings->seqno = kDefaultSeqno;
    settings->timeOut = kDefaultTimeOut;
}

PortSettings* AllocatePortSettings() {
    struct Block {
        PortSettings settings;
        char texts[4][kSettingsTextSize];
    };
    auto* block = static_cast<Block*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Block)));
    if (!block) return nullptr;
    block->settings.portName = block->texts[0];
    block->settings.userName = block->texts[1];
    block->settings.hostName = block->texts[2];
    block->settings.queueName = block->texts[3];
    return &block->settings;
}

INT_PTR ShowPortSettingsDialog(HWND owner, int templateId, PortSettings* settings, const char* hosts) {
    DialogStart start = {settings, hosts};
    return DialogBoxParamA(g_module.messageModule, MAKEINTRESOURCEA(templateId), owner,
                           PortSettingsDialogProc, reinterpret_cast<LPARAM>(&start));
}

// Sent wide: every window receives the text in its own character set, and
// Wine garbles the text of an ANSI broadcast of this message. Each window
// gets at most two seconds to take the notice, so a window that has stopped
// answering can't hold up the caller.
void NotifyDevicesChanged() {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"Devices"),
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, 2000, &result);
}

INT_PTR CALLBACK PortSettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        FillDialog(dialog, *reinterpret_cast<const DialogStart*>(lParam));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    auto* settings = reinterpret_cast<PortSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
    case IDOK:
        if (settings) AcceptIfValid(dialog, settings);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDC_HELP_BUTTON:
        // Without the help file the help program reports it; nothing here
        // depends on the outcome.
        WinHelpA(dialog, g_module.helpFilePath, HELP_CONTEXT, kHelpContext);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace zynlpr
