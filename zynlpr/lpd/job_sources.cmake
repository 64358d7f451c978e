# Sources of the job path (StartDocPort .. EndDocPort).
target_sources(zynlpr_internal PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/job_spool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/job_retry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/job_notify.cpp
)
