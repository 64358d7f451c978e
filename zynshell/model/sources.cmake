# The model: the program manager's interface and records, platform facts.
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/folder_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/info_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/is_administrator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/platform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_folders_key.cpp)
