// Opening a job and sending its data file (see lpd_job_steps.h).
#include "lpd_job_steps.h"

#include <cstring>

#include "bounded.h"
#include "handles.h"

namespace zynlpr {

namespace {

// How long a refusal text may take to follow the refusal byte. The server
// writes both together, but they need not arrive in one segment.
constexpr DWORD kRefusalTextWaitMs = 1000;

// Data moves in blocks of this size: on the wire the file is one stream, and
// large blocks keep the number of read and send calls small (with 64 KiB
// blocks a submission under Wine managed a sixth of the rate it reaches
// with 1 MiB on loopback).
constexpr DWORD kBlockSize = 1024 * 1024;

// Where the file can be mapped, it is sent straight from views of it, this
// many bytes at a time: the socket then copies from the file's own pages
// and the data is not first copied into the block (under Wine a large job
// went about a fifth faster, with less processor time). A multiple of the
// allocation granularity, and small enough to find room in a 32-bit
// address space.
constexpr DWORD kViewSize = 16 * 1024 * 1024;

// The file's last bytes, up to this many, are read into the block rather
// than sent from a view, so that the end byte goes in the same send as them
// instead of as a one-byte send of its own. Small files are then read
// whole and never mapped.
constexpr DWORD kTailSize = 64 * 1024;

// Receives what the server sent after a printable refusal byte, waiting a
// bounded moment for it to arrive. Returns the number of bytes.
int ReceiveRefusalText(LpdConnection& connection, char* buf, int cb) {
    SOCKET s = connection.socket.get();
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    // Whole seconds in tv_sec: a tv_usec of a million or more is out of range.
    timeval tv = {static_cast<long>(kRefusalTextWaitMs / 1000),
                  static_cast<long>((kRefusalTextWaitMs % 1000) * 1000)};
    if (select(0, &readable, nullptr, nullptr, &tv) != 1) return 0;
    int n = recv(s, buf, cb, 0);
    return n > 0 ? n : 0;
}

// Sends the file's bytes from *offset up to `end` out of mapped views,
// advancing *offset. Stops early where no view can be had, leaving the rest
// to be read into the block. False when a send failed.
bool SendFromViews(LpdConnection& connection, HANDLE file, uint64_t end, uint64_t* offset) {
    if (end == 0) return true;
    zyn::UniqueKernelHandle mapping(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return true;
    while (*offset < end) {
        const DWORD cb = end - *offset < kViewSize ? static_cast<DWORD>(end - *offset) : kViewSize;
        zyn::UniqueMappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, static_cast<DWORD>(*offset >> 32),
                                                 static_cast<DWORD>(*offset), cb));
        if (!view) return true;
        if (LpdSend(connection, view.get(), static_cast<int>(cb)) != static_cast<int>(cb)) return false;
        *offset += cb;
    }
    return true;
}

// A view of a file that reads short (a sysfs file through Z: under Wine)
// holds zeros where the reading stopped, as the block would; only reading
// the file's last byte tells.
bool ReadsToItsEnd(HANDLE file, uint64_t size) {
    LARGE_INTEGER last;
    last.QuadPart = static_cast<LONGLONG>(size - 1);
    char byte;
    DWORD got = 0;
    return SetFilePointerEx(file, last, nullptr, FILE_BEGIN) && ReadFile(file, &byte, 1, &got, nullptr) &&
           got == 1;
}

}  // namespace

int LpdOpenJob(LpdConnection& connection, const char* host, const char* queue) {
    int result = LpdConnect(connection, host);
    if (result != kLpdConnected) return result;

    char command[kLpdBufferSize];
    int cb = FormatReceiveJobCommand(command, queue);
    int refusal = -1;
    if (LpdSend(connection, command, cb) == cb) {
        refusal = LpdReadAck(connection, true);
        if (refusal == 0) return 0;
    }

    // The refusal text: the refusal byte itself and what follows it, up to
    // 254 bytes.
    char refusalText[kLpdBufferSize] = {};
    if (refusal >= 0x20 && refusal <= 0x7E) {
        char rest[255] = {};
        int n = ReceiveRefusalText(connection, rest, 254);
        if (n > 0) {
            refusalText[0] = static_cast<char>(refusal);
            zyn::BoundedCopyN(refusalText + 1, sizeof refusalText - 1, rest, static_cast<size_t>(n));
        }
    }
    Tell(connection, LpdNote::kJobRefused, 0, refusalText);
    connection.socket.reset();
    return 1;
}

int LpdSendDataFile(LpdConnection& connection, const char* spoolFileName, const LpdJobNames& names) {
    zyn::UniqueFile file(CreateFileA(spoolFileName, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        Tell(connection, LpdNote::kSpoolFileUnreadable, static_cast<long>(error));
        return kDataFileCantOpen;
    }

    // The full size: a file of 4 GiB or more is announced as what it is.
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info)) {
        DWORD error = GetLastError();
        Tell(connection, LpdNote::kSpoolFileUnreadable, static_cast<long>(error));
        return kDataFileCantOpen;
    }
    const uint64_t size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;

    char command[kLpdBufferSize];
    const int cbCommand = FormatDataFileCommand(command, size, names);
    if (LpdSend(connection, command, cbCommand) != cbCommand) return kDataFileRefused;
    for (int refusals = 0;; ++refusals) {
        int ack = LpdReadAck(connection, true);
        if (ack == 0) break;
        // No answer at all (closed or silent) is no refusal to wait out.
        if (ack < 0 || ack == 1 || connection.broken) return kDataFileRefused;
        if (refusals == 0) Tell(connection, LpdNote::kDataBusy);
        if (refusals == 10) Tell(connection, LpdNote::kDataStillBusy);
        if (refusals + 1 >= kMaxDataFileRefusals) return kDataFileRefused;
        Sleep(5);
        if (LpdSend(connection, command, cbCommand) != cbCommand) return kDataFileRefused;
    }

    // The contents. A read that falls short stops the reading, but the
    // server is still sent exactly the announced number of bytes (zeros in
    // place of the missing ones) so it stays in step, and then 0x01 instead
    // of the end byte, which makes it discard the file.
    uint64_t offset = 0;
    if (!SendFromViews(connection, file.get(), size - (size < kTailSize ? size : kTailSize), &offset))
        return kDataFileResend;
    bool shortRead = offset > 0 && !ReadsToItsEnd(file.get(), size);
    LARGE_INTEGER next;
    next.QuadPart = static_cast<LONGLONG>(offset);
    if (offset < size && !shortRead && !SetFilePointerEx(file.get(), next, nullptr, FILE_BEGIN)) shortRead = true;

    // One byte more than a block, for the end byte after the last one.
    char smallBlock[512 + 1];
    const DWORD cbWanted = size - offset < kBlockSize ? static_cast<DWORD>(size - offset) : kBlockSize;
    zyn::UniqueHeapBlock heapBlock(offset < size ? HeapAlloc(GetProcessHeap(), 0, cbWanted + 1) : nullptr);
    char* block = heapBlock ? static_cast<char*>(heapBlock.get()) : smallBlock;
    const DWORD cbBlock = heapBlock ? cbWanted : sizeof smallBlock - 1;
    bool zeroed = false, endSent = false;
    if (shortRead && offset < size) {
        memset(block, 0, cbBlock);
        zeroed = true;
    }
    while (offset < size) {
        const DWORD want = size - offset < cbBlock ? static_cast<DWORD>(size - offset) : cbBlock;
        if (!shortRead) {
            DWORD got = 0;
            if (!ReadFile(file.get(), block, want, &got, nullptr) || got < want) {
                shortRead = true;
                memset(block + got, 0, want - got);
            }
        }
        int cbSend = static_cast<int>(want);
        if (offset + want == size && !shortRead) {
            block[want] = 0x00;
            ++cbSend;
            endSent = true;
        }
        if (LpdSend(connection, block, cbSend) != cbSend) return kDataFileResend;
        offset += want;
        if (shortRead && !zeroed) {
            memset(block, 0, cbBlock);
            zeroed = true;
        }
    }
    file.reset();

    if (shortRead) {
        Tell(connection, LpdNote::kSpoolFileShort, 0, spoolFileName);
        const char failed = 0x01;
        LpdSend(connection, &failed, 1);
        return kDataFileShortRead;
    }
    const char end = 0x00;
    if ((endSent || LpdSend(connection, &end, 1) == 1) && LpdReadAck(connection, true) == 0)
        return kDataFileAccepted;
    return kDataFileResend;
}

}  // namespace zynlpr
