// See port_values.h. Registry data is untrusted: every value goes through
// ReadRegText (type checked, bounded, terminated) before it is parsed.
#include "port_values.h"

#include <cstring>

#include "bounded.h"
#include "handles.h"
#include "registry_text.h"
#include "ui/module_state.h"

namespace zynlpr {

namespace {

LONG SetText(HKEY key, const char* name, const char* text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(strlen(text) + 1));
}

LONG SetNumber(HKEY key, const char* name, LONG number) {
    char text[16];
    zyn::BoundedFormat(text, sizeof text, "%ld", static_cast<long>(number));
    return SetText(key, name, text);
}

LONG ReadNumber(HKEY key, const char* name, LONG fallback) {
    char text[zyn::kTextSize];
    return zyn::ReadRegText(key, name, text, sizeof text) ? LeadingNumber(text) : fallback;
}

BOOL ReadSwitch(HKEY key, const char* name) {
    char text[zyn::kTextSize];
    return !zyn::ReadRegText(key, name, text, sizeof text) || strcmp(text, "1") == 0;
}

}  // namespace

bool ReadPortAddress(HKEY key, char* host, char* queue) {
    bool hostRead = zyn::ReadRegText(key, "HostName", host, zyn::kTextSize);
    return zyn::ReadRegText(key, "QueueName", queue, zyn::kTextSize) && hostRead;
}

void ReadPortValues(HKEY key, PortSettings* settings) {
    ReadPortAddress(key, settings->hostName, settings->queueName);
    settings->doLpq = ReadSwitch(key, "DoLpq");
    settings->doGrace = ReadSwitch(key, "DoGrace");
    settings->seqno = ReadNumber(key, "Seqno", kDefaultSeqno);
    settings->timeOut = ReadNumber(key, "TimeOut", kDefaultTimeOut);
}

LONG WritePortValues(HKEY key, const PortSettings& settings) {
    LONG rc = SetText(key, "HostName", settings.hostName);
    if (rc == ERROR_SUCCESS) rc = SetText(key, "QueueName", settings.queueName);
    if (rc == ERROR_SUCCESS) rc = SetNumber(key, "TimeOut", settings.timeOut);
    if (rc == ERROR_SUCCESS) rc = SetNumber(key, "Seqno", settings.seqno);
    if (rc == ERROR_SUCCESS) rc = SetText(key, "DoLpq", settings.doLpq ? "1" : "0");
    if (rc == ERROR_SUCCESS) rc = SetText(key, "DoGrace", settings.doGrace ? "1" : "0");
    // The flush only hastens the writing to disk: the values are stored
    // once the writes succeeded, whatever it answers.
    if (rc == ERROR_SUCCESS) RegFlushKey(key);
    return rc;
}

LONG StorePortValues(const char* name, const PortSettings& settings) {
    if (!name || !name[0] || strchr(name, '\\')) return ERROR_INVALID_NAME;
    char path[600];
    if (!zyn::BoundedFormat(path, sizeof path, "%s\\%s", g_module.portsKeyPath, name)) return ERROR_BUFFER_OVERFLOW;
    zyn::UniqueRegKey key;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_SET_VALUE, key.put());
    return rc == ERROR_SUCCESS ? WritePortValues(key.get(), settings) : rc;
}

}  // namespace zynlpr
