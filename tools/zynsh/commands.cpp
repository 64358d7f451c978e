// zynsh commands (commands.h). Every folder command names its folder by
// name and type and gets a fresh handle for it; the handle is released (or,
// for delete-folder, deleted) before the command ends, so a script holds no
// handles between commands.
#include "commands.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

#include "folder_type.h"

namespace zynsh {

const char kUsage[] =
    "usage: zynsh [--dde] [--keep-going] COMMAND ARGS... [ ; COMMAND ARGS... ]...\n"
    "       zynsh [--dde] [--keep-going] --script FILE     (FILE - : standard input)\n"
    "\n"
    "Calls zynshell.dll. One program manager (ZynPMInit, with --dde: forceDde 1)\n"
    "serves all commands of a run. Commands are separated by a word that is exactly\n"
    "\";\" (quote it for the shell), or come one per line from a script, where\n"
    "\"double quotes\" keep blanks in a word and lines starting with # are comments.\n"
    "A run stops at the first failed command unless --keep-going is given.\n"
    "\n"
    "NAME is a folder name, \"Shell\\Path|Group\" (shell part | Program Manager group);\n"
    "  - means no name (the root folder of the type).\n"
    "TYPE is a number (2, 0x40000002) or words joined by +: desktop, programs,\n"
    "  startup, common, open, desktop-link, programs-link (e.g. programs+open).\n"
    "\n"
    "Commands:\n"
    "  init-check                       whether ZynPMInit gave a program manager\n"
    "  get NAME TYPE                    whether the folder exists (ZynGetFolderHandle)\n"
    "  create NAME TYPE [--icon PATH] [--icon-index N]   (ZynCreateFolder[Ex])\n"
    "  list-folders NAME TYPE           sub-folders, one per line (ZynListSubFolders);\n"
    "                                   Program Manager (--dde) lists all its groups\n"
    "  list-items NAME TYPE             items, one per line (ZynListFolderItems)\n"
    "  add-item NAME TYPE --command CMD [--args A] [--name N] [--icon PATH]\n"
    "           [--icon-index N] [--pos X,Y] [--workdir DIR] [--hotkey N] [--minimize]\n"
    "           [--flags N] [--record]\n"
    "                                   ZynAddItem (--record: ZynAddItemEx); the flags\n"
    "                                   follow from the options unless --flags is given;\n"
    "                                   the hotkey counts only with --pos or --workdir\n"
    "  delete-item NAME TYPE ITEM       ZynDeleteItem\n"
    "  replace-item NAME TYPE ITEM      ZynReplaceItem\n"
    "  show NAME TYPE SHOWCMD           ZynShowFolder (SHOWCMD 1 to 8)\n"
    "  update NAME TYPE                 ZynUpdateFolder\n"
    "  delete-folder NAME TYPE          ZynDeleteFolder (the folder and its content)\n"
    "  add-link NAME TYPE LINKTYPE [--icon PATH] [--icon-index N]   ZynAddLinkToFolder\n"
    "  delete-link NAME TYPE LINKTYPE   ZynDeleteLinkToFolder\n"
    "  last-error                       ZynPMGetLastError\n"
    "\n"
    "Exit status: 0 all commands succeeded, 1 a command failed, 2 usage error,\n"
    "3 no program manager.\n";

const char* ErrorMeaning(int code) {
    switch (code) {
    case ZYN_ERR_NONE: return "no error code";
    case ZYN_ERR_NO_CONVERSATION: return "no Program Manager answered";
    case ZYN_ERR_GLOBAL_MEMORY: return "no memory for a DDE command";
    case ZYN_ERR_DDE_FAILED: return "DDE message not posted or refused";
    case ZYN_ERR_EMPTY_NAME: return "empty item name";
    case ZYN_ERR_EMPTY_GROUP: return "empty group name";
    case ZYN_ERR_BUFFER_TOO_SMALL: return "line longer than the read buffer";
    case ZYN_ERR_BAD_SHOW_COMMAND: return "show command outside 1 to 8";
    case ZYN_ERR_LINK_ON_DDE: return "folder shortcuts need the shell backend";
    case ZYN_ERR_BAD_ITEM_NAME: return "no shortcut file name can be formed for the item";
    case ZYN_ERR_UNSAFE_COMMAND: return "a string Program Manager's command syntax cannot carry; nothing sent";
    case ZYN_ERR_NOT_SAVED: return "the shortcut file could not be written";
    case ZYN_ERR_NOT_DELETED: return "the item's shortcut exists but could not be deleted";
    case ZYN_ERR_NO_DIRECTORY: return "the folder's directory is gone or could not be made";
    case ZYN_ERR_DOT_NAME_PART: return "a name with a part \".\" or \"..\"; nothing touched";
    default: return "unknown code";
    }
}

namespace {

struct Options {
    Words positional;
    std::map<std::string, std::string> values;  // --name value
    std::map<std::string, bool> switches;       // --minimize, --record
};

const char* const kSwitches[] = {"--minimize", "--record"};

bool IsSwitch(const std::string& w) {
    for (const char* s : kSwitches)
        if (w == s) return true;
    return false;
}

bool ParseOptions(const Words& words, Options* out) {
    for (size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() > 2 && w.compare(0, 2, "--") == 0) {
            if (IsSwitch(w)) {
                out->switches[w] = true;
            } else if (i + 1 < words.size()) {
                out->values[w] = words[++i];
            } else {
                fprintf(stderr, "zynsh: %s: %s needs a value\n", words[0].c_str(), w.c_str());
                return false;
            }
        } else {
            out->positional.push_back(w);
        }
    }
    return true;
}

int Usage(const Words& words, const char* what) {
    fprintf(stderr, "zynsh: %s: %s (see zynsh --help)\n", words[0].c_str(), what);
    return 2;
}

int Failed(ZYNPM pm, const Words& words) {
    const int code = ZynPMGetLastError(pm);
    fprintf(stderr, "zynsh: %s failed; last error %d: %s\n", words[0].c_str(), code, ErrorMeaning(code));
    return 1;
}

// Prints the info text line by line.
void PrintInfo(ZYNPM pm) {
    char line[512];
    while (ZynPMReadInfo(pm, line, sizeof line)) printf("%s\n", line);
    fflush(stdout);
}

const char* NameArg(const std::string& word) { return word == "-" ? nullptr : word.c_str(); }

// A command on one folder: NAME TYPE, then `extra` more positional words.
struct FolderCommand {
    size_t extra;
    std::function<int(ZYNPM, ZYNFOLDER, const Options&, const Words&)> run;  // 1/0
};

bool OptionalNumber(const Options& o, const char* key, long long* value, const Words& words) {
    auto it = o.values.find(key);
    if (it == o.values.end()) return true;
    if (ParseNumber(it->second, value)) return true;
    fprintf(stderr, "zynsh: %s: %s wants a number\n", words[0].c_str(), key);
    return false;
}

const char* OptionalText(const Options& o, const char* key) {
    auto it = o.values.find(key);
    return it == o.values.end() ? nullptr : it->second.c_str();
}

int AddItem(ZYNPM pm, ZYNFOLDER folder, const Options& o, const Words& words) {
    const char* command = OptionalText(o, "--command");
    if (!command) {
        fprintf(stderr, "zynsh: add-item: --command is required\n");
        return -1;
    }
    const char* args = OptionalText(o, "--args");
    const char* name = OptionalText(o, "--name");
    const char* icon = OptionalText(o, "--icon");
    const char* workdir = OptionalText(o, "--workdir");
    long long iconIndex = 0, hotkey = 0, flags = 0;
    if (!OptionalNumber(o, "--icon-index", &iconIndex, words) || !OptionalNumber(o, "--hotkey", &hotkey, words) ||
        !OptionalNumber(o, "--flags", &flags, words))
        return -1;
    long x = 0, y = 0;
    const char* pos = OptionalText(o, "--pos");
    if (pos && sscanf(pos, "%ld,%ld", &x, &y) != 2) {
        fprintf(stderr, "zynsh: add-item: --pos wants X,Y\n");
        return -1;
    }
    if (!o.values.count("--flags")) {  // any given value counts, -1 (every bit) too
        flags = (args ? ZYN_ITEM_ARGUMENTS : 0) | (name ? ZYN_ITEM_NAME : 0) | (icon ? ZYN_ITEM_ICON : 0) |
                (o.values.count("--icon-index") ? ZYN_ITEM_ICON_INDEX : 0) | (pos ? ZYN_ITEM_POSITION : 0) |
                (workdir ? ZYN_ITEM_WORKDIR : 0) | (o.switches.count("--minimize") ? ZYN_ITEM_MINIMIZE : 0);
    }
    ZynProgramItem item{};
    item.flags = static_cast<uint32_t>(flags);
    item.command = command;
    item.arguments = args ? args : "";
    item.name = name ? name : "";
    item.iconPath = icon ? icon : "";
    item.iconIndex = static_cast<int32_t>(iconIndex);
    item.x = static_cast<int32_t>(x);
    item.y = static_cast<int32_t>(y);
    item.workingDirectory = workdir ? workdir : "";
    item.hotkey = static_cast<uint32_t>(hotkey);
    item.minimize = o.switches.count("--minimize") ? 1 : 0;
    if (o.switches.count("--record")) return ZynAddItemEx(pm, folder, &item);
    return ZynAddItem(pm, folder, item.flags, item.command, item.arguments, item.name, item.iconPath,
                      item.iconIndex, item.x, item.y, item.workingDirectory, item.hotkey, item.minimize);
}

int LinkType(const Words& words, const Options& o, int32_t* type) {
    if (!ParseFolderType(o.positional[2], type)) {
        Usage(words, "LINKTYPE is not a folder type");
        return 0;
    }
    return 1;
}

const std::map<std::string, FolderCommand>& FolderCommands() {
    static const std::map<std::string, FolderCommand> commands = {
        {"list-folders", {0, [](ZYNPM pm, ZYNFOLDER f, const Options&, const Words&) {
             int ok = ZynListSubFolders(pm, f);
             if (ok) PrintInfo(pm);
             return ok;
         }}},
        {"list-items", {0, [](ZYNPM pm, ZYNFOLDER f, const Options&, const Words&) {
             int ok = ZynListFolderItems(pm, f);
             if (ok) PrintInfo(pm);
             return ok;
         }}},
        {"add-item", {0, AddItem}},
        {"delete-item", {1, [](ZYNPM pm, ZYNFOLDER f, const Options& o, const Words&) {
             return ZynDeleteItem(pm, f, o.positional[2].c_str());
         }}},
        {"replace-item", {1, [](ZYNPM pm, ZYNFOLDER f, const Options& o, const Words&) {
             return ZynReplaceItem(pm, f, o.positional[2].c_str());
         }}},
        {"show", {1, [](ZYNPM pm, ZYNFOLDER f, const Options& o, const Words& w) {
             long long cmd;
             if (!ParseNumber(o.positional[2], &cmd)) {
                 Usage(w, "SHOWCMD is a number");
                 return -1;
             }
             return ZynShowFolder(pm, f, static_cast<int>(cmd));
         }}},
        {"update", {0, [](ZYNPM pm, ZYNFOLDER f, const Options&, const Words&) { return ZynUpdateFolder(pm, f); }}},
        {"add-link", {1, [](ZYNPM pm, ZYNFOLDER f, const Options& o, const Words& w) {
             int32_t type;
             if (!LinkType(w, o, &type)) return -1;
             long long index = 0;
             if (!OptionalNumber(o, "--icon-index", &index, w)) return -1;
             return ZynAddLinkToFolder(pm, f, type, OptionalText(o, "--icon"), static_cast<int>(index));
         }}},
        {"delete-link", {1, [](ZYNPM pm, ZYNFOLDER f, const Options& o, const Words& w) {
             int32_t type;
             if (!LinkType(w, o, &type)) return -1;
             return ZynDeleteLinkToFolder(pm, f, type);
         }}},
    };
    return commands;
}

// NAME and TYPE of a folder command; false (after a message) when unusable.
bool FolderArgs(const Words& words, const Options& o, size_t extra, const char** name, int32_t* type) {
    if (o.positional.size() != 2 + extra) {
        Usage(words, "wrong number of arguments");
        return false;
    }
    if (!ParseFolderType(o.positional[1], type)) {
        Usage(words, "TYPE is not a folder type");
        return false;
    }
    *name = NameArg(o.positional[0]);
    return true;
}

}  // namespace

int RunCommand(ZYNPM pm, const Words& words) {
    const std::string& verb = words[0];
    if (verb == "init-check") {
        printf("%s\n", pm ? "program manager ready" : "no program manager");
        return pm ? 0 : 1;
    }
    if (!pm) {
        fprintf(stderr, "zynsh: %s: no program manager\n", verb.c_str());
        return 1;
    }
    Options o;
    if (!ParseOptions(words, &o)) return 2;
    if (verb == "last-error") {
        const int code = ZynPMGetLastError(pm);
        printf("%d %s\n", code, ErrorMeaning(code));
        return 0;
    }

    const char* name;
    int32_t type;
    if (verb == "get" || verb == "create" || verb == "delete-folder") {
        if (!FolderArgs(words, o, 0, &name, &type)) return 2;
        ZYNFOLDER f;
        if (verb == "get") {
            f = ZynGetFolderHandle(pm, name, type);
        } else if (verb == "create") {
            long long index = 0;
            if (!OptionalNumber(o, "--icon-index", &index, words)) return 2;
            const char* icon = OptionalText(o, "--icon");
            f = icon ? ZynCreateFolderEx(pm, name, type, icon, static_cast<int>(index))
                     : ZynCreateFolder(pm, name, type);
        } else {
            f = ZynGetFolderHandle(pm, name, type);
            if (f && ZynDeleteFolder(pm, f)) return 0;
            return Failed(pm, words);
        }
        if (!f && verb == "get") {
            printf("not found\n");
            return 1;
        }
        if (!f) return Failed(pm, words);
        if (verb == "get") printf("found\n");
        ZynReleaseFolder(pm, f);
        return 0;
    }

    auto it = FolderCommands().find(verb);
    if (it == FolderCommands().end()) return Usage(words, "unknown command");
    if (!FolderArgs(words, o, it->second.extra, &name, &type)) return 2;
    ZYNFOLDER f = ZynGetFolderHandle(pm, name, type);
    if (!f) {
        // Program Manager lists its groups without a folder handle.
        if (verb == "list-folders" && ZynListSubFolders(pm, nullptr)) {
            PrintInfo(pm);
            return 0;
        }
        fprintf(stderr, "zynsh: %s: no such folder\n", verb.c_str());
        return 1;
    }
    const int result = it->second.run(pm, f, o, words);
    ZynReleaseFolder(pm, f);
    if (result < 0) return 2;
    return result ? 0 : Failed(pm, words);
}

}  // namespace zynsh
