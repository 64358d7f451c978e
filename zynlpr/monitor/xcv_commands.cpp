// See xcv_commands.h and, for the commands and their layouts, xcv_protocol.h.
//
// Everything from the caller is untrusted and unaligned: an input is copied
// into a local of its layout before any field is read, and only as many
// bytes as the caller gave. Every check comes before the first write, so a
// refused command has changed nothing; a command that changes a port asks
// for the administrator's right first of all. The change notification to
// the windows is the UI module's: the spooler may run where nobody sees
// windows, and a broadcast from it could wait on each of them.
#include "xcv_commands.h"

#include <winspool.h>

#include <cstring>
#include <new>
#include <string>

#include "bounded.h"
#include "handles.h"
#include "ports/port_list.h"
#include "ports/port_name_choice.h"
#include "ports/port_store.h"
#include "ports/port_values.h"
#include "ports/ports_key.h"
#include "ui/module_state.h"
#include "ui/port_settings.h"
#include "xcv_protocol.h"

namespace zynlpr {

namespace {

using zynxcv::ZynXcvPortValues;

constexpr size_t kNameUnits = zynxcv::kPortNameMax + 1;

// A port name taken from the caller, of the monitor's form.
struct PortName {
    char text[kNameUnits];
};

// Narrow texts of a record, each with room for its field's limit.
struct RecordTexts {
    PortName port;
    char host[zynxcv::kHostMax + 1];
    char queue[zynxcv::kQueueMax + 1];
};

// Length of the text in units[0..count), or -1 when it is not terminated there.
long TerminatedLength(const WCHAR* units, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (!units[i]) return static_cast<long>(i);
    return -1;
}

bool IsNameUnit(WCHAR c) { return c >= 0x21 && c <= 0x7E && c != L'\\' && c != L','; }
bool IsTextUnit(WCHAR c) { return c >= 0x20 && c <= 0xFF && c != 0x7F; }

// Narrows units[0..length) into out[] (room for length + 1) when every unit
// passes `accept`.
bool NarrowChecked(const WCHAR* units, long length, bool (*accept)(WCHAR), char* out) {
    for (long i = 0; i < length; ++i) {
        if (!accept(units[i])) return false;
        out[i] = static_cast<char>(units[i]);
    }
    out[length] = '\0';
    return true;
}

bool TakePortName(const WCHAR* units, size_t count, PortName* name) {
    long length = TerminatedLength(units, count);
    return length >= 4 && length <= static_cast<long>(zynxcv::kPortNameMax) &&
           NarrowChecked(units, length, IsNameUnit, name->text) && HasPortPrefix(name->text);
}

// A name given as the whole input: terminated within it, of the monitor's form.
DWORD NameFromInput(const BYTE* input, DWORD inputSize, PortName* name) {
    WCHAR units[kNameUnits] = {};
    size_t count = inputSize / sizeof(WCHAR);
    if (!input || count == 0) return ERROR_INVALID_DATA;
    if (count > kNameUnits) count = kNameUnits;
    memcpy(units, input, count * sizeof(WCHAR));
    return TakePortName(units, count, name) ? ERROR_SUCCESS : ERROR_INVALID_DATA;
}

bool TakeText(const WCHAR* field, size_t count, DWORD limit, char* out) {
    long length = TerminatedLength(field, count);
    return length >= 1 && length <= static_cast<long>(limit) && NarrowChecked(field, length, IsTextUnit, out);
}

// A record of this layout with every field within the dialog's limits; the
// port name may be empty where `nameOptional`.
DWORD RecordFromInput(const BYTE* input, DWORD inputSize, bool nameOptional, ZynXcvPortValues* record,
                      RecordTexts* texts) {
    if (!input || inputSize < 2 * sizeof(DWORD)) return ERROR_INVALID_DATA;
    DWORD header[2];
    memcpy(header, input, sizeof header);
    if (header[1] != zynxcv::kZynXcvLayout) return ERROR_REVISION_MISMATCH;
    if (header[0] != sizeof *record || inputSize != sizeof *record) return ERROR_INVALID_DATA;
    memcpy(record, input, sizeof *record);
    bool nameGiven = record->portName[0] != 0 || !nameOptional;
    texts->port.text[0] = '\0';
    if (nameGiven && !TakePortName(record->portName, kNameUnits, &texts->port)) return ERROR_INVALID_DATA;
    if (!TakeText(record->hostName, zynxcv::kHostMax + 1, zynxcv::kHostMax, texts->host) ||
        !TakeText(record->queueName, zynxcv::kQueueMax + 1, zynxcv::kQueueMax, texts->queue) ||
        record->timeOut > zynxcv::kTimeOutMax || record->seqno > zynxcv::kSeqnoMax || record->doLpq > 1 ||
        record->doGrace > 1)
        return ERROR_INVALID_DATA;
    return ERROR_SUCCESS;
}

PortSettings SettingsOf(const ZynXcvPortValues& record, RecordTexts* texts) {
    PortSettings settings = {};
    settings.portName = texts->port.text;
    settings.hostName = texts->host;
    settings.queueName = texts->queue;
    static char noUser[1] = "";  // the user name is the dialog's check, never stored
    settings.userName = noUser;
    settings.timeOut = static_cast<LONG>(record.timeOut);
    settings.seqno = static_cast<LONG>(record.seqno);
    settings.doLpq = record.doLpq;
    settings.doGrace = record.doGrace;
    return settings;
}

// Answers `size` bytes of `data`, or how many are needed.
DWORD Answer(const void* data, DWORD size, BYTE* output, DWORD outputSize, DWORD* needed) {
    *needed = size;
    if (outputSize < size) return ERROR_INSUFFICIENT_BUFFER;
    memcpy(output, data, size);
    return ERROR_SUCCESS;
}

DWORD AnswerText(const char* text, BYTE* output, DWORD outputSize, DWORD* needed) {
    WCHAR wide[kNameUnits];
    size_t length = strlen(text);
    if (length >= kNameUnits) return ERROR_INVALID_DATA;
    for (size_t i = 0; i <= length; ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return Answer(wide, static_cast<DWORD>((length + 1) * sizeof(WCHAR)), output, outputSize, needed);
}

DWORD AnswerHostList(BYTE* output, DWORD outputSize, DWORD* needed) {
    std::string hosts;
    if (!CollectPortHosts(&hosts)) return ERROR_NOT_ENOUGH_MEMORY;
    size_t units = hosts.size() + 1;
    if (units > MAXDWORD / sizeof(WCHAR)) return ERROR_ARITHMETIC_OVERFLOW;
    *needed = static_cast<DWORD>(units * sizeof(WCHAR));
    if (outputSize < *needed) return ERROR_INSUFFICIENT_BUFFER;
    for (size_t i = 0; i < units; ++i) {
        WCHAR unit = static_cast<unsigned char>(hosts.c_str()[i]);
        memcpy(output + i * sizeof(WCHAR), &unit, sizeof unit);
    }
    return ERROR_SUCCESS;
}

DWORD OpenPortKey(const PortName& name, REGSAM access, zyn::UniqueRegKey* key) {
    char path[600];
    if (!PortKeyPath(name.text, path, sizeof path)) return ERROR_INVALID_DATA;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, key->put());
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_UNKNOWN_PORT;
    return static_cast<DWORD>(rc);
}

void WidenField(const char* text, size_t limit, WCHAR* field) {
    size_t i = 0;
    for (; text[i] && i < limit; ++i) field[i] = static_cast<unsigned char>(text[i]);
    field[i] = 0;
}

DWORD AnswerPortValues(const PortName& name, BYTE* output, DWORD outputSize, DWORD* needed) {
    ZynXcvPortValues record = {};
    *needed = sizeof record;
    if (outputSize < sizeof record) return ERROR_INSUFFICIENT_BUFFER;
    zyn::UniqueRegKey key;
    DWORD error = OpenPortKey(name, KEY_READ, &key);
    if (error != ERROR_SUCCESS) {
        *needed = 0;
        return error;
    }
    char texts[4][kSettingsTextSize] = {};
    PortSettings settings = {texts[0], texts[1], texts[2], texts[3], 0, 0, 0, 0};
    ReadPortValues(key.get(), &settings);
    // As the dialog shows a stored value: no longer than its field, and a
    // number too wide as the largest that fits.
    record.cbSize = sizeof record;
    record.layout = zynxcv::kZynXcvLayout;
    WidenField(name.text, zynxcv::kPortNameMax, record.portName);
    WidenField(settings.hostName, zynxcv::kHostMax, record.hostName);
    WidenField(settings.queueName, zynxcv::kQueueMax, record.queueName);
    record.timeOut = settings.timeOut > LONG(zynxcv::kTimeOutMax) ? zynxcv::kTimeOutMax : DWORD(settings.timeOut);
    record.seqno = settings.seqno > LONG(zynxcv::kSeqnoMax) ? zynxcv::kSeqnoMax : DWORD(settings.seqno);
    record.doLpq = settings.doLpq ? 1 : 0;
    record.doGrace = settings.doGrace ? 1 : 0;
    memcpy(output, &record, sizeof record);
    return ERROR_SUCCESS;
}

DWORD AnswerFirstFreeName(BYTE* output, DWORD outputSize, DWORD* needed) {
    {
        MonitorLockGuard lock;
        RefreshPorts();
    }
    PortNameReservation reservation;
    if (!reservation.ReserveFrom(0)) return ERROR_ALREADY_EXISTS;
    // A key the list has not seen yet takes its name too.
    while (RegistryPortExists(reservation.Name()))
        if (!reservation.ReserveFrom(reservation.Number() + 1)) return ERROR_ALREADY_EXISTS;
    return AnswerText(reservation.Name(), output, outputSize, needed);
}

// Stores through the one checked path of every change to a port's values.
// The registry is authoritative: a record that can't be made after the
// values were stored is restored by the next reload.
DWORD StoreValues(const char* name, const PortSettings& settings) {
    DWORD error = SavePortSettings(name, settings);
    if (error == ERROR_NOT_ENOUGH_MEMORY) return ERROR_SUCCESS;
    return error == ERROR_FILE_NOT_FOUND ? ERROR_UNKNOWN_PORT : error;
}

DWORD AddPort(const BYTE* input, DWORD inputSize, BYTE* output, DWORD outputSize, DWORD* needed) {
    ZynXcvPortValues record;
    RecordTexts texts;
    DWORD error = RecordFromInput(input, inputSize, true, &record, &texts);
    if (error != ERROR_SUCCESS) return error;
    const DWORD nameSize = kNameUnits * sizeof(WCHAR);
    if (outputSize != 0 && outputSize < nameSize) {
        *needed = nameSize;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    PortNameReservation reservation;
    if (!texts.port.text[0]) {
        if (!reservation.ReserveFrom(0)) return ERROR_ALREADY_EXISTS;
        error = CreateNewPortKey(&reservation);
        if (error != ERROR_SUCCESS) return error;
        zyn::BoundedCopy(texts.port.text, reservation.Name());
    } else {
        {
            MonitorLockGuard lock;
            RefreshPorts();
            if (FindPort(texts.port.text)) return ERROR_ALREADY_EXISTS;
        }
        // In the existing Ports key only, as CreateNewPortKey makes keys.
        zyn::UniqueRegKey ports, key;
        LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, 0, KEY_CREATE_SUB_KEY, ports.put());
        DWORD disposition = 0;
        if (rc == ERROR_SUCCESS)
            rc = RegCreateKeyExA(ports.get(), texts.port.text, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                 nullptr, key.put(), &disposition);
        if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
        if (disposition != REG_CREATED_NEW_KEY) return ERROR_ALREADY_EXISTS;
    }
    error = StoreValues(texts.port.text, SettingsOf(record, &texts));
    if (error != ERROR_SUCCESS) {
        // A key left half written would list as a port of other values.
        zyn::UniqueRegKey ports;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, ports.put()) == ERROR_SUCCESS)
            RegDeleteKeyA(ports.get(), texts.port.text);
        return error;
    }
    if (outputSize == 0) return ERROR_SUCCESS;
    WCHAR name[kNameUnits] = {};
    WidenField(texts.port.text, zynxcv::kPortNameMax, name);
    return Answer(name, nameSize, output, outputSize, needed);
}

DWORD SetPort(const BYTE* input, DWORD inputSize) {
    ZynXcvPortValues record;
    RecordTexts texts;
    DWORD error = RecordFromInput(input, inputSize, false, &record, &texts);
    if (error != ERROR_SUCCESS) return error;
    return StoreValues(texts.port.text, SettingsOf(record, &texts));
}

DWORD DeletePort(const PortName& name) {
    MonitorLockGuard lock;
    bool listed = RemovePort(name.text, nullptr);
    zyn::UniqueRegKey ports;
    LONG rc = RegOpenKeyA(HKEY_LOCAL_MACHINE, g_module.portsKeyPath, ports.put());
    if (rc == ERROR_SUCCESS) rc = RegDeleteKeyA(ports.get(), name.text);
    if (rc == ERROR_FILE_NOT_FOUND) return listed ? ERROR_SUCCESS : ERROR_UNKNOWN_PORT;
    return static_cast<DWORD>(rc);
}

bool IsCommand(const WCHAR* command, const WCHAR* name) { return lstrcmpW(command, name) == 0; }

DWORD Run(ACCESS_MASK granted, const WCHAR* command, const BYTE* input, DWORD inputSize, BYTE* output,
          DWORD outputSize, DWORD* needed) {
    using namespace zynxcv;
    if (IsCommand(command, kMonitorUi)) return Answer(kUiModuleName, sizeof kUiModuleName, output, outputSize, needed);
    if (IsCommand(command, kLayout)) return Answer(&kZynXcvLayout, sizeof kZynXcvLayout, output, outputSize, needed);
    if (IsCommand(command, kFirstFreeName)) return AnswerFirstFreeName(output, outputSize, needed);
    if (IsCommand(command, kHostList)) return AnswerHostList(output, outputSize, needed);

    const bool changes = IsCommand(command, kAddPort) || IsCommand(command, kSetPort) ||
                         IsCommand(command, kDeletePort);
    if (changes && (granted & SERVER_ACCESS_ADMINISTER) != SERVER_ACCESS_ADMINISTER) return ERROR_ACCESS_DENIED;
    if (IsCommand(command, kAddPort)) return AddPort(input, inputSize, output, outputSize, needed);
    if (IsCommand(command, kSetPort)) return SetPort(input, inputSize);

    const bool named = IsCommand(command, kPortExists) || IsCommand(command, kGetPort) ||
                       IsCommand(command, kDeletePort);
    if (!named) return ERROR_INVALID_PARAMETER;
    PortName name;
    DWORD error = NameFromInput(input, inputSize, &name);
    if (error != ERROR_SUCCESS) return error;
    if (IsCommand(command, kDeletePort)) return DeletePort(name);
    if (IsCommand(command, kGetPort)) return AnswerPortValues(name, output, outputSize, needed);
    DWORD exists = RegistryPortExists(name.text) ? 1 : 0;
    return Answer(&exists, sizeof exists, output, outputSize, needed);
}

}  // namespace

DWORD RunXcvCommand(ACCESS_MASK granted, const WCHAR* command, const BYTE* input, DWORD inputSize,
                    BYTE* output, DWORD outputSize, DWORD* needed) {
    DWORD ignored = 0;
    if (!needed) needed = &ignored;
    *needed = 0;
    if (!command) return ERROR_INVALID_PARAMETER;
    if (!input) inputSize = 0;
    if (!output) outputSize = 0;
    try {
        DWORD error = Run(granted, command, input, inputSize, output, outputSize, needed);
        if (error != ERROR_SUCCESS && error != ERROR_INSUFFICIENT_BUFFER) *needed = 0;
        return error;
    } catch (const std::bad_alloc&) {
        *needed = 0;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace zynlpr
