// The info text of a program manager: listings fill the 5120-byte buffer
// with CR LF lines (BeginInfo/AppendInfo/EndInfo), and ZynPMReadInfo hands
// them out one per call (ReadInfo/NextInfoLine).
//
// Both directions are bounded: a listing never writes past the buffer (it is
// cut back to the last whole line that fits), and a line is never copied
// into the 512-byte line buffer beyond 511 characters.
#include <cstdarg>
#include <cstring>

#include "bounded.h"
#include "model/program_manager.h"

namespace zynshell {

namespace {
constexpr int kMaxLineScan = 511;
constexpr int kLineBufferSize = 512;
}  // namespace

char* ProgramManager::NextInfoLine() {
    if (!infoAvailable || !infoBuffer_ || !infoCursor) {
        lastError = kErrNoInfo;
        return nullptr;
    }
    char* const start = infoCursor;
    char* const end = infoBuffer_.get() + kInfoBufferSize;
    char* p = start;
    for (int scanned = 0; scanned < kMaxLineScan; ++scanned, ++p) {
        if (p >= end || *p == '\0') {
            infoAvailable = 0;
            infoCursor = nullptr;
            return start;
        }
        if (*p == '\r') {
            *p++ = '\0';
            if (p < end && *p == '\n') ++p;
            infoCursor = p;
            return start;
        }
    }
    // A line longer than the scan: this piece ends here, the rest follows.
    infoCursor = p;
    return start;
}

int ProgramManager::ReadInfo(char* buffer, int bufferSize) {
    if (buffer && bufferSize > 0) buffer[0] = '\0';
    if (!infoAvailable) return 0;
    const char* piece = NextInfoLine();
    if (!piece) return 0;
    // The piece may run to the buffer's end unterminated (a failed request
    // leaves blanks there): copy no further than the buffer holds.
    const size_t left = static_cast<size_t>(infoBuffer_.get() + kInfoBufferSize - piece);
    char line[kLineBufferSize];
    zyn::BoundedCopyN(line, sizeof line, piece, left < kMaxLineScan ? left : kMaxLineScan);
    if (line[0] == '\0' && !infoAvailable) return 0;  // the text is used up
    size_t cbLine = strlen(line) + 1;
    if (!buffer || bufferSize <= 0 || cbLine > static_cast<size_t>(bufferSize)) {
        lastError = kErrBufferTooSmall;  // the line is consumed all the same
        return 0;
    }
    zyn::BoundedCopy(buffer, static_cast<size_t>(bufferSize), line);
    return 1;
}

void ProgramManager::BeginInfo() {
    infoUsed_ = 0;
    infoLineEnd_ = 0;
    infoFull_ = false;
    infoAvailable = 0;
    infoCursor = nullptr;
    if (infoBuffer_) infoBuffer_[0] = '\0';
}

// The listing does not fit: cut it back to its last whole line and take
// nothing more until the next BeginInfo.
bool ProgramManager::CutBackInfo() {
    infoFull_ = true;
    infoUsed_ = infoLineEnd_;
    infoBuffer_[infoUsed_] = '\0';
    return false;
}

// Takes the `added` bytes just written at infoUsed_ into the text.
bool ProgramManager::AcceptInfo(size_t added) {
    const size_t oldUsed = infoUsed_;
    infoUsed_ += added;
    // Remember where the last whole line ends (a CR LF may straddle appends).
    for (size_t pos = infoUsed_; pos >= 2 && pos > oldUsed; --pos) {
        if (infoBuffer_[pos - 2] == '\r' && infoBuffer_[pos - 1] == '\n') {
            infoLineEnd_ = pos;
            break;
        }
    }
    return true;
}

bool ProgramManager::AppendInfo(const char* text) {
    if (!infoBuffer_ || infoFull_ || !text) return false;
    char* at = infoBuffer_.get() + infoUsed_;
    if (!zyn::BoundedCopy(at, kInfoBufferSize - infoUsed_, text)) return CutBackInfo();
    return AcceptInfo(strlen(at));
}

bool ProgramManager::AppendInfoFormat(const char* fmt, ...) {
    if (!infoBuffer_ || infoFull_ || !fmt) return false;
    char* at = infoBuffer_.get() + infoUsed_;
    va_list args;
    va_start(args, fmt);
    const bool fits = zyn::BoundedFormatV(at, kInfoBufferSize - infoUsed_, fmt, args);
    va_end(args);
    if (!fits) return CutBackInfo();
    return AcceptInfo(strlen(at));
}

void ProgramManager::EndInfo() {
    if (!infoBuffer_) return;
    infoBuffer_[infoUsed_] = '\0';
    infoAvailable = 1;
    infoCursor = infoBuffer_.get();
}

}  // namespace zynshell
