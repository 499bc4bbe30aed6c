// The records of changed pages on disk: lines written to the letter, and a
// manifest that is cut short anywhere or damaged in any field refused
// whole, while a journal cut short gives back the lines it holds whole.
#include "publish/record_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "publish/content_hash.h"
#include "support/scratch_dir.h"

namespace kinloom::testing {
namespace {

constexpr char kHeader[] = "kinloom record 1 4711\n";
constexpr char kFirst[] = "00000000000000ff 120 5 w html/fam00001.htm\n";
constexpr char kSecond[] =
    "0123456789abcdef 9 1700000000000000000 - html/ind/ind00002.htm\ti2,f1\n";

// The end line for the bytes before it, worked out apart from the code
// under test.
std::string EndLine(long long count, const std::string& before) {
  ContentHash hash;
  hash.Update(before);
  std::uint64_t value = hash.Value();
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) hex[i] = "0123456789abcdef"[value & 15];
  return "end " + std::to_string(count) + " " + hex + "\n";
}

std::string GoodManifest() {
  const std::string lines = std::string(kHeader) + kFirst + kSecond;
  return lines + EndLine(2, lines);
}

struct Read {
  RecordState state = RecordState::kGood;
  std::vector<std::string> lines;  // each record written out again
  std::vector<long long> offsets;
  RecordSeal seal;
};

Read ReadBack(const std::string& bytes, bool needs_end, const char* identity = "4711") {
  WriteFile("record", bytes);
  const platform::FileHandle file = platform::OpenForReading("record");
  Read read;
  read.state = ReadRecordFile(
      file, identity, needs_end,
      [&read](const RecordFields& r, long long offset) {
        read.lines.push_back(RecordLine(r.hash, r.size, r.modified_ns, r.flag, r.path, r.inputs));
        read.offsets.push_back(offset);
      },
      &read.seal);
  if (file != platform::kNoFile) (void)platform::CloseFile(file);
  return read;
}

class RecordFileTest : public ::testing::Test {
 protected:
  ScratchDir dir_;
};

TEST_F(RecordFileTest, LinesAreWrittenToTheLetter) {
  EXPECT_EQ(RecordHeaderLine("4711"), kHeader);
  EXPECT_EQ(RecordLine(0xff, 120, 5, 'w', "html/fam00001.htm"), kFirst);
  EXPECT_EQ(RecordLine(0x0123456789abcdefULL, 9, 1700000000000000000LL, '-',
                       "html/ind/ind00002.htm", "i2,f1"),
            kSecond);
  // A tab in the path is kept apart from the inputs by one more tab.
  EXPECT_EQ(RecordLine(1, 2, 3, 'r', "html/a\tb.htm"), "0000000000000001 2 3 r html/a\tb.htm\t\n");
  const std::string lines = std::string(kHeader) + kFirst + kSecond;
  ContentHash check;
  check.Update(lines);
  EXPECT_EQ(RecordEndLine(2, check.Value()), EndLine(2, lines));
}

TEST_F(RecordFileTest, GoodManifestGivesEveryLineItsOffsetAndSeal) {
  const Read read = ReadBack(GoodManifest(), true);
  ASSERT_EQ(read.state, RecordState::kGood);
  EXPECT_EQ(read.lines, (std::vector<std::string>{kFirst, kSecond}));
  const long long first = sizeof kHeader - 1;
  EXPECT_EQ(read.offsets, (std::vector<long long>{first, first + (long long)sizeof kFirst - 1}));
  EXPECT_EQ(read.seal.count, 2);
  ContentHash check;
  check.Update(std::string(kHeader) + kFirst + kSecond);
  EXPECT_EQ(read.seal.check, check.Value());
}

TEST_F(RecordFileTest, ManifestCutShortAtAnyLengthIsDamaged) {
  const std::string whole = GoodManifest();
  for (std::size_t length = 0; length < whole.size(); ++length) {
    EXPECT_EQ(ReadBack(whole.substr(0, length), true).state, RecordState::kDamaged)
        << "cut at " << length;
  }
}

TEST_F(RecordFileTest, ManifestDamagedInAnyFieldIsRefused) {
  struct Case {
    const char* what;
    std::string from;
    std::string to;
    RecordState state;
  };
  const Case cases[] = {
      {"header", "kinloom record 1 ", "kinloom record 2 ", RecordState::kDamaged},
      {"other folder", "record 1 4711", "record 1 4712", RecordState::kOtherFolder},
      {"hash not hex", "00000000000000ff", "00000000000000fg", RecordState::kDamaged},
      {"hash upper case", "0123456789abcdef", "0123456789ABCDEF", RecordState::kDamaged},
      {"hash short", "00000000000000ff ", "0000000000000ff ", RecordState::kDamaged},
      {"size", " 120 ", " 12x ", RecordState::kDamaged},
      {"size negative", " 120 ", " -120 ", RecordState::kDamaged},
      {"time", " 5 w", " 5.0 w", RecordState::kDamaged},
      {"flag", " 5 w ", " 5 q ", RecordState::kDamaged},
      {"flag long", " 5 w ", " 5 ww ", RecordState::kDamaged},
      {"path out of html", "html/fam00001.htm", "html/../fam1.htm", RecordState::kDamaged},
      {"path outside", "html/fam00001.htm", "site/fam0001.htm", RecordState::kDamaged},
      {"path empty step", "html/ind/ind00002", "html//ind/ind0002", RecordState::kDamaged},
      {"count", "end 2 ", "end 3 ", RecordState::kDamaged},
      {"check", "end 2 ", "end 2 0", RecordState::kDamaged},
      {"same length, other byte", " 120 ", " 121 ", RecordState::kDamaged},
  };
  const std::string good = GoodManifest();
  for (const Case& c : cases) {
    std::string damaged = good;
    const std::size_t at = damaged.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.what;
    damaged.replace(at, c.from.size(), c.to);
    EXPECT_EQ(ReadBack(damaged, true).state, c.state) << c.what;
  }
  EXPECT_EQ(ReadBack(good + kFirst, true).state, RecordState::kDamaged) << "after the end";
  EXPECT_EQ(ReadBack(good, true, "4712").state, RecordState::kOtherFolder);
}

TEST_F(RecordFileTest, EachRefusalHasItsWarning) {
  EXPECT_EQ(ReadBack(GoodManifest(), true, "1").state, RecordState::kOtherFolder);
  EXPECT_EQ(RecordWarning(RecordState::kOtherFolder),
            "kinloom.manifest was made for another html folder");
  EXPECT_EQ(RecordWarning(RecordState::kDamaged), "kinloom.manifest is damaged");
  EXPECT_EQ(RecordWarning(RecordState::kMissing),
            "No record of a previous run in kinloom.manifest");
  EXPECT_EQ(ReadRecordFile(platform::kNoFile, "4711", true, [](const RecordFields&, long long) {}),
            RecordState::kMissing);
}

TEST_F(RecordFileTest, JournalCutShortGivesTheLinesItHoldsWhole) {
  const std::string whole = std::string(kHeader) + kFirst + kSecond;
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    const Read read = ReadBack(whole.substr(0, length), false);
    EXPECT_EQ(read.state, RecordState::kGood) << "cut at " << length;
    std::vector<std::string> expected;
    if (length >= whole.size() - (sizeof kSecond - 1)) expected.push_back(kFirst);
    if (length == whole.size()) expected.push_back(kSecond);
    EXPECT_EQ(read.lines, expected) << "cut at " << length;
  }
  // A line that is not a record ends it quietly too.
  EXPECT_EQ(ReadBack(whole + "garbage\n" + kFirst, false).lines.size(), 2U);
  EXPECT_EQ(ReadBack(whole, false, "4712").state, RecordState::kOtherFolder);
}

}  // namespace
}  // namespace kinloom::testing
