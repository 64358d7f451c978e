# Shell backend sources: target_sources(zynshell_internal PRIVATE ...)
