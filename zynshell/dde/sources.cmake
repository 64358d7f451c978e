# DDE backend sources: target_sources(zynshell_internal PRIVATE ...)
# (included from core/sources.cmake).
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dde_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dde_conversation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dde_object_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dde_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_discovery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progman_command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/progman_group.cpp)
