// Placeholder until this page writer is built.
#include "pages/phases.h"

namespace kinloom {
std::string NameSortKey(const Settings&, std::string_view) { return {}; }
void QsortIndividuals(Run&, std::int32_t, std::int32_t) {}
int BuildSurnamesPages(Run&) { return 0; }
}  // namespace kinloom
