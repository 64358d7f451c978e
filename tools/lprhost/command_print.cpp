// lprhost print PORT FILE [--doc NAME] [--job ID] [--printer NAME] [--block BYTES]
// Prints a file through a port as the spooler does: OpenPort, StartDocPort
// (level 1, the document name and job id), WritePort in blocks, EndDocPort,
// ClosePort.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lprhost_command.h"
#include "monitor_host.h"

namespace {

int RunPrint(int argc, char** argv) {
    std::string monitorName = TakeMonitorOption(&argc, argv);
    const char* portName = nullptr;
    const char* fileName = nullptr;
    const char* docName = nullptr;
    const char* printerName = "lprhost";
    DWORD jobId = 1, block = 4096;
    for (int i = 0; i < argc; ++i) {
        if (strcmp(argv[i], "--doc") == 0 && i + 1 < argc) docName = argv[++i];
        else if (strcmp(argv[i], "--job") == 0 && i + 1 < argc) jobId = strtoul(argv[++i], nullptr, 10);
        else if (strcmp(argv[i], "--printer") == 0 && i + 1 < argc) printerName = argv[++i];
        else if (strcmp(argv[i], "--block") == 0 && i + 1 < argc) block = strtoul(argv[++i], nullptr, 10);
        else if (!portName) portName = argv[i];
        else if (!fileName) fileName = argv[i];
    }
    if (!portName || !fileName || block == 0) {
        fprintf(stderr, "usage: lprhost print PORT FILE [--doc NAME] [--job ID] [--printer NAME] [--block BYTES]\n");
        return 2;
    }
    FILE* f = fopen(fileName, "rb");
    if (!f) {
        fprintf(stderr, "lprhost: can't read %s\n", fileName);
        return 1;
    }
    std::vector<BYTE> data;
    BYTE chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) data.insert(data.end(), chunk, chunk + n);
    fclose(f);

    LoadedMonitor m;
    if (!LoadMonitor(monitorName.c_str(), &m)) return 1;
    std::wstring port = Widen(portName);
    HANDLE handle = nullptr;
    if (!m.table.pfnOpenPort(&port[0], &handle)) {
        fprintf(stderr, "lprhost: OpenPort %s failed (error %lu)\n", portName, GetLastError());
        return 1;
    }
    std::wstring printer = Widen(printerName);
    std::wstring doc = Widen(docName ? docName : "");
    DOC_INFO_1W info = {docName ? &doc[0] : nullptr, nullptr, nullptr};
    if (!m.table.pfnStartDocPort(handle, &printer[0], jobId, 1, reinterpret_cast<LPBYTE>(&info))) {
        fprintf(stderr, "lprhost: StartDocPort failed (error %lu)\n", GetLastError());
        m.table.pfnClosePort(handle);
        return 1;
    }
    int rc = 0;
    for (size_t off = 0; off < data.size();) {
        DWORD count = static_cast<DWORD>(data.size() - off < block ? data.size() - off : block);
        DWORD written = 0;
        if (!m.table.pfnWritePort(handle, data.data() + off, count, &written)) {
            fprintf(stderr, "lprhost: WritePort failed (error %lu)\n", GetLastError());
            rc = 1;
            break;
        }
        off += written ? written : count;
    }
    if (!m.table.pfnEndDocPort(handle)) {
        fprintf(stderr, "lprhost: EndDocPort failed (error %lu)\n", GetLastError());
        rc = 1;
    }
    m.table.pfnClosePort(handle);
    if (rc == 0) printf("printed %zu bytes of %s through %s\n", data.size(), fileName, portName);
    return rc;
}

LprhostCommand command{"print", "print PORT FILE [--doc N] [--job ID] [--printer N] [--block B]",
                       "prints a file through a port as the spooler does", RunPrint};

}  // namespace
