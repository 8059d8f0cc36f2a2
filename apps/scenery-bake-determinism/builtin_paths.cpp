#include "scenery-bake-determinism/builtin_paths.h"

namespace ostrevane::determinism {

const BuiltinPaths kBuiltinPaths = {
    OSTREVANE_DATA_DIR,
    OSTREVANE_SHARED_DATA_DIR,
    OSTREVANE_DEFAULT_OUT_DIR,
};

}  // namespace ostrevane::determinism
