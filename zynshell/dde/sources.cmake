# DDE backend sources: target_sources(zynshell_internal PRIVATE ...)
# (included from core/sources.cmake).
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dde_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dde_object_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dde_window.cpp)
