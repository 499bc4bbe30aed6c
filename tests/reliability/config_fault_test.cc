// A damaged or unwritable kinloom.cfg: loading never fails and never lets a
// field past its capacity, and a save that fails leaves the old file whole.
#include <filesystem>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <string>

#include "reliability/site_fixture.h"
#include "support/windows_skip.h"
#include "ui/config.h"

namespace kinloom::testing {
namespace {

TEST(ConfigFaultTest, DirectoryInPlaceOfTheFileGivesDefaults) {
  ScratchDir dir;
  ASSERT_TRUE(std::filesystem::create_directory("kinloom.cfg"));
  Settings settings;
  settings.notes = 'N';
  LabelTexts labels;
  LoadConfiguration(settings, labels);
  EXPECT_TRUE(settings == Settings());
  EXPECT_TRUE(labels == LabelTexts());

  // The batch command then stops at the placeholder address, as in a
  // directory without any configuration.
  const CommandResult result = RunCommand(KinloomCreatePath());
  EXPECT_EQ(result.exit_status, kResultPlaceholderEmail);
  // It says first that the file could not be read, and why.
  EXPECT_EQ(result.err,
            "kinloom.cfg cannot be read (Is a directory): the default settings were used.\n"
            "You forgot to fill in your E-mail address\n");
  EXPECT_EQ(LastLines(ReadText("kinloom.log"), 1), "<CreateKinloom 3\n");

  // A save cannot replace a directory; nothing is left behind.
  EXPECT_FALSE(SaveConfiguration(settings, labels));
  EXPECT_TRUE(IsDirectory("kinloom.cfg"));
  EXPECT_FALSE(FileExists("kinloom.cfg.tmp"));
}

TEST(ConfigFaultTest, DamagedFilesLoadWithinCapacities) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string email;  // what EMAIL holds afterwards
    char notes;
  };
  const std::string giant(10 * 1024 * 1024, 'g');
  std::string binary;
  for (int i = 0; i < 64 * 1024; ++i) binary += static_cast<char>((i * 131 + 7) % 256);
  const Case cases[] = {
      {"binary bytes, then a line", binary + "\nEMAIL=a@b.c\n", "a@b.c", 'Y'},
      {"NUL bytes inside a line", std::string("NOTES=N\nEMAIL=a\0b\n", 18), std::string("a\0b", 3),
       'N'},
      {"a 10 MB line without \"=\", then a line", giant + "\nEMAIL=a@b.c\nNOTES=N\n", "a@b.c", 'N'},
      {"a 10 MB value", "EMAIL=" + giant + "\n", std::string(kEmailCapacity, 'g'), 'Y'},
      {"a 10 MB key", giant + "=x\nNOTES=N", std::string(kPlaceholderEmail), 'N'},
      {"a 10 MB last line without line end", "NOTES=N\nEMAIL=" + giant,
       std::string(kEmailCapacity, 'g'), 'N'},
      {"only line ends", std::string(100000, '\n'), std::string(kPlaceholderEmail), 'Y'},
      {"only carriage returns", std::string(100000, '\r'), std::string(kPlaceholderEmail), 'Y'},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile("kinloom.cfg", c.bytes);
    Settings settings;
    LabelTexts labels;
    LoadConfiguration(settings, labels);
    EXPECT_EQ(settings.email, c.email);
    EXPECT_EQ(settings.notes, c.notes);
    EXPECT_LE(settings.gedfile.size(), kGedFileCapacity);
    EXPECT_EQ(ReadFile("kinloom.cfg"), c.bytes);  // loading never writes
  }
}

TEST(ConfigFaultTest, SaveOnAFullDiskLeavesTheOldFileWhole) {
  KINLOOM_SKIP_ON_WINDOWS("no fork() and no per-process file size limit");
#ifndef _WIN32
  ScratchDir dir;
  const std::string old_file = "NOTES=N\nEMAIL=old@example.org\n";
  WriteFile("kinloom.cfg", old_file);
  Settings settings;
  LabelTexts labels;
  settings.email = "new@example.org";
  const std::size_t full_size = ConfigurationText(settings, labels).size();
  ASSERT_GT(full_size, 200u);

  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{200, 200};  // the new file does not fit
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(120);
    ::_exit(SaveConfiguration(settings, labels) ? 1 : 0);
  }
  const ChildEnd end = WaitForChild(pid);
  EXPECT_EQ(end.signal, 0);
  EXPECT_EQ(end.exit_status, 0) << "the save reported success";
  EXPECT_EQ(ReadFile("kinloom.cfg"), old_file);
  EXPECT_FALSE(FileExists("kinloom.cfg.tmp"));

  // Room again: the save goes through and loads back.
  EXPECT_TRUE(SaveConfiguration(settings, labels));
  Settings loaded;
  LabelTexts loaded_labels;
  LoadConfiguration(loaded, loaded_labels);
  EXPECT_EQ(loaded.email, "new@example.org");
  EXPECT_EQ(ReadFile("kinloom.cfg").size(), full_size);
#endif
}

}  // namespace
}  // namespace kinloom::testing
