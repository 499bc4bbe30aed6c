// Placeholder until this page writer is built.
#include "pages/phases.h"

namespace kinloom {
int BuildPhotoPages(Run&) { return 0; }
}  // namespace kinloom
