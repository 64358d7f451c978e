# zynlprui.dll: the port UI module. The dialog comes from ui/ (zynlpr_dialog), the
# key paths from the monitor's own string table.
add_library(zynlpr_ui SHARED
  ${CMAKE_CURRENT_LIST_DIR}/ui_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_ui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xcv_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zynlprui.def
  ${CMAKE_CURRENT_LIST_DIR}/../monitor/dll/zynlpr.rc
)
set_target_properties(zynlpr_ui PROPERTIES OUTPUT_NAME zynlprui PREFIX "" SUFFIX ".dll")
target_link_libraries(zynlpr_ui PRIVATE zynlpr_dialog winspool)
target_link_options(zynlpr_ui PRIVATE -Wl,--enable-stdcall-fixup)
add_dependencies(zynlpr_ui zynlpr_nls)
add_dependencies(zynlpr_dll zynlpr_ui)
if(COMMAND zyn_add_shipped_check)
  zyn_add_shipped_check(zynlprui.dll ${CMAKE_CURRENT_LIST_DIR}/zynlprui.def DllMain InitializePrintMonitorUI)
endif()
