// What the LPD client tells about a submission while it runs: each failure,
// refusal or warning as it happens, with the number or text that goes with
// it. The client shows nothing and decides nothing about how a note reaches
// anyone; whoever submits passes an observer that does (the monitor's job
// path turns each note into a message box or an event log entry).
//
// Notes come in the order things happen and on the submitting thread; a
// server that refuses the data file twenty times gives two notes, the first
// and the eleventh refusal, so an observer that blocks (a message box) holds
// the submission at the point where a person would want to look.
#pragma once

namespace zynlpr {

enum class LpdNote {
    kNetworkNotStarted,      // number: WSAStartup's result
    kLocalNameUnknown,       // number: gethostname's error
    kHostNotFound,           // text: the host as given
    kNoSocket,               // number: socket's error
    kNoLocalPort,            // number: bind's error on a port that was not merely busy
    kLocalPortsInUse,        // every reserved local port from 731 down to 221 was busy
    kConnectionRefused,      // refused from 221 and again from 220
    kConnectFailed,          // number: connect's error
    kSendFailed,             // number: the send's error, or WSAETIMEDOUT
    kNoAnswer,               // the connection closed or stayed silent before an acknowledgement
    kCommandRefused,         // a command was answered with a non-zero byte
    kJobRefused,             // text: the server's refusal text, empty when it sent none
    kSpoolFileUnreadable,    // number: the system error of opening or sizing the spool file
    kDataBusy,               // the first refusal of the data file; it is sent again (information)
    kDataStillBusy,          // the eleventh refusal in a row (information)
    kSpoolFileShort,         // text: the spool file's name; the job sent was cancelled
    kControlFileRefused,     // the control file was not acknowledged
};

class LpdObserver {
public:
    virtual void Note(LpdNote note, long number, const char* text) = 0;

protected:
    ~LpdObserver() = default;
};

}  // namespace zynlpr
