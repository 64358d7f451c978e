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
    kDataFileCantOpen = 3,       // message 8019 shown
    kDataFileRefused = 4,        // subcommand not sent, refused with 1 / negative, or refused too often
    kDataFileShortRead = 5,      // message 8022 shown; 0x01 sent instead of the end byte
};

// A server that answers the data-file subcommand with a refusal other than
// 1 or negative ("no room now") is asked again; after this many refusals in
// a row the job is given up, since each refusal has already cost the user
// two message boxes and a server that refuses twenty times does not change
// its mind within the 5 ms between attempts.
constexpr int kMaxDataFileRefusals = 20;

// Connects to host and sends the receive-job command for queue. 0 when the
// server accepted it; otherwise the connect result, or 1 after the refusal
// message (8014, followed by 8015 with the server's text when it sent one),
// with the connection closed.
int LpdOpenJob(LpdConnection& connection, const char* host, const char* queue);

// Sends the spool file as the job's data file, announced with its full
// size, then the end byte. One of LpdDataFileResult.
int LpdSendDataFile(LpdConnection& connection, const char* spoolFileName, const LpdJobNames& names);

}  // namespace zynlpr
