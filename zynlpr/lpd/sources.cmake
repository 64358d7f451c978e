# zynlpr_lpd: the RFC 1179 client. Knows nothing of the monitor.
target_sources(zynlpr_lpd PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/lpd_connection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_job_number.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_job_steps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_submit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lpd_wire_format.cpp
)
# Windows Sockets 1.1, as on the systems the monitor serves.
target_link_libraries(zynlpr_lpd PUBLIC wsock32)
