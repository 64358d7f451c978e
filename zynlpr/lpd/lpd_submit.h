// Submission of one spooled job to the LPD server of a port.
//
// Called by EndDocPort once the spool file is closed (and by the lprhost
// tool's submit command). Reads the port's host and queue from its registry
// key, sends the spool file as the data file of one print job and then the
// control file, and closes the connection. Every failure is reported as a
// message (a box, or the event log on a MONITOR2 load: messages.h).
// Each submission has a connection and buffers of its own, so the spooler's
// threads may submit jobs on several ports at once.
#pragma once

namespace zynlpr {

// spoolFileName: the closed spool file (not deleted here; an empty file is
//                not sent, since servers can't take a job of zero bytes).
// documentName:  the document's title, written to the control file.
// portName:      the port whose key under the Ports key names host and queue.
// True when the server took the job (or there was nothing to send); false
// when it was not sent or the server did not take it.
bool LpdSubmitJob(const char* spoolFileName, const char* documentName, const char* portName);

}  // namespace zynlpr
