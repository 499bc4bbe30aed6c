// kinloom-rc DIRECTORY: writes the Windows program's resource script,
// kinloom.rc, and the icon files it names into DIRECTORY, from the same
// resource data the other dialog back ends use. Run by the Windows build.
#include <cstdio>
#include <fstream>
#include <string>

#include "ui/kinloom_resources.h"
#include "ui/resource_script.h"

namespace {

bool WriteWhole(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (file.good()) return true;
  std::fprintf(stderr, "kinloom-rc: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kinloom-rc DIRECTORY\n");
    return 64;
  }
  using namespace kinloom::ui;
  const std::string directory = argv[1];
  const ResourceModule& resources = KinloomResources();
  for (const IconTemplate& icon : resources.icons) {
    if (!WriteWhole(directory + "/" + IconFileName(icon), IconFile(icon))) return 1;
  }
  const ResourceScriptOptions options{kMainDialog, kMainDialogClass, "kinloom.exe.manifest"};
  return WriteWhole(directory + "/kinloom.rc", ResourceScript(resources, options)) ? 0 : 1;
}
