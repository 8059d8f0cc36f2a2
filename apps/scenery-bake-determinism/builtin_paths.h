// Site-specific locations fixed when the tool is built. Each executable links its own
// definition: the installed tool points at the project's directories, the build the tests run
// points at directories the tests control.
#pragma once

namespace ostrevane::determinism {

struct BuiltinPaths {
  const char* project_data_dir;  // first built-in archive location; the demo world goes here
  const char* shared_data_dir;   // second built-in archive location
  const char* default_out_dir;   // output when OSTREVANE_DETERMINISM_OUT is unset
};

extern const BuiltinPaths kBuiltinPaths;

}  // namespace ostrevane::determinism
