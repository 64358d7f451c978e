# Sources of the monitor frame; also defines ZYNLPR.DLL and zynlpr.nls.
target_sources(zynlpr_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/module_state.cpp
)
