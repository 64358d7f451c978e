// Job entries of the monitor table: StartDocPort, WritePort, ReadPort and
// EndDocPort. A port holds at most one job; its bytes are spooled to a
// temporary file, which EndDocPort hands to the LPD submission and deletes.
//
// A job the LPD server did not take is not lost: EndDocPort leaves it in the
// spooler's queue, marked in error with the reason as its status text and
// paused, so that the spooler neither deletes it nor prints it again on its
// own; an administrator resumes or restarts it once the server is back.
// Nothing retries by itself: a retry would hold the spooler's thread or need
// a timer of its own, and the queue already offers both commands.
//
// The in-document flags are tested and set under MonitorLock, so two
// StartDocPort calls on one port can't both start a document; a start that
// fails clears them again and leaves the port idle. The other job fields are
// used only by the thread the spooler runs the job on. MonitorLock is never
// held while a message box is shown or a job is sent.
#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <utility>
#include <vector>

#include "bounded.h"
#include "job_entries.h"
#include "job_messages.h"
#include "job_notify.h"
#include "job_retry.h"
#include "job_spooler.h"
#include "job_submit.h"
#include "ports/port_list.h"
#include "ui/message_ids.h"
#include "ui/messages.h"
#include "ui/module_state.h"

namespace zynlpr {

JobSpoolerCalls g_jobSpooler = {OpenPrinterA, GetPrinterA, GetJobA, SetJobA, ClosePrinter};

namespace {

constexpr DWORD kInDocumentFlags = PORT_IN_DOCUMENT | PORT_STARTED;
constexpr DWORD kDefaultTransmissionRetryMs = 45000;
constexpr DWORD kDefaultDeviceNotSelectedMs = 15000;

// Marks the port as in a document, unless it already is.
bool ReserveDocument(LprPort* port) {
    MonitorLockGuard lock;
    if (port->flags & PORT_IN_DOCUMENT) return false;
    port->flags |= kInDocumentFlags;
    return true;
}

void ClearDocument(LprPort* port) {
    MonitorLockGuard lock;
    port->flags &= ~kInDocumentFlags;
}

// The document name: the spooler's, narrowed (a name of zyn::kTextSize
// characters or more is cut to one less), or "Unknown Document #<job id>".
DWORD SetDocumentName(LprPort* port, const WCHAR* name) {
    port->documentName.reset();
    char text[zyn::kTextSize];
    if (name)
        zyn::NarrowText(name, text, sizeof text);
    else
        zyn::BoundedFormat(text, sizeof text, "Unknown Document #%d", static_cast<int>(port->jobId));
    port->documentName.reset(LocalAlloc(LPTR, strlen(text) + 1));
    if (!port->documentName) return ERROR_NOT_ENOUGH_MEMORY;
    memcpy(port->documentName.get(), text, strlen(text) + 1);
    return ERROR_SUCCESS;
}

// A directory for the spool file: the temporary directory, or, when that
// can't be had, the sibling program's directory or the Windows directory,
// whichever exists.
void SpoolDirectory(char* dir, size_t cb) {
    DWORD n = GetTempPathA(static_cast<DWORD>(cb), dir);
    if (n > 0 && n < cb) return;
    char candidate[zyn::kPathSize];
    zyn::BoundedCopy(candidate, g_module.programPath);
    if (char* slash = strrchr(candidate, '\\')) {
        slash[1] = '\0';
        DWORD attributes = GetFileAttributesA(candidate);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            zyn::BoundedCopy(dir, cb, candidate);
            return;
        }
    }
    n = GetWindowsDirectoryA(dir, static_cast<UINT>(cb));
    if (n == 0 || n >= cb) zyn::BoundedCopy(dir, cb, ".");
}

// Makes the spool file and opens it; port->spoolFileName is the block of
// zyn::kPathSize bytes that receives its path.
DWORD CreateSpoolFile(LprPort* port) {
    char dir[zyn::kPathSize];
    SpoolDirectory(dir, sizeof dir);
    char* path = port->SpoolFileName();
    // GetTempFileNameA writes up to MAX_PATH characters into the block.
    if (!GetTempFileNameA(dir, "lpr", 0, path)) {
        DWORD error = GetLastError();
        path[0] = '\0';
        return error;
    }
    zyn::UniqueFile file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        DeleteFileA(path);  // GetTempFileNameA created it
        path[0] = '\0';
        return error;
    }
    SetEndOfFile(file.get());
    port->spoolFile = std::move(file);
    return ERROR_SUCCESS;
}

// The printer's time-outs from PRINTER_INFO_5, or the defaults. A printer
// name too long for the buffer is not opened: a shortened name could name
// another printer.
void OpenJobPrinter(LprPort* port, const WCHAR* printerName) {
    // A printer left from an earlier job goes back the way it came.
    if (port->printer) g_jobSpooler.closePrinter(port->printer.release());
    port->transmissionRetryTimeout = kDefaultTransmissionRetryMs;
    port->deviceNotSelectedTimeout = kDefaultDeviceNotSelectedMs;
    char name[zyn::kTextSize];
    if (!printerName || !zyn::NarrowText(printerName, name, sizeof name)) return;
    HANDLE printer = nullptr;
    if (!g_jobSpooler.openPrinter(name, &printer, nullptr)) return;
    port->printer.reset(printer);
    // Sized by the printer's answer rather than a fixed 540 bytes, so long
    // printer and port names don't lose the time-outs.
    DWORD needed = 0;
    g_jobSpooler.getPrinter(printer, 5, nullptr, 0, &needed);
    if (needed == 0 || needed > 65536) return;
    std::vector<BYTE> buffer(needed);
    if (!g_jobSpooler.getPrinter(printer, 5, buffer.data(), needed, &needed)) return;
    auto* info = reinterpret_cast<PRINTER_INFO_5A*>(buffer.data());
    port->deviceNotSelectedTimeout = info->DeviceNotSelectedTimeout;
    port->transmissionRetryTimeout = info->TransmissionRetryTimeout;
}

// `outOfMemory` tells the caller that the memory for the document name or
// the spool file's name was missing (message 8001); a spool file that can't
// be made fails the start without a message, whatever its error code.
DWORD StartDocument(LprPort* port, const WCHAR* printerName, DWORD jobId, DWORD level, BYTE* docInfo,
                    bool* outOfMemory) {
    port->jobId = jobId;
    const WCHAR* name = docInfo ? reinterpret_cast<DOC_INFO_1W*>(docInfo)->pDocName : nullptr;
    DWORD error = SetDocumentName(port, name);
    if (error != ERROR_SUCCESS) {
        *outOfMemory = true;
        return error;
    }
    if (level == 2 && docInfo && reinterpret_cast<DOC_INFO_2W*>(docInfo)->dwMode == DI_CHANNEL)
        return ERROR_CANTREAD;
    port->spoolFileName.reset(LocalAlloc(LPTR, zyn::kPathSize));
    if (!port->spoolFileName) {
        *outOfMemory = true;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    error = CreateSpoolFile(port);
    if (error != ERROR_SUCCESS) return error;
    OpenJobPrinter(port, printerName);
    port->retryStartTick = 0;
    return ERROR_SUCCESS;
}

constexpr DWORD kWriteRetryPauseMs = 50;

DWORD BoundedTimeout(DWORD timeoutMs, DWORD defaultMs) { return timeoutMs ? timeoutMs : defaultMs; }

bool IsDroppedStatusRequest(const BYTE* buffer, DWORD count) {
    static const char kCommand[] = "@PJL USTATUS";
    return count >= 12 && memcmp(buffer, kCommand, 12) == 0;
}

DWORD WriteSpool(LprPort* port, const BYTE* buffer, DWORD count, DWORD* written) {
    for (;;) {
        if (IsDroppedStatusRequest(buffer, count)) {
            *written = count;
            return ERROR_SUCCESS;
        }
        *written = 0;
        if (WriteFile(port->SpoolFile(), buffer, count, written, nullptr) || *written > 0) {
            port->retryStartTick = 0;
            return ERROR_SUCCESS;
        }
        DWORD writeError = GetLastError();
        DWORD mask = 0;
        // A spool file is no communications device: there is no error mask
        // to retry by, and with a zero time-out the retries would never end.
        if (!ClearCommError(port->SpoolFile(), &mask, nullptr)) return writeError;
        if (mask & CE_OOP) return ERROR_OUT_OF_PAPER;
        if (mask & (CE_IOE | CE_BREAK)) return ERROR_IO_DEVICE;
        // A zero time-out would never run out; a device that keeps failing
        // must not hold the spooler thread for ever, so the default bounds it.
        if (mask & CE_DNS) {
            if (RetryTimedOut(port, BoundedTimeout(port->deviceNotSelectedTimeout,
                                                   kDefaultDeviceNotSelectedMs)))
                return ERROR_NOT_READY;
        } else if (RetryTimedOut(port, BoundedTimeout(port->transmissionRetryTimeout,
                                                      kDefaultTransmissionRetryMs))) {
            return ERROR_SEM_TIMEOUT;
        }
        Sleep(kWriteRetryPauseMs);
    }
}

// The LPD submission, the spool file's deletion and the client window's
// notice. True when the server took the job.
bool SendAndDelete(LprPort* port, JobMessages* messages) {
    bool taken = SubmitPortJob(port->SpoolFileName(), port->DocumentName() ? port->DocumentName() : "",
                               port->name, messages);
    DeleteFileA(port->SpoolFileName());
    NotifyClientWindow(port->name);
    return taken;
}

// Keeps the job in the queue (see the file comment). The status is set on
// the job's own level-1 record, read first, so its name, priority and place
// stay as they are; a job that can't be read is only paused.
void KeepJob(LprPort* port, const char* reason) {
    DWORD needed = 0;
    g_jobSpooler.getJob(port->Printer(), port->jobId, 1, nullptr, 0, &needed);
    if (needed >= sizeof(JOB_INFO_1A) && needed <= 65536) {
        std::vector<BYTE> buffer(needed);
        if (g_jobSpooler.getJob(port->Printer(), port->jobId, 1, buffer.data(), needed, &needed)) {
            auto* info = reinterpret_cast<JOB_INFO_1A*>(buffer.data());
            info->pStatus = const_cast<LPSTR>(reason);
            info->Status |= JOB_STATUS_ERROR;
            info->Position = JOB_POSITION_UNSPECIFIED;
            g_jobSpooler.setJob(port->Printer(), port->jobId, 1, buffer.data(), 0);
        }
    }
    g_jobSpooler.setJob(port->Printer(), port->jobId, 0, nullptr, JOB_CONTROL_PAUSE);
}

}  // namespace

// StartDocPort: starts a job on the port (ERROR_BUSY while one is open).
// Level 2 with DI_CHANNEL is refused (ERROR_CANTREAD). On any failure the
// port stays idle and no spool file is left behind.
BOOL WINAPI LprStartDocPort(HANDLE handle, LPWSTR printerName, DWORD jobId, DWORD level, LPBYTE docInfo) {
    LprPort* port = PortFromHandle(handle);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!ReserveDocument(port)) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    bool outOfMemory = false;
    DWORD error = StartDocument(port, printerName, jobId, level, docInfo, &outOfMemory);
    if (error == ERROR_SUCCESS) return TRUE;
    ClearDocument(port);
    if (outOfMemory) JobMessages().Report(kErrorBoxStyle, MSG_OUT_OF_MEMORY);
    SetLastError(error);
    return FALSE;
}

// WritePort: appends the block to the spool file. A block that begins with
// "@PJL USTATUS" is dropped whole and counts as written.
BOOL WINAPI LprWritePort(HANDLE handle, LPBYTE buffer, DWORD count, LPDWORD written) {
    LprPort* port = PortFromHandle(handle);
    DWORD ignored = 0;
    if (!written) written = &ignored;
    DWORD error = port && (buffer || count == 0) ? WriteSpool(port, buffer, count, written)
                                                 : ERROR_INVALID_PARAMETER;
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

// ReadPort: reads from the spool file, which is open for writing only, so
// this fails as ReadFile does.
BOOL WINAPI LprReadPort(HANDLE handle, LPBYTE buffer, DWORD count, LPDWORD read) {
    LprPort* port = PortFromHandle(handle);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return ReadFile(port->SpoolFile(), buffer, count, read, nullptr);
}

// EndDocPort: closes the spool file, submits it, deletes it, tells the
// client window, and returns the port to idle. A job the server took is
// deleted from the spooler's queue; one it did not take is kept there in
// error (KeepJob). Succeeds whatever the submission's outcome: the job's
// fate is told through the queue.
BOOL WINAPI LprEndDocPort(HANDLE handle) {
    LprPort* port = PortFromHandle(handle);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(ReadPortFlags(port) & PORT_IN_DOCUMENT)) return TRUE;
    port->spoolFile.reset();
    JobMessages messages;
    bool taken = SendAndDelete(port, &messages);
    if (port->printer) {
        if (taken) {
            g_jobSpooler.setJob(port->Printer(), port->jobId, 0, nullptr, JOB_CONTROL_DELETE);
        } else {
            char reason[zyn::kTextSize];
            if (messages.Reason()[0])
                zyn::BoundedCopy(reason, messages.Reason());
            else
                LoadMessageText(MSG_LPD_JOB_REFUSED, reason, sizeof reason);
            KeepJob(port, reason);
        }
        // Closed through the table, so a test's stand-in sees it.
        g_jobSpooler.closePrinter(port->printer.release());
    }
    port->spoolFileName.reset();
    ClearDocument(port);
    return TRUE;
}

}  // namespace zynlpr
