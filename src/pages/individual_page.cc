// Placeholder until this page writer is built.
#include "pages/phases.h"

namespace kinloom {
int BuildIndividualPage(Run&, std::int32_t) { return 0; }
std::string LandingPageLink(Run&, std::int32_t, std::string_view, std::string_view, bool*) { return {}; }
}  // namespace kinloom
