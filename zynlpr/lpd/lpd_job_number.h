// Job numbers of the LPD client.
//
// LPD servers keep three digits of a job number (BSD lpd names its files
// cfA + three digits + host), so numbers that differ only above the third
// digit collide on the server and one job silently replaces another. The
// monitor therefore counts: the first submission after the module is loaded
// takes the milliseconds since load modulo 1000, every later one the next
// number, modulo 1000. Safe to call from several threads at once.
#pragma once

namespace zynlpr {

// The number of the next job, 0..999.
int NextLpdJobNumber();

}  // namespace zynlpr
