# Sources of the LPD client: target_sources(zynlpr_internal PRIVATE ...)
target_sources(zynlpr_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/lpd_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_job_number.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_job_steps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_port_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_submit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_wire_format.cpp
)
# Windows Sockets 1.1, as on the systems the monitor serves.
target_link_libraries(zynlpr_internal PUBLIC wsock32)
