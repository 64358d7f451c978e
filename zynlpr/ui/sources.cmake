# zynlpr_dialog: the module start, the message table and its boxes, the
# port-settings dialog with the record it edits, and the user name. Shared by
# ZYNLPR.DLL (the NT 4.0 entries) and zynlprui.dll.
target_sources(zynlpr_dialog PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module_start.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_settings_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/user_name.cpp
)
target_link_libraries(zynlpr_dialog PUBLIC user32 advapi32)
