# Sources of the LPD client: target_sources(zynlpr_internal PRIVATE ...)
