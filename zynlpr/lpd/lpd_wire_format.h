// The bytes of an LPD print job (RFC 1179): the receive-job command, the
// data-file and control-file subcommands, and the control file itself.
//
// Pure functions over fixed 256-byte buffers, used by lpd_submit.cpp. Every
// value that goes on the wire is first made safe: control characters
// (below 0x20, and 0x7F) become '_', so no queue, host, user or document
// name can end a command or add a control-file line; and values are
// shortened so that each command and the control file fit their buffer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zynlpr {

constexpr size_t kLpdBufferSize = 256;  // commands and control file: 255 bytes of room

// RFC 1179 limits of the host name (H and C lines, file names), the user
// (P and L lines) and the job name of the banner page (J line).
constexpr size_t kMaxHostChars = 31;
constexpr size_t kMaxUserChars = 31;
constexpr size_t kMaxJobNameChars = 99;

// Copies at most maxChars characters of src into dst[cbDst], control
// characters replaced by '_'. True when nothing was cut.
bool CleanWireValue(char* dst, size_t cbDst, const char* src, size_t maxChars);

// The values of one job as they go on the wire; fill with MakeJobNames.
struct LpdJobNames {
    char host[kMaxHostChars + 1] = {};   // local host: file names, H and C lines
    char user[kMaxUserChars + 1] = {};   // P and L lines
    char document[kLpdBufferSize] = {};  // J and N lines (shortened further by the control file)
    int jobNumber = 0;                   // 0..999, written as three digits
};
void MakeJobNames(LpdJobNames& names, const char* localHost, const char* user,
                  const char* document, int jobNumber);

// Each Format/Build function writes into buf[kLpdBufferSize] and returns the
// number of bytes (without the terminating zero).

// 0x02 queue 0x0A; the queue is cleaned and shortened to fit.
int FormatReceiveJobCommand(char* buf, const char* queue);

// 0x03 size ' ' "dfA" job host 0x0A; the size is the file's full 64-bit size.
int FormatDataFileCommand(char* buf, uint64_t size, const LpdJobNames& names);

// The control file: H P [C J L] f U N lines; with banner the C, J and L
// lines are included. The document name is shortened so the file fits, and
// in the J line to at most kMaxJobNameChars.
int BuildControlFile(char* buf, const LpdJobNames& names, bool banner);

// 0x02 length ' ' "cfA" job host 0x0A.
int FormatControlFileCommand(char* buf, int controlFileLength, const LpdJobNames& names);

}  // namespace zynlpr
