// The spooler calls of the job path, reached through one table so that tests
// can stand a recording spooler in for winspool's.
#pragma once

#include <windows.h>
#include <winspool.h>

namespace zynlpr {

struct JobSpoolerCalls {
    decltype(&OpenPrinterA) openPrinter;
    decltype(&GetPrinterA) getPrinter;
    decltype(&GetJobA) getJob;
    decltype(&SetJobA) setJob;
    decltype(&ClosePrinter) closePrinter;
};

// winspool's functions unless a test replaced them.
extern JobSpoolerCalls g_jobSpooler;

}  // namespace zynlpr
