// See job_messages.h.
#include "job_messages.h"

#include <cstdarg>

#include "ui/message_ids.h"
#include "ui/messages.h"

namespace zynlpr {

namespace {

volatile LONG g_windowlessLoads = 0;

void WriteEventLog(WORD type, DWORD id, const char* text) {
    HANDLE source = RegisterEventSourceA(nullptr, kEventSource);
    if (!source) return;
    LPCSTR strings[1] = {text};
    ReportEventA(source, type, 0, id, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

// The message of each note, and what its number or text fills in.
enum class Fill { kNothing, kNumber, kText };
struct NoteMessage {
    LpdNote note;
    UINT id;
    UINT style;
    Fill fill;
};
constexpr NoteMessage kNoteMessages[] = {
    {LpdNote::kNetworkNotStarted, MSG_WINSOCK_STARTUP, kErrorBoxStyle, Fill::kNumber},
    {LpdNote::kLocalNameUnknown, MSG_LPD_NO_HOST_NAME, kErrorBoxStyle, Fill::kNumber},
    {LpdNote::kHostNotFound, MSG_LPD_HOST_NOT_FOUND, kErrorBoxStyle, Fill::kText},
    {LpdNote::kNoSocket, MSG_LPD_NO_SOCKET, kErrorBoxStyle, Fill::kNumber},
    {LpdNote::kNoLocalPort, MSG_LPD_NO_LOCAL_PORT, kErrorBoxStyle, Fill::kNumber},
    {LpdNote::kLocalPortsInUse, MSG_LPD_LOCAL_PORTS_IN_USE, kErrorBoxStyle, Fill::kNothing},
    {LpdNote::kConnectionRefused, MSG_LPD_CONNECTION_REFUSED, kErrorBoxStyle, Fill::kNothing},
    {LpdNote::kConnectFailed, MSG_LPD_CONNECT_FAILED, kErrorBoxStyle, Fill::kNumber},
    {LpdNote::kSendFailed, MSG_LPD_SEND_FAILED, kErrorBoxStyle, Fill::kNumber},
    {LpdNote::kNoAnswer, MSG_LPD_NO_ANSWER, kErrorBoxStyle, Fill::kNothing},
    {LpdNote::kCommandRefused, MSG_LPD_COMMAND_REFUSED, kErrorBoxStyle, Fill::kNothing},
    {LpdNote::kSpoolFileUnreadable, MSG_LPD_SPOOL_FILE_UNREADABLE, kErrorBoxStyle, Fill::kNumber},
    {LpdNote::kDataBusy, MSG_LPD_DATA_BUSY, kInfoBoxStyle, Fill::kNothing},
    {LpdNote::kDataStillBusy, MSG_LPD_DATA_STILL_BUSY, kInfoBoxStyle, Fill::kNothing},
    {LpdNote::kSpoolFileShort, MSG_LPD_SPOOL_FILE_SHORT, kErrorBoxStyle, Fill::kText},
    {LpdNote::kControlFileRefused, MSG_LPD_CONTROL_FILE_REFUSED, kErrorBoxStyle, Fill::kNothing},
};

}  // namespace

void EnterWindowlessLoad() { InterlockedIncrement(&g_windowlessLoads); }
void LeaveWindowlessLoad() { InterlockedDecrement(&g_windowlessLoads); }
bool WindowlessLoad() { return InterlockedCompareExchange(&g_windowlessLoads, 0, 0) > 0; }

EventLogWriter g_writeEventLog = WriteEventLog;

void JobMessages::Deliver(UINT style, UINT id, const char* text) {
    bool error = (style & MB_ICONMASK) == MB_ICONERROR;
    if (error) zyn::BoundedCopy(reason_, text);
    if (!WindowlessLoad())
        MessageBoxA(nullptr, text, MessageText(MSG_CAPTION), style);
    else
        g_writeEventLog(error ? EVENTLOG_ERROR_TYPE : EVENTLOG_INFORMATION_TYPE, id, text);
}

void JobMessages::Report(UINT style, UINT id, ...) {
    char text[zyn::kTextSize];
    va_list args;
    va_start(args, id);
    FormatMessageText(text, id, args);
    va_end(args);
    Deliver(style, id, text);
}

void JobMessages::Note(LpdNote note, long number, const char* text) {
    if (note == LpdNote::kJobRefused) {
        // One box: the refusal, and the server's own words when it sent any.
        char message[zyn::kTextSize];
        LoadMessageText(MSG_LPD_JOB_REFUSED, message, sizeof message);
        if (text[0]) {
            char pattern[zyn::kTextSize];
            char detail[zyn::kTextSize];
            LoadMessageText(MSG_LPD_SERVER_ANSWER, pattern, sizeof pattern);
            zyn::BoundedFormat(detail, sizeof detail, pattern, text);
            zyn::BoundedAppend(message, sizeof message, detail);
        }
        Deliver(kErrorBoxStyle, MSG_LPD_JOB_REFUSED, message);
        return;
    }
    for (const NoteMessage& m : kNoteMessages) {
        if (m.note != note) continue;
        if (m.fill == Fill::kNumber)
            Report(m.style, m.id, static_cast<int>(number));
        else if (m.fill == Fill::kText)
            Report(m.style, m.id, text);
        else
            Report(m.style, m.id);
        return;
    }
}

}  // namespace zynlpr
