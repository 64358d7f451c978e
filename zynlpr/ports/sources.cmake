# zynlpr_ports: the port list, its registry keys and the name index.
target_sources(zynlpr_ports PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/port_handles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_job_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_name_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_name_index.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ports_key.cpp
)
target_link_libraries(zynlpr_ports PUBLIC zynlpr_dialog advapi32)
