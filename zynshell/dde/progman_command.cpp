// Program Manager's command strings (progman_command.h).
#include "dde/progman_command.h"

#include <cstdarg>
#include <cstring>

#include "bounded.h"

namespace zynshell {

namespace {

const char* Text(const char* s) { return s ? s : ""; }

// An unquoted field ends at a comma, parenthesis or square bracket.
bool FitsBareField(const char* text) { return FitsQuotedField(text) && !strpbrk(Text(text), ",()[]"); }

__attribute__((format(gnu_printf, 2, 3))) bool Format(char* buffer, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const bool fits = zyn::BoundedFormatV(buffer, kCommandLimit, fmt, args);
    va_end(args);
    if (!fits) buffer[0] = '\0';
    return fits;
}

bool Refuse(char* buffer) {
    buffer[0] = '\0';
    return false;
}

}  // namespace

bool FitsQuotedField(const char* text) { return !strchr(Text(text), '"'); }

bool FormatCreateGroup(char* buffer, const char* group, int commonFlag) {
    if (!FitsQuotedField(group)) return Refuse(buffer);
    return Format(buffer, "[CreateGroup(\"%s\",%i)]", Text(group), commonFlag);
}

bool FormatDeleteGroup(char* buffer, const char* group, int commonFlag) {
    if (!FitsQuotedField(group)) return Refuse(buffer);
    return Format(buffer, "[DeleteGroup(\"%s\",%i)]", Text(group), commonFlag);
}

bool FormatReload(char* buffer, const char* group) {
    if (!FitsQuotedField(group)) return Refuse(buffer);
    return Format(buffer, "[Reload(\"%s\")]", Text(group));
}

bool FormatShowGroup(char* buffer, const char* group, int showCmd, int commonFlag) {
    if (!FitsQuotedField(group)) return Refuse(buffer);
    return Format(buffer, "[ShowGroup(\"%s\",%i,%i)]", Text(group), showCmd, commonFlag);
}

bool FormatDeleteItem(char* buffer, const char* item) {
    if (!FitsQuotedField(item)) return Refuse(buffer);
    return Format(buffer, "[DeleteItem(\"%s\")]", Text(item));
}

bool FormatReplaceItem(char* buffer, const char* item) {
    if (!FitsQuotedField(item)) return Refuse(buffer);
    return Format(buffer, "[ReplaceItem(\"%s\")]", Text(item));
}

bool FormatAddItem(char* buffer, const ProgramItem& item) {
    const uint32_t flags = item.flags;
    const char* command = Text(item.command);
    const bool quoted = strpbrk(command, " \t") != nullptr;
    const char* arguments = flags & kItemArguments ? Text(item.arguments) : "";
    const char* name = flags & kItemName ? Text(item.name) : "";
    const char* iconPath = flags & kItemIcon ? Text(item.iconPath) : "";
    const char* workingDirectory = flags & kItemWorkDir ? Text(item.workingDirectory) : "";
    if (!(quoted ? FitsQuotedField(command) : FitsBareField(command)) || !FitsBareField(arguments) ||
        !FitsQuotedField(name) || !FitsQuotedField(iconPath) || !FitsQuotedField(workingDirectory))
        return Refuse(buffer);

    char iconIndex[16] = "", x[16] = "", y[16] = "", hotkey[16] = "", minimize[16] = "";
    if (flags & kItemIconIndex) zyn::BoundedFormat(iconIndex, sizeof iconIndex, "%d", item.iconIndex);
    if (flags & kItemPosition) {
        zyn::BoundedFormat(x, sizeof x, "%d", item.x);
        zyn::BoundedFormat(y, sizeof y, "%d", item.y);
    }
    if (flags & (kItemPosition | kItemWorkDir))  // the hotkey has no bit of its own
        zyn::BoundedFormat(hotkey, sizeof hotkey, "%u", static_cast<unsigned>(item.hotkey & 0xFFFF));
    if (flags & kItemMinimize) zyn::BoundedFormat(minimize, sizeof minimize, "%d", item.minimize);

    if (quoted)
        return Format(buffer, "[AddItem(\"%s\" %s,\"%s\",\"%s\",%s,%s,%s,\"%s\",%s,%s)]", command, arguments,
                      name, iconPath, iconIndex, x, y, workingDirectory, hotkey, minimize);
    return Format(buffer, "[AddItem(%s %s,\"%s\",\"%s\",%s,%s,%s,\"%s\",%s,%s)]", command, arguments, name,
                  iconPath, iconIndex, x, y, workingDirectory, hotkey, minimize);
}

}  // namespace zynshell
