# zynlpr_job: the job entries, StartDocPort .. EndDocPort, over the LPD
# client and the port list; the one place where a job's outcome becomes a
# message or an event log entry.
target_sources(zynlpr_job PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/job_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/job_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/job_notify.cpp
  ${CMAKE_CURRENT_LIST_DIR}/job_retry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/job_submit.cpp
)
target_link_libraries(zynlpr_job PUBLIC zynlpr_ports zynlpr_lpd winspool)
