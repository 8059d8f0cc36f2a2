// The built-in locations of the tool's library as the unit tests see them: the same directories
// as the build the process tests run.
#include "scenery-bake-determinism/builtin_paths.h"

namespace ostrevane::determinism {

const BuiltinPaths kBuiltinPaths = {
    OSTREVANE_TEST_BUILTIN_DIR "/data",
    OSTREVANE_TEST_BUILTIN_DIR "/shared",
    OSTREVANE_TEST_BUILTIN_DIR "/out",
};

}  // namespace ostrevane::determinism
