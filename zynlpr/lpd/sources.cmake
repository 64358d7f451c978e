# Sources of the LPD client and the job path: target_sources(zynlpr_internal PRIVATE ...)
