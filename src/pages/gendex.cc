// Placeholder until this page writer is built.
#include "pages/phases.h"

namespace kinloom {
int BuildGendexFile(Run&) { return 0; }
}  // namespace kinloom
