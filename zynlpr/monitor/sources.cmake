# The monitor's entry tables over ports/, job/ and ui/; also defines
# ZYNLPR.DLL and its message module zynlpr.nls.
target_sources(zynlpr_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/monitor_init.cpp
  ${CMAKE_CURRENT_LIST_DIR}/monitor2_adapter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_dialog_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xcv_commands.cpp
)
target_link_libraries(zynlpr_internal PUBLIC zynlpr_job mpr)

# ZYNLPR.DLL: the print monitor the spooler loads.
add_library(zynlpr_dll SHARED
  ${CMAKE_CURRENT_LIST_DIR}/dll/dll_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dll/zynlpr.def
  ${CMAKE_CURRENT_LIST_DIR}/dll/zynlpr.rc
)
set_target_properties(zynlpr_dll PROPERTIES OUTPUT_NAME ZYNLPR PREFIX "" SUFFIX ".DLL")
target_link_libraries(zynlpr_dll PRIVATE zynlpr_internal)
target_link_options(zynlpr_dll PRIVATE -Wl,--enable-stdcall-fixup)
if(COMMAND zyn_add_shipped_check)
  zyn_add_shipped_check(ZYNLPR.DLL ${CMAKE_CURRENT_LIST_DIR}/dll/zynlpr.def
                        DllMain InitializeMonitorEx InitializePrintMonitor2)
endif()

# The message table of zynlpr.nls for the event log (lprinstall names the
# module as the event source's message file): every message id of the
# monitor stands for "%1", the text the monitor formatted, so an entry shows
# just what the NT 4.0 load's message box shows, and the texts have one home.
set(zynlpr_event_dir ${CMAKE_CURRENT_BINARY_DIR}/event_messages)
set(zynlpr_event_mc "LanguageNames=(English=0x409:MSG00409)\n")
foreach(id RANGE 8000 8040)
  string(APPEND zynlpr_event_mc "MessageId=${id}\nLanguage=English\n%1\n.\n")
endforeach()
file(MAKE_DIRECTORY ${zynlpr_event_dir})
file(WRITE ${zynlpr_event_dir}/zynlpr_events.mc "${zynlpr_event_mc}")
string(REPLACE "windres" "windmc" zynlpr_windmc "${CMAKE_RC_COMPILER}")
add_custom_command(OUTPUT ${zynlpr_event_dir}/MSG00409.bin
  COMMAND ${zynlpr_windmc} -r ${zynlpr_event_dir} -h ${zynlpr_event_dir} ${zynlpr_event_dir}/zynlpr_events.mc
  DEPENDS ${zynlpr_event_dir}/zynlpr_events.mc)
add_custom_target(zynlpr_event_messages DEPENDS ${zynlpr_event_dir}/MSG00409.bin)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/../ui/nls/zynlpr_nls.rc PROPERTIES
                            OBJECT_DEPENDS ${zynlpr_event_dir}/MSG00409.bin)

# zynlpr.nls: the message module, resources and a trivial entry, no C runtime.
add_library(zynlpr_nls SHARED ${CMAKE_CURRENT_LIST_DIR}/../ui/nls/zynlpr_nls.rc
                              ${CMAKE_CURRENT_LIST_DIR}/../ui/nls/nls_entry.c)
set_target_properties(zynlpr_nls PROPERTIES OUTPUT_NAME zynlpr PREFIX "" SUFFIX ".nls"
                      LINKER_LANGUAGE C)
target_link_options(zynlpr_nls PRIVATE -nostdlib)
set_target_properties(zynlpr_nls PROPERTIES LINK_LIBRARIES "")
add_dependencies(zynlpr_dll zynlpr_nls)
add_dependencies(zynlpr_nls zynlpr_event_messages)
target_include_directories(zynlpr_nls PRIVATE ${zynlpr_event_dir})
