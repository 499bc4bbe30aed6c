// Placeholder until this page writer is built.
#include "pages/phases.h"

namespace kinloom {
int BuildIndividualNotes(Run&) { return 0; }
int BuildFamilyNotes(Run&) { return 0; }
}  // namespace kinloom
