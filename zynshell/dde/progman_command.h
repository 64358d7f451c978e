// Program Manager's command strings, formatted from their templates.
//
// Program Manager's command syntax has no escape: a double quote ends a
// quoted field, and a comma, parenthesis or square bracket ends an unquoted
// one. A string holding such a character would change the command (a group
// name X",0)][DeleteGroup("Main deletes the group Main), so the formatters
// refuse it, and refuse a command longer than the 1023 characters that
// Program Manager's side of the formatting allows, rather than cutting it.
// Strings without those characters go out exactly as the templates say.
#pragma once

#include <cstddef>

#include "model/program_item.h"

namespace zynshell {

// Size of the buffers commands are formatted into.
constexpr size_t kCommandBufferSize = 5120;
// The longest command, with its terminator, that is sent.
constexpr size_t kCommandLimit = 1024;

// Each formats one command into buffer[kCommandBufferSize] and returns true,
// or returns false when the command is refused (the buffer then holds
// nothing to send). A null string counts as empty.
bool FormatCreateGroup(char* buffer, const char* group, int commonFlag);
bool FormatDeleteGroup(char* buffer, const char* group, int commonFlag);
bool FormatReload(char* buffer, const char* group);
bool FormatShowGroup(char* buffer, const char* group, int showCmd, int commonFlag);
bool FormatDeleteItem(char* buffer, const char* item);
bool FormatReplaceItem(char* buffer, const char* item);
// From the item record: the command quoted when it holds a blank or a tab,
// fields whose flag bit is clear left empty.
bool FormatAddItem(char* buffer, const ProgramItem& item);

// Whether text can go into a quoted field (it holds no double quote).
bool FitsQuotedField(const char* text);

}  // namespace zynshell
