# DDE backend: Program Manager's groups through its DDE conversation.
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dde_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dde_conversation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dde_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_discovery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progman_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progman_group.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progman_rules.cpp)
