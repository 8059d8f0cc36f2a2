// Runs a built tool as a child process with a chosen environment and captures what it prints.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ostrevane::testing {

struct ProcessResult {
  int exit_status = -1;  // -1 when the process did not exit normally
  int signal = 0;        // the terminating signal, 0 when it exited
  std::string out;
  std::string err;
};

// Runs `program` with `args` in `working_directory`. The environment is the test's own with every
// OSTREVANE_* variable removed, then `set` applied (a value of nullopt leaves the variable unset).
// With a `timeout_ms` above 0, a process still running after that long is killed (SIGKILL shows
// in `signal`).
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::map<std::string, std::optional<std::string>>& set,
                          const std::string& working_directory = ".", int timeout_ms = 0);

}  // namespace ostrevane::testing
