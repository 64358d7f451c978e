// See port_values.h. Registry data is untrusted: every value goes through
// ReadRegText (type checked, bounded, terminated) before it is parsed.
#include "port_values.h"

#include <climits>
#include <cstring>

#include "bounded.h"
#include "registry_text.h"

namespace zynlpr {

namespace {

void SetText(HKEY key, const char* name, const char* text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(strlen(text) + 1));
}

void SetNumber(HKEY key, const char* name, LONG number) {
    char text[16];
    zyn::BoundedFormat(text, sizeof text, "%ld", static_cast<long>(number));
    SetText(key, name, text);
}

LONG ReadNumber(HKEY key, const char* name, LONG fallback) {
    char text[260];
    return ReadRegText(key, name, text, sizeof text) ? LeadingNumber(text) : fallback;
}

BOOL ReadSwitch(HKEY key, const char* name) {
    char text[260];
    return !ReadRegText(key, name, text, sizeof text) || strcmp(text, "1") == 0;
}

}  // namespace

LONG LeadingNumber(const char* text) {
    LONG number = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        int digit = *text - '0';
        if (number > (LONG_MAX - digit) / 10) return LONG_MAX;
        number = number * 10 + digit;
    }
    return number;
}

void ReadPortValues(HKEY key, PortSettings* settings) {
    ReadRegText(key, "HostName", settings->hostName, kSettingsTextSize);
    ReadRegText(key, "QueueName", settings->queueName, kSettingsTextSize);
    settings->doLpq = ReadSwitch(key, "DoLpq");
    settings->doGrace = ReadSwitch(key, "DoGrace");
    settings->seqno = ReadNumber(key, "Seqno", kDefaultSeqno);
    settings->timeOut = ReadNumber(key, "TimeOut", kDefaultTimeOut);
}

void WritePortValues(HKEY key, const PortSettings& settings) {
    SetText(key, "HostName", settings.hostName);
    SetText(key, "QueueName", settings.queueName);
    SetNumber(key, "TimeOut", settings.timeOut);
    SetNumber(key, "Seqno", settings.seqno);
    SetText(key, "DoLpq", settings.doLpq ? "1" : "0");
    SetText(key, "DoGrace", settings.doGrace ? "1" : "0");
    RegFlushKey(key);
}

}  // namespace zynlpr
