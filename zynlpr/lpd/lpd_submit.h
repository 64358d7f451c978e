// Submission of one spooled job to an LPD server.
//
// Sends the spool file as the data file of one print job to `queue` on
// `host`, then the control file, and closes the connection. Every failure is
// told to the observer as it happens (lpd_notes.h); nothing is shown and
// nothing is read from the registry here. Each submission has a connection
// and buffers of its own, so jobs on several ports may go at once.
#pragma once

#include "lpd_notes.h"

namespace zynlpr {

struct LpdJob {
    const char* host = "";           // dotted address or name of the LPD server
    const char* queue = "";          // its print queue
    const char* spoolFileName = "";  // the closed spool file; not deleted here
    const char* documentName = "";   // the document's title, for the control file
    const char* user = "";           // the job's owner, for the P and L lines
    bool banner = false;             // C, J and L lines: a banner page
};

enum class LpdResult {
    kTaken,        // the server acknowledged the control file
    kNothingSent,  // the spool file is empty: servers can't take a job of zero bytes
    kNotTaken,     // not sent, or the server did not take it (the observer was told why)
};

LpdResult LpdSubmitJob(const LpdJob& job, LpdObserver* observer);

}  // namespace zynlpr
