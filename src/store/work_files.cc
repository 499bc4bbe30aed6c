// Placeholder until the store is built.
#include "store/work_files.h"

namespace kinloom {
WorkFiles::~WorkFiles() = default;
std::optional<std::string> WorkFiles::Open() { return std::nullopt; }
void WorkFiles::CloseAndDelete() {}
}  // namespace kinloom
