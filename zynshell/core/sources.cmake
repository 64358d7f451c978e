# Core sources: target_sources(zynshell_internal PRIVATE ...); also defines the zynshell DLL.
