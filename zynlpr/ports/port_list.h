// The port list: one LprPort record per configured port, mirrored from the
// registry (ports_key.cpp reads it), and the record that the spooler holds as
// its port handle.
//
// Every function here runs with MonitorLock held by its caller.
//
// Lifetime. A record carries a reference count: the list holds one reference
// while the record is linked, and every successful OpenPort holds one until
// its ClosePort. RemovePort and ReloadPorts drop the list's reference; the
// record is freed only when the last reference goes, so a handle the spooler
// holds stays valid (with its job state) through reloads, reconfiguration and
// deletion of its port. ReloadPorts also keeps the existing record of a port
// that is still in the registry, so a port keeps one record (and one job
// state) for as long as it exists.
#pragma once

#include <windows.h>

#include "handles.h"

namespace zynlpr {

// The monitor's one critical section; guards the port list and port flags.
extern CRITICAL_SECTION MonitorLock;

// Initialises MonitorLock once per process. InitializeMonitorEx calls it; a
// second call (the spooler initialising twice, or tests) does nothing, so the
// lock is never re-initialised while a thread holds it.
void EnsureMonitorLock();

// Holds MonitorLock for one scope.
class MonitorLockGuard {
public:
    MonitorLockGuard() { EnterCriticalSection(&MonitorLock); }
    ~MonitorLockGuard() { LeaveCriticalSection(&MonitorLock); }
    MonitorLockGuard(const MonitorLockGuard&) = delete;
    MonitorLockGuard& operator=(const MonitorLockGuard&) = delete;
};


constexpr DWORD kPortSignature = 0x4F50;

constexpr DWORD PORT_SPOOL_FILE = 0x04;
constexpr DWORD PORT_IN_DOCUMENT = 0x08;
constexpr DWORD PORT_STARTED = 0x10;

// One record, made in one process-heap block with the name's characters
// behind the fixed fields (placement new, so every owner starts empty). The
// owners release the job's spool file, printer and texts whenever the
// record goes, so a port the spooler closed without EndDocPort leaks nothing.
struct LprPort {
    DWORD signature = kPortSignature;  // while the record is alive
    DWORD size = 0;                    // bytes of this allocation, name characters included
    LprPort* next = nullptr;           // next record of the list; null in the last
    char* name = nullptr;              // points behind the fixed fields
    zyn::UniqueHeapBlock description;  // heap copy; the name when none was given
    DWORD flags = PORT_SPOOL_FILE;     // PORT_* bits; guarded by MonitorLock
    // Job state: driven by StartDocPort .. EndDocPort (job/job_entries.cpp).
    zyn::UniqueFile spoolFile;         // open from StartDocPort to EndDocPort
    zyn::UniqueLocalBlock spoolFileName;  // zyn::kPathSize bytes while a job has a spool file
    zyn::UniqueLocalBlock documentName;   // kept until the next job starts
    zyn::UniquePrinter printer;        // spooler printer of the current job
    DWORD jobId = 0;
    DWORD transmissionRetryTimeout = 0;  // ms
    DWORD deviceNotSelectedTimeout = 0;  // ms
    DWORD retryStartTick = 0;            // 0 when no retry time-out runs
    // Lifetime (see the file comment).
    LONG references = 1;               // list link + open handles; guarded by MonitorLock
    BOOL linked = FALSE;               // true while the record is in the list

    const char* Name() const { return name; }
    const char* Description() const { return static_cast<const char*>(description.get()); }
    char* SpoolFileName() const { return static_cast<char*>(spoolFileName.get()); }
    const char* DocumentName() const { return static_cast<const char*>(documentName.get()); }
    HANDLE SpoolFile() const { return spoolFile.get(); }
    HANDLE Printer() const { return printer.get(); }
};

// Appends a new record to the tail. Null when it can't be allocated.
// An empty description is replaced by the name.
LprPort* CreatePort(const char* name, const char* description);

// First record whose name matches without regard to case; when none, the
// same for the name with its trailing ":" removed, or with ":" appended.
LprPort* FindPort(const char* name);

// Unlinks the first record of exactly this name (no colon variant) and drops
// the list's reference. False when there is none (*error = ERROR_UNKNOWN_PORT).
bool RemovePort(const char* name, DWORD* error);

// Rebuilds the list from the registry (see ports_key.h for the reading).
void ReloadPorts();

// ReloadPorts, unless nothing under the Ports key changed since the last
// reload and the list was not changed meanwhile by CreatePort or RemovePort:
// the list is then already what a reload would make. True when it reloaded.
bool RefreshPorts();

// True when the first four characters are "ZYN_", any case.
bool HasPortPrefix(const char* name);

// Reference counting for port handles.
void AddPortReference(LprPort* port);
void ReleasePort(LprPort* port);

// The record behind a spooler handle, or null when the handle is not one
// that OpenPort handed out and ClosePort has not yet taken back
// (port_handles.cpp; the handle is compared, never read through).
LprPort* PortFromHandle(HANDLE handle);

// The port's flags, read under MonitorLock, which this takes itself: for
// the entries that otherwise run without the lock (EndDocPort,
// SetPortTimeOuts), so their reading of a flag never races its writing.
DWORD ReadPortFlags(const LprPort* port);

// Head of the list (for iteration under MonitorLock).
LprPort* FirstPort();

// Number of records alive (linked or held); for leak checks in tests.
LONG LivePortRecords();

}  // namespace zynlpr
