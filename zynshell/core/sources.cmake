# Core sources of zynshell_internal, the DDE backend's list, and the DLL.
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/folder_calls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/info_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lifecycle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/live_program_managers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_manager.cpp)
target_link_libraries(zynshell_internal PUBLIC ole32 uuid shell32 user32 advapi32)
include(${CMAKE_CURRENT_LIST_DIR}/../dde/sources.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/zynshell_dll.cmake)
