# zynshell.dll: DllMain and the export forwarders over zynshell_internal,
# with its import library zynshell.lib.
set(ZYNSHELL_DEF ${CMAKE_CURRENT_LIST_DIR}/zynshell.def)
add_library(zynshell SHARED ${CMAKE_CURRENT_LIST_DIR}/dllmain.cpp ${CMAKE_CURRENT_LIST_DIR}/exports.cpp)
set_target_properties(zynshell PROPERTIES OUTPUT_NAME zynshell PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
target_link_libraries(zynshell PRIVATE zynshell_internal ole32 uuid shell32 user32 advapi32)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # 32-bit __stdcall symbols are decorated (ZynPMInit@4). The DLL exports the
  # undecorated names (--kill-at), and the import library, made by dlltool
  # from the decorated list, lets callers' decorated references reach them.
  set(decorated_names
    ZynPMInit@4 ZynPMUninit@4 ZynPMGetLastError@4 ZynPMReadInfo@12
    ZynGetFolderHandle@12 ZynCreateFolder@12 ZynCreateFolderEx@20 ZynDeleteFolder@8
    ZynUpdateFolder@8 ZynShowFolder@12 ZynListSubFolders@8 ZynListFolderItems@8
    ZynAddItem@52 ZynAddItemEx@12 ZynDeleteItem@12 ZynReplaceItem@12
    ZynReleaseFolder@8 ZynAddLinkToFolder@20 ZynDeleteLinkToFolder@12)
  # The .def file stays the one list of exports: both lists must name the same.
  file(STRINGS ${ZYNSHELL_DEF} def_lines REGEX "^[ \t]+Zyn")
  string(REGEX REPLACE "[ \t]+" "" def_names "${def_lines}")
  string(REGEX REPLACE "@[0-9]+" "" plain_names "${decorated_names}")
  list(SORT def_names)
  list(SORT plain_names)
  if(NOT def_names STREQUAL plain_names)
    message(FATAL_ERROR "zynshell.def and the decorated export list differ")
  endif()
  set(decorated "LIBRARY zynshell\nEXPORTS\n")
  foreach(name IN LISTS decorated_names)
    string(APPEND decorated "    ${name}\n")
  endforeach()
  set(decorated_def ${CMAKE_CURRENT_BINARY_DIR}/zynshell_decorated.def)
  file(CONFIGURE OUTPUT ${decorated_def} CONTENT "${decorated}")
  target_sources(zynshell PRIVATE ${decorated_def})
  target_link_options(zynshell PRIVATE -Wl,--kill-at)
  add_custom_command(TARGET zynshell POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} -k -d ${decorated_def} -D zynshell.dll -l $<TARGET_LINKER_FILE:zynshell>
    COMMENT "zynshell.lib for decorated __stdcall references")
else()
  target_sources(zynshell PRIVATE ${ZYNSHELL_DEF})
endif()

if(COMMAND zyn_add_shipped_check)
  zyn_add_shipped_check(zynshell.dll ${ZYNSHELL_DEF})
endif()
