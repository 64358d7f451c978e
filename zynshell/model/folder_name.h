// Folder names may carry a name per backend: the shell part (a path of
// nested folders below a Start-menu root), a vertical bar, and the Program
// Manager group part. ParseFolderName picks out the part its backend uses.
#pragma once

#include "model/program_manager.h"

namespace zynshell {

// Works in place on a writable copy of the name and returns a pointer into
// it (never null for a non-null name):
//   shell: the text before the first "|" (which is overwritten), or all of it;
//   DDE:   the text after the first "|"; without one, the text after the
//          last backslash, or all of it.
char* ParseFolderName(BackendKind backend, char* name);

// True when a part of name, split at backslashes and slashes, is "." or
// "..", or any other part made of dots and blanks only ("...", ".. "): the
// path rules drop a part's trailing dots and blanks, and Wine turns "..."
// into "..", so each of these can climb above the folder's root or stand
// for the root itself. Dots beside other characters ("My App...", "v1.2")
// are ordinary characters.
bool HasDotPart(const char* name);

}  // namespace zynshell
