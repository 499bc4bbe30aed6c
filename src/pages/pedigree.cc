// Placeholder until this page writer is built.
#include "pages/phases.h"

namespace kinloom {
int BuildPedigreeCharts(Run&) { return 0; }
int PedigreeChart(Run&, std::int32_t) { return 0; }
}  // namespace kinloom
