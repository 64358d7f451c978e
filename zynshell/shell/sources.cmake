# Shell backend sources: Start-menu roots, folder directories, shortcut items.
target_sources(zynshell_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/is_administrator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shell_folders_key.cpp
)
target_link_libraries(zynshell_internal PUBLIC ole32 uuid shell32 user32 advapi32)
