# Sources of the monitor frame; also defines ZYNLPR.DLL and zynlpr.nls.
