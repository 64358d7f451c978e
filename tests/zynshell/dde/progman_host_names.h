// Names shared by progman_host and the programs that start and stop it.
#pragma once

namespace zyntest {

constexpr char kProgmanHostReadyEvent[] = "zynshell progman host ready";
constexpr char kProgmanHostStopEvent[] = "zynshell progman host stop";

}  // namespace zyntest
