// The two steps of a submission that talk to the server before the control
// file: opening the job on a queue and sending the data file. Used by
// LpdSubmitJob (lpd_submit.cpp); declared here for their tests.
#pragma once

#include "lpd_connection.h"
#include "lpd_wire_format.h"

namespace zynlpr {

// Results of LpdSendDataFile.
enum LpdDataFileResult {
    kDataFileAccepted = 0,
    kDataFileResend = -2,        // a block or the end byte failed; send the file again
    kDataFileCantOpen = 3,       // kSpoolFileUnreadable told
    kDataFileRefused = 4,        // subcommand not sent, refused with 1 / negative, or refused too often
    kDataFileShortRead = 5,      // kSpoolFileShort told; 0x01 sent instead of the end byte
};

// A server that answers the data-file subcommand with a refusal other than
// 1 or negative ("no room now") is asked again; after this many refusals in
// a row the job is given up, since each refusal is told to the observer (a
// message box each, where the monitor shows them) and a server that refuses
// twenty times does not change its mind within the 5 ms between attempts.
constexpr int kMaxDataFileRefusals = 20;

// Connects to host and sends the receive-job command for queue. 0 when the
// server accepted it; otherwise the connect result, or 1 after kJobRefused
// (with the server's text when it sent one), with the connection closed.
int LpdOpenJob(LpdConnection& connection, const char* host, const char* queue);

// Sends the spool file as the job's data file, announced with its full
// size, then the end byte. One of LpdDataFileResult.
int LpdSendDataFile(LpdConnection& connection, const char* spoolFileName, const LpdJobNames& names);

}  // namespace zynlpr
