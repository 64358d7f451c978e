// Loads the real zynshell.dll the way a caller without the import library
// would, and looks up each of its exports by its undecorated name.
#pragma once

#include "handles.h"
#include "zynshell.h"

namespace zyntest {

#define ZYN_EACH_EXPORT(X)                                                                   \
    X(ZynPMInit) X(ZynPMUninit) X(ZynPMGetLastError) X(ZynPMReadInfo) X(ZynGetFolderHandle) \
    X(ZynCreateFolder) X(ZynCreateFolderEx) X(ZynDeleteFolder) X(ZynUpdateFolder)          \
    X(ZynShowFolder) X(ZynListSubFolders) X(ZynListFolderItems) X(ZynAddItem)              \
    X(ZynAddItemEx) X(ZynDeleteItem) X(ZynReplaceItem) X(ZynReleaseFolder)                 \
    X(ZynAddLinkToFolder) X(ZynDeleteLinkToFolder)

struct ZynDll {
    // Loads the DLL; true when every export was found.
    bool Load();

    zyn::UniqueModule module;
#define ZYN_DECLARE_POINTER(name) decltype(&::name) name = nullptr;
    ZYN_EACH_EXPORT(ZYN_DECLARE_POINTER)
#undef ZYN_DECLARE_POINTER
};

}  // namespace zyntest
