// The block cache of a work file: whatever order reads and writes come in,
// and however often blocks are pushed out, the file reads back what was
// written, zeros in the gaps, and holds exactly those bytes on disk after
// a flush.
#include "store/block_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

using testing::ReadFile;
using testing::ScratchDir;

constexpr auto kBlock = static_cast<long long>(BlockFile::kBlockSize);

std::vector<unsigned char> Bytes(const std::string& text) {
  return std::vector<unsigned char>(text.begin(), text.end());
}

std::string Read(BlockFile& file, long long offset, std::size_t n, bool* ok = nullptr) {
  std::vector<unsigned char> bytes(n, 0xEE);
  const bool got = file.Read(offset, bytes.data(), n);
  if (ok != nullptr) *ok = got;
  return std::string(bytes.begin(), bytes.end());
}

void Write(BlockFile& file, long long offset, const std::string& text) {
  const std::vector<unsigned char> bytes = Bytes(text);
  file.Write(offset, bytes.data(), bytes.size());
}

class BlockFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(file.Create("work.dat")); }

  ScratchDir dir;
  BlockFile file;
};

TEST_F(BlockFileTest, CreateTruncatesAnExistingFile) {
  testing::WriteFile("old.dat", "something");
  BlockFile old;
  ASSERT_TRUE(old.Create("old.dat"));
  EXPECT_EQ(old.size(), 0);
  old.Close();
  EXPECT_EQ(ReadFile("old.dat"), "");
}

TEST_F(BlockFileTest, CreateFailsInADirectoryThatDoesNotExist) {
  BlockFile missing;
  EXPECT_FALSE(missing.Create("no/such/dir/work.dat"));
  EXPECT_FALSE(missing.is_open());
}

TEST_F(BlockFileTest, ReadsOutsideTheFileGiveZerosAndFalse) {
  Write(file, 0, "abcdef");
  struct Case {
    long long offset;
    std::size_t n;
    bool ok;
  } cases[] = {{0, 6, true},  {5, 1, true},   {6, 0, true},      {5, 2, false},
               {6, 1, false}, {-1, 1, false}, {100000, 4, false}};
  for (const Case& c : cases) {
    bool ok = false;
    const std::string got = Read(file, c.offset, c.n, &ok);
    EXPECT_EQ(ok, c.ok) << "offset " << c.offset << " n " << c.n;
    if (!c.ok) {
      EXPECT_EQ(got, std::string(c.n, '\0')) << "offset " << c.offset;
    }
  }
}

TEST_F(BlockFileTest, WritesAcrossBlockBoundariesReadBackAndReachTheFile) {
  const std::string text(3 * BlockFile::kBlockSize + 17, 'x');
  std::string pattern = text;
  for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<char>('a' + i % 26);
  Write(file, kBlock - 5, pattern);
  EXPECT_EQ(file.size(), kBlock - 5 + static_cast<long long>(pattern.size()));
  EXPECT_EQ(Read(file, kBlock - 5, pattern.size()), pattern);
  file.Flush();
  EXPECT_EQ(ReadFile("work.dat"), std::string(kBlock - 5, '\0') + pattern);
}

TEST_F(BlockFileTest, GapsReadAsZerosAndLargeOffsetsMakeASparseFile) {
  const long long far = 4000LL * kBlock + 3;
  Write(file, far, "end");
  EXPECT_EQ(Read(file, kBlock, 8), std::string(8, '\0'));
  file.Flush();
  EXPECT_EQ(std::filesystem::file_size("work.dat"), static_cast<std::uintmax_t>(far + 3));
  EXPECT_EQ(Read(file, far, 3), "end");
}

TEST_F(BlockFileTest, CloseWritesChangesAndDiscardDropsThem) {
  Write(file, 0, "kept");
  file.Close();
  EXPECT_EQ(ReadFile("work.dat"), "kept");

  BlockFile other;
  ASSERT_TRUE(other.Create("other.dat"));
  Write(other, 0, "dropped");
  other.Discard();
  EXPECT_EQ(ReadFile("other.dat"), "");
}

// Many more blocks than the cache holds, written and read in a random
// order, against a model of the file kept in a string.
TEST_F(BlockFileTest, WritableSpansAreGivenOnlyWithinOneBlock) {
  struct Case {
    long long offset;
    std::size_t n;
    bool given;
  };
  const Case cases[] = {
      {0, 10, true},
      {kBlock - 10, 10, true},
      {kBlock - 10, 11, false},
      {kBlock, static_cast<std::size_t>(kBlock), true},
      {kBlock + 1, static_cast<std::size_t>(kBlock), false},
      {-1, 1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.given, file.WritableSpan(c.offset, c.n) != nullptr)
        << "offset " << c.offset << " n " << c.n;
  }
  // A span given and filled reads back and reaches the file like a write.
  unsigned char* span = file.WritableSpan(3 * kBlock + 2, 4);
  ASSERT_NE(nullptr, span);
  std::memcpy(span, "span", 4);
  EXPECT_EQ(3 * kBlock + 6, file.size());
  EXPECT_EQ("span", Read(file, 3 * kBlock + 2, 4));
  file.Close();
  EXPECT_EQ("span", ReadFile("work.dat").substr(3 * kBlock + 2));
}

TEST_F(BlockFileTest, RandomWorkloadMatchesAModelOfTheFile) {
  std::mt19937 random(12345);
  std::string model;
  const long long span = static_cast<long long>(BlockFile::kBlocks) * 3 * kBlock;
  for (int step = 0; step < 4000; ++step) {
    const long long offset = std::uniform_int_distribution<long long>(0, span)(random);
    const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 700)(random);
    if (step % 3 != 0) {
      std::string text(n, '\0');
      for (char& c : text)
        c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
      // Every other write goes through a span where one is given.
      unsigned char* span = step % 2 == 0 ? file.WritableSpan(offset, n) : nullptr;
      if (span != nullptr) {
        std::memcpy(span, text.data(), n);
      } else {
        Write(file, offset, text);
      }
      if (model.size() < offset + n) model.resize(static_cast<std::size_t>(offset) + n, '\0');
      model.replace(static_cast<std::size_t>(offset), n, text);
    } else {
      bool ok = false;
      const std::string got = Read(file, offset, n, &ok);
      const bool inside =
          offset + static_cast<long long>(n) <= static_cast<long long>(model.size());
      ASSERT_EQ(ok, inside) << "step " << step;
      if (inside) {
        ASSERT_EQ(got, model.substr(static_cast<std::size_t>(offset), n)) << "step " << step;
      }
    }
    if (step % 1000 == 999) {
      file.Flush();
      ASSERT_EQ(ReadFile("work.dat"), model) << "step " << step;
    }
  }
  EXPECT_EQ(file.size(), static_cast<long long>(model.size()));
}

// Blocks given up for room are written by a thread of their own: two files
// sharing it, worked on by turns, still read back what was written, also
// right after a block went out, and hold it on disk after a flush.
TEST(WriteBehindTest, RandomWorkOnTwoFilesMatchesTheirModels) {
  ScratchDir dir;
  WriteBehind writer;
  BlockFile files[2];
  std::string models[2];
  const char* const paths[2] = {"a.dat", "b.dat"};
  for (int f = 0; f < 2; ++f) {
    ASSERT_TRUE(files[f].Create(paths[f], 4));
    files[f].UseWriteBehind(&writer);
  }
  std::mt19937 random(777);
  const long long span = 40 * kBlock;
  for (int step = 0; step < 6000; ++step) {
    BlockFile& file = files[step % 2];
    std::string& model = models[step % 2];
    const long long offset = std::uniform_int_distribution<long long>(0, span)(random);
    const std::size_t n = std::uniform_int_distribution<std::size_t>(1, 3000)(random);
    if (step % 5 != 0) {
      std::string text(n, '\0');
      for (char& c : text) {
        c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
      }
      Write(file, offset, text);
      if (model.size() < offset + n) model.resize(static_cast<std::size_t>(offset) + n, '\0');
      model.replace(static_cast<std::size_t>(offset), n, text);
    } else if (offset + static_cast<long long>(n) <= static_cast<long long>(model.size())) {
      ASSERT_EQ(Read(file, offset, n), model.substr(static_cast<std::size_t>(offset), n))
          << "step " << step;
    }
    if (step % 2000 == 1999) {
      files[0].Flush();
      ASSERT_EQ(ReadFile(paths[0]), models[0]) << "step " << step;
    }
  }
  for (int f = 0; f < 2; ++f) {
    files[f].UseWriteBehind(nullptr);
    files[f].Flush();
    EXPECT_EQ(ReadFile(paths[f]), models[f]);
    EXPECT_FALSE(files[f].failed());
  }
}

TEST(WriteBehindTest, AWriteThatFailsInTheThreadFailsItsFile) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  WriteBehind writer;
  BlockFile full;
  ASSERT_TRUE(full.Create("/dev/full", 1));
  full.UseWriteBehind(&writer);
  const std::string text(3 * kBlock, 'x');
  Write(full, 0, text);  // the first blocks go to the thread for room
  full.UseWriteBehind(nullptr);
  EXPECT_TRUE(full.failed());
  full.Discard();
}

TEST_F(BlockFileTest, DirectAccessAgreesWithTheCacheAfterFlushAndForget) {
  Write(file, 10, "cached");
  file.Flush();
  file.Forget();
  unsigned char got[6];
  ASSERT_TRUE(file.ReadDirect(10, got, 6));
  EXPECT_EQ(std::string(got, got + 6), "cached");
  const std::vector<unsigned char> direct = Bytes("direct");
  file.WriteDirect(2 * kBlock, direct.data(), direct.size());
  EXPECT_EQ(file.size(), 2 * kBlock + 6);
  EXPECT_EQ(Read(file, 2 * kBlock, 6), "direct");
  EXPECT_EQ(Read(file, 10, 6), "cached");
  EXPECT_FALSE(file.ReadDirect(2 * kBlock + 1, got, 6));
}

}  // namespace
}  // namespace kinloom
