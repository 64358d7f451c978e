// LpdSubmitJob: one spooled job to an LPD server (see lpd_submit.h). The data file goes before the control file; a server that
// asks for the job again (a failed data file, or the control-file
// subcommand refused with 1 or a negative byte) gets it again on the same
// connection with the same job number, at most kMaxPasses times.
#include "lpd_submit.h"

#include <windows.h>

#include "handles.h"
#include "lpd_connection.h"
#include "lpd_job_number.h"
#include "lpd_job_steps.h"
#include "lpd_wire_format.h"

namespace zynlpr {

namespace {

// Each pass sends the whole data file again; a server that still wants the
// job again after three passes is refusing it, and further passes would only
// move the same bytes (perhaps megabytes) once more.
constexpr int kMaxPasses = 3;

// An empty spool file has nothing to print, and servers can't take it: a
// data-file size of 0 means "until the connection closes" to some (LPRng)
// and is refused by others (BSD lpd answers 2, CUPS 1). It is not sent.
bool IsEmptyFile(const char* fileName) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &data)) return false;
    return data.nFileSizeHigh == 0 && data.nFileSizeLow == 0;
}

// Steps after the job was opened: the passes of data file and control
// file. True when the server acknowledged the control file.
bool SendJob(LpdConnection& connection, const char* spoolFileName, const LpdJobNames& names,
             bool banner) {
    for (int pass = 0; pass < kMaxPasses && !connection.broken; ++pass) {
        int dataFile = LpdSendDataFile(connection, spoolFileName, names);
        if (dataFile == kDataFileResend) continue;
        if (dataFile != kDataFileAccepted) return false;

        char controlFile[kLpdBufferSize];
        char command[kLpdBufferSize];
        const int cbControl = BuildControlFile(controlFile, names, banner);
        const int cbCommand = FormatControlFileCommand(command, cbControl, names);
        if (LpdSend(connection, command, cbCommand) != cbCommand) continue;
        int ack = LpdReadAck(connection, true);
        if (ack < 0 || ack == 1) continue;
        if (ack != 0) return false;

        // The control file and its end byte go in one piece.
        LpdSend(connection, controlFile, cbControl + 1);
        if (LpdReadAck(connection, false) == 0) return true;
        Tell(connection, LpdNote::kControlFileRefused);
        return false;
    }
    return false;
}

}  // namespace

LpdResult LpdSubmitJob(const LpdJob& job, LpdObserver* observer) {
    if (IsEmptyFile(job.spoolFileName)) return LpdResult::kNothingSent;

    LpdConnection connection;
    connection.observer = observer;
    if (!LpdStartup(connection)) return LpdResult::kNotTaken;
    zyn::ScopeExit cleanup([&] { LpdCleanup(connection); });
    if (LpdOpenJob(connection, job.host, job.queue) != 0) return LpdResult::kNotTaken;

    LpdJobNames names;
    MakeJobNames(names, connection.localHostName, job.user, job.documentName, NextLpdJobNumber());
    return SendJob(connection, job.spoolFileName, names, job.banner) ? LpdResult::kTaken : LpdResult::kNotTaken;
}

}  // namespace zynlpr
