# Shell backend sources: Start-menu roots, folder directories, shortcut items.
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/shell_program_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_directory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shortcut_name.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shortcut_item.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_notify.cpp
)
