// Wire format of an LPD job (see lpd_wire_format.h).
#include "lpd_wire_format.h"

#include <cstring>

#include "bounded.h"

namespace zynlpr {

namespace {

size_t Length(const char* s) { return strlen(s); }

}  // namespace

bool CleanWireValue(char* dst, size_t cbDst, const char* src, size_t maxChars) {
    if (cbDst == 0) return false;
    if (!src) src = "";
    size_t room = cbDst - 1 < maxChars ? cbDst - 1 : maxChars;
    size_t n = 0;
    for (; n < room && src[n]; ++n) {
        unsigned char c = static_cast<unsigned char>(src[n]);
        dst[n] = (c < 0x20 || c == 0x7F) ? '_' : static_cast<char>(c);
    }
    dst[n] = '\0';
    return src[n] == '\0';
}

void MakeJobNames(LpdJobNames& names, const char* localHost, const char* user,
                  const char* document, int jobNumber) {
    CleanWireValue(names.host, sizeof names.host, localHost, kMaxHostChars);
    CleanWireValue(names.user, sizeof names.user, user, kMaxUserChars);
    CleanWireValue(names.document, sizeof names.document, document, sizeof names.document - 1);
    names.jobNumber = jobNumber;
}

int FormatReceiveJobCommand(char* buf, const char* queue) {
    char clean[kLpdBufferSize - 2];  // room for 0x02 and 0x0A
    CleanWireValue(clean, sizeof clean, queue, sizeof clean - 1);
    zyn::BoundedFormat(buf, kLpdBufferSize, "\x02%s\n", clean);
    return static_cast<int>(Length(buf));
}

int FormatDataFileCommand(char* buf, uint64_t size, const LpdJobNames& names) {
    zyn::BoundedFormat(buf, kLpdBufferSize, "\x03%llu dfA%03d%s\n",
                       static_cast<unsigned long long>(size), names.jobNumber, names.host);
    return static_cast<int>(Length(buf));
}

int BuildControlFile(char* buf, const LpdJobNames& names, bool banner) {
    // Everything but the document name has a fixed length here; the name
    // gets what is left of the buffer, shared by J and N in the banner form.
    const size_t host = Length(names.host), user = Length(names.user);
    size_t fixed = (host + 2) + (user + 2) + 2 * (host + 8) + 2;  // H P f U, N's letter and 0x0A
    int documentLines = 1;
    if (banner) {
        fixed += (host + 2) + 2 + (user + 2);  // C, J's letter and 0x0A, L
        documentLines = 2;
    }
    const size_t room = kLpdBufferSize - 1;
    size_t documentMax = fixed < room ? (room - fixed) / documentLines : 0;
    char document[kLpdBufferSize];
    zyn::BoundedCopyN(document, sizeof document, names.document, documentMax);

    if (banner) {
        // Servers keep at most 99 octets of a job name (RFC 1179).
        char jobName[kMaxJobNameChars + 1];
        zyn::BoundedCopy(jobName, document);
        zyn::BoundedFormat(buf, kLpdBufferSize, "H%s\nP%s\nC%s\nJ%s\nL%s\nfdfA%03d%s\nUdfA%03d%s\nN%s\n",
                           names.host, names.user, names.host, jobName, names.user,
                           names.jobNumber, names.host, names.jobNumber, names.host, document);
    } else {
        zyn::BoundedFormat(buf, kLpdBufferSize, "H%s\nP%s\nfdfA%03d%s\nUdfA%03d%s\nN%s\n",
                           names.host, names.user, names.jobNumber, names.host,
                           names.jobNumber, names.host, document);
    }
    return static_cast<int>(Length(buf));
}

int FormatControlFileCommand(char* buf, int controlFileLength, const LpdJobNames& names) {
    zyn::BoundedFormat(buf, kLpdBufferSize, "\x02%d cfA%03d%s\n", controlFileLength,
                       names.jobNumber, names.host);
    return static_cast<int>(Length(buf));
}

}  // namespace zynlpr
