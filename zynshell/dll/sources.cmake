# The DLL layer: the library interface over the backends (in
# zynshell_internal, for the unit tests), then the DLL itself.
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/folder_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lifecycle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/live_program_managers.cpp)
include(${CMAKE_CURRENT_LIST_DIR}/zynshell_dll.cmake)
