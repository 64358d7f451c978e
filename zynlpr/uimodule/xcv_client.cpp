// See xcv_client.h. Texts cross as wide strings, one code unit per byte of
// the dialog's 8-bit texts (wide_text.h), which is how the monitor narrows
// them again.
#include "xcv_client.h"

#include <winspool.h>

#include <cstring>
#include <new>

#include "bounded.h"

namespace zynlprui {

using zynxcv::ZynXcvPortValues;

namespace {

void WidenField(const char* text, size_t units, WCHAR* field) {
    size_t i = 0;
    for (; text[i] && i + 1 < units; ++i) field[i] = static_cast<unsigned char>(text[i]);
    field[i] = 0;
}

ZynXcvPortValues RecordOf(const zynlpr::PortSettings& settings) {
    ZynXcvPortValues record = {};
    record.cbSize = sizeof record;
    record.layout = zynxcv::kZynXcvLayout;
    WidenField(settings.portName, zynxcv::kPortNameMax + 1, record.portName);
    WidenField(settings.hostName, zynxcv::kHostMax + 1, record.hostName);
    WidenField(settings.queueName, zynxcv::kQueueMax + 1, record.queueName);
    // The dialog's fields hold no more digits than these.
    record.timeOut = static_cast<DWORD>(settings.timeOut);
    record.seqno = static_cast<DWORD>(settings.seqno);
    record.doLpq = settings.doLpq ? 1 : 0;
    record.doGrace = settings.doGrace ? 1 : 0;
    return record;
}

}  // namespace

DWORD XcvClient::Open(const WCHAR* server, const WCHAR* monitorName) {
    std::wstring name;
    try {
        if (server && server[0]) {
            if (server[0] != L'\\') name = L"\\\\";
            name += server;
            name += L"\\";
        }
        name += L",XcvMonitor ";
        name += monitorName;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    if (!OpenPrinterW(&name[0], xcv_.put(), &defaults)) return GetLastError();
    return ERROR_SUCCESS;
}

DWORD XcvClient::Call(const WCHAR* command, const void* input, DWORD inputSize, void* output, DWORD outputSize,
                      DWORD* needed) {
    DWORD ignored = 0, status = ERROR_SUCCESS;
    if (!needed) needed = &ignored;
    if (!XcvDataW(xcv_.get(), command, static_cast<BYTE*>(const_cast<void*>(input)), inputSize,
                  static_cast<BYTE*>(output), outputSize, needed, &status))
        return GetLastError() ? GetLastError() : ERROR_INVALID_FUNCTION;
    return status;
}

DWORD XcvClient::Layout() {
    DWORD layout = 0, needed = 0;
    if (Call(zynxcv::kLayout, nullptr, 0, &layout, sizeof layout, &needed) != ERROR_SUCCESS ||
        needed != sizeof layout)
        return 0;
    return layout;
}

DWORD XcvClient::FirstFreeName(zynlpr::PortSettings* settings) {
    WCHAR name[zynxcv::kPortNameMax + 1] = {};
    DWORD needed = 0;
    DWORD error = Call(zynxcv::kFirstFreeName, nullptr, 0, name, sizeof name - sizeof(WCHAR), &needed);
    if (error == ERROR_SUCCESS) zyn::NarrowText(name, settings->portName, zynlpr::kSettingsTextSize);
    return error;
}

DWORD XcvClient::HostList(std::string* hosts) {
    try {
        std::wstring wide(64, L'\0');
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD needed = 0;
            DWORD error = Call(zynxcv::kHostList, nullptr, 0, &wide[0], DWORD(wide.size() * sizeof(WCHAR)), &needed);
            if (error == ERROR_INSUFFICIENT_BUFFER && needed > wide.size() * sizeof(WCHAR)) {
                // The list may grow between the two calls: ask again.
                wide.assign(needed / sizeof(WCHAR) + 1, L'\0');
                continue;
            }
            if (error != ERROR_SUCCESS) return error;
            hosts->clear();
            for (size_t i = 0; i < needed / sizeof(WCHAR); ++i) hosts->push_back(static_cast<char>(wide[i]));
            return ERROR_SUCCESS;
        }
        return ERROR_INSUFFICIENT_BUFFER;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD XcvClient::GetPort(const char* name, zynlpr::PortSettings* settings) {
    WCHAR wide[zynxcv::kPortNameMax + 1];
    if (strlen(name) > zynxcv::kPortNameMax) return ERROR_UNKNOWN_PORT;
    zyn::WidenInto(name, wide);
    ZynXcvPortValues record = {};
    DWORD needed = 0;
    DWORD error = Call(zynxcv::kGetPort, wide, DWORD((strlen(name) + 1) * sizeof(WCHAR)), &record, sizeof record,
                       &needed);
    if (error != ERROR_SUCCESS) return error;
    // A record of another size or layout is not read at all.
    if (needed != sizeof record || record.cbSize != sizeof record || record.layout != zynxcv::kZynXcvLayout)
        return ERROR_REVISION_MISMATCH;
    record.hostName[zynxcv::kHostMax] = record.queueName[zynxcv::kQueueMax] = 0;
    zyn::NarrowText(record.hostName, settings->hostName, zynlpr::kSettingsTextSize);
    zyn::NarrowText(record.queueName, settings->queueName, zynlpr::kSettingsTextSize);
    settings->timeOut = static_cast<LONG>(record.timeOut);
    settings->seqno = static_cast<LONG>(record.seqno);
    settings->doLpq = record.doLpq != 0;
    settings->doGrace = record.doGrace != 0;
    return ERROR_SUCCESS;
}

DWORD XcvClient::AddPort(zynlpr::PortSettings* settings) {
    ZynXcvPortValues record = RecordOf(*settings);
    WCHAR made[zynxcv::kPortNameMax + 1] = {};
    DWORD needed = 0;
    DWORD error = Call(zynxcv::kAddPort, &record, sizeof record, made, sizeof made, &needed);
    if (error == ERROR_SUCCESS) {
        made[zynxcv::kPortNameMax] = 0;
        zyn::NarrowText(made, settings->portName, zynlpr::kSettingsTextSize);
    }
    return error;
}

DWORD XcvClient::SetPort(const zynlpr::PortSettings& settings) {
    ZynXcvPortValues record = RecordOf(settings);
    DWORD needed = 0;
    return Call(zynxcv::kSetPort, &record, sizeof record, nullptr, 0, &needed);
}

DWORD XcvClient::DeletePort(const WCHAR* name) {
    DWORD needed = 0;
    size_t length = zyn::WideLength(name);
    if (length > zynxcv::kPortNameMax) return ERROR_UNKNOWN_PORT;
    return Call(zynxcv::kDeletePort, name, DWORD((length + 1) * sizeof(WCHAR)), nullptr, 0, &needed);
}

}  // namespace zynlprui
