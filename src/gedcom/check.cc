// Placeholder until the check is built.
#include "gedcom/reader.h"

namespace kinloom {
int IsValidGedcom(Run&) { return 0; }
}  // namespace kinloom
