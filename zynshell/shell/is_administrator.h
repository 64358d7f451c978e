// IsAdministrator: whether the caller's access token holds the built-in
// Administrators group. The base part of every program manager records the
// answer; the DDE backend uses it to choose between personal and common groups.
#pragma once

namespace zynshell {

// 1 when the thread's token (or, for a thread without one, the process's
// token) lists the Administrators alias among its groups, whatever the
// group's attributes; 0 otherwise, including on every failure.
int IsAdministrator();

}  // namespace zynshell
