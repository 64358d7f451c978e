// Commands of lprhost, the stand-in for the print spooler. Each command lives
// in a file of its own (command_*.cpp, picked up by the CMakeLists) and
// registers itself with a static LprhostCommand object:
//
//   static LprhostCommand list{"list", "list [level]", "lists the ports", RunList};
//
// run(argc, argv) gets the arguments after the command name and returns the
// process exit code.
#pragma once

#include <windows.h>

struct LprhostCommand {
    const char* name;
    const char* usage;
    const char* summary;
    int (*run)(int argc, char** argv);

    LprhostCommand(const char* n, const char* u, const char* s, int (*r)(int, char**));
};

// The registered commands, in registration order, null-terminated.
LprhostCommand* const* LprhostCommands();
