# Sources of the job path (StartDocPort .. EndDocPort): target_sources(zynlpr_internal PRIVATE ...)
