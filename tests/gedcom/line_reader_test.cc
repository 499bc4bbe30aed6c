// Splitting a GEDCOM file into lines and recognising how it is stored.
#include "gedcom/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gedcom/reader_fixture.h"
#include "support/scratch_dir.h"

namespace kinloom::testing {
namespace {

struct ReadResult {
  FileEncoding encoding = FileEncoding::kBytes;
  std::vector<std::string> lines;
};

ReadResult ReadLines(const std::string& bytes) {
  WriteFile("lines.ged", bytes);
  GedcomLineReader reader;
  ReadResult result;
  EXPECT_TRUE(reader.Open("lines.ged"));
  result.encoding = reader.encoding();
  std::string line;
  while (reader.Next(line)) result.lines.push_back(line);
  EXPECT_EQ("", line);
  EXPECT_FALSE(reader.Next(line));
  return result;
}

std::string Show(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += Quoted(line) + " ";
  return out;
}

// UTF-16 of a text of ASCII and \u escapes given as code points.
std::string Utf16(const std::u32string& text, bool little, bool mark) {
  std::string out;
  auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += little ? low : high;
    out += little ? high : low;
  };
  if (mark) unit(0xFEFF);
  for (char32_t c : text) {
    if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
  return out;
}

TEST(LineReaderTest, EndsLinesAtLfCrLfAndLoneCr) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"0 HEAD\n1 CHAR ANSEL\n", {"0 HEAD", "1 CHAR ANSEL"}},
      {"0 HEAD\r\n1 CHAR ANSEL\r\n", {"0 HEAD", "1 CHAR ANSEL"}},
      {"0 HEAD\r1 CHAR ANSEL\r", {"0 HEAD", "1 CHAR ANSEL"}},
      {"0 HEAD\r\n1 A\n1 B\r1 C", {"0 HEAD", "1 A", "1 B", "1 C"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\r", {"a", ""}},
      {"\n", {""}},
      {"", {}},
      {"no end", {"no end"}},
      {std::string("nul\0inside\n", 11), {std::string("nul\0inside", 10)}},
  };
  ScratchDir scratch;
  for (const Case& c : cases) {
    const ReadResult got = ReadLines(c.bytes);
    EXPECT_EQ(Show(c.lines), Show(got.lines)) << Quoted(c.bytes);
    EXPECT_EQ(FileEncoding::kBytes, got.encoding) << Quoted(c.bytes);
  }
}

TEST(LineReaderTest, LongLinesAndLineEndsAcrossReadBuffersStayWhole) {
  ScratchDir scratch;
  // Lines of every length around the 64 KiB read size, with CR LF ends, so
  // that some CR and LF pairs are split between two reads.
  std::string bytes;
  std::vector<std::string> expected;
  for (std::size_t length = 65530; length <= 65540; ++length) {
    expected.push_back(std::string(length, static_cast<char>('a' + length % 26)));
    bytes += expected.back() + "\r\n";
  }
  expected.push_back(std::string(300000, 'z'));
  bytes += expected.back();
  const ReadResult got = ReadLines(bytes);
  ASSERT_EQ(expected.size(), got.lines.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(expected[i] == got.lines[i]) << "line " << i << " of length " << expected[i].size();
  }
}

// The reader looks at several bytes at once: a line end or a byte above
// 0x7F is found wherever it stands in those bytes, and a byte above 0x7F
// of the next line does not count for this one.
TEST(LineReaderTest, FindsLineEndsAndHighBytesAtEveryPosition) {
  ScratchDir scratch;
  const char* const ends[] = {"\n", "\r\n", "\r"};
  const std::string nexts[] = {"\xE9t\xE9", "next"};
  for (std::size_t length = 0; length <= 20; ++length) {
    for (std::size_t high = 0; high <= length; ++high) {  // high == length: none
      std::string first(length, 'a');
      if (high < length) first[high] = static_cast<char>(0x80 + high);
      for (const char* end : ends) {
        for (const std::string& next : nexts) {
          WriteFile("lines.ged", first + end + next + end);
          GedcomLineReader reader;
          ASSERT_TRUE(reader.Open("lines.ged"));
          std::string line;
          const std::string where = Quoted(first + end + next);
          ASSERT_TRUE(reader.Next(line)) << where;
          EXPECT_EQ(first, line) << where;
          EXPECT_EQ(high == length, reader.line_is_ascii()) << where;
          ASSERT_TRUE(reader.Next(line)) << where;
          EXPECT_EQ(next, line) << where;
          EXPECT_EQ(next == "next", reader.line_is_ascii()) << where;
          EXPECT_FALSE(reader.Next(line)) << where;
        }
      }
    }
  }
}

TEST(LineReaderTest, HighBytesCountAcrossReadBuffers) {
  ScratchDir scratch;
  std::string late_high(70000, 'a');
  late_high[69000] = '\xE9';
  WriteFile("lines.ged", std::string(70000, 'a') + "\n" + late_high + "\n");
  GedcomLineReader reader;
  ASSERT_TRUE(reader.Open("lines.ged"));
  std::string line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_TRUE(reader.line_is_ascii());
  ASSERT_TRUE(reader.Next(line));
  EXPECT_TRUE(line == late_high);
  EXPECT_FALSE(reader.line_is_ascii());
}

TEST(LineReaderTest, RecognisesHowTheFileIsStored) {
  const std::u32string text = U"0 HEAD\r\n1 NAME M\u00FCller \u0141 \U0001F600\r\n";
  const std::vector<std::string> utf8_lines = {"0 HEAD",
                                               "1 NAME M\xC3\xBCller \xC5\x81 \xF0\x9F\x98\x80"};
  struct Case {
    const char* name;
    std::string bytes;
    FileEncoding encoding;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"UTF-8 with mark",
       "\xEF\xBB\xBF"
       "0 HEAD\n1 A",
       FileEncoding::kUtf8Mark,
       {"0 HEAD", "1 A"}},
      {"UTF-16 LE with mark", Utf16(text, true, true), FileEncoding::kUtf16Le, utf8_lines},
      {"UTF-16 BE with mark", Utf16(text, false, true), FileEncoding::kUtf16Be, utf8_lines},
      {"UTF-16 LE without mark", Utf16(text, true, false), FileEncoding::kUtf16Le, utf8_lines},
      {"UTF-16 BE without mark", Utf16(text, false, false), FileEncoding::kUtf16Be, utf8_lines},
      {"bytes", "0 HEAD\n", FileEncoding::kBytes, {"0 HEAD"}},
      {"mark alone", "\xEF\xBB\xBF", FileEncoding::kUtf8Mark, {}},
      {"one byte", "0", FileEncoding::kBytes, {"0"}},
  };
  ScratchDir scratch;
  for (const Case& c : cases) {
    const ReadResult got = ReadLines(c.bytes);
    EXPECT_EQ(c.encoding, got.encoding) << c.name;
    EXPECT_EQ(Show(c.lines), Show(got.lines)) << c.name;
  }
}

TEST(LineReaderTest, BrokenUtf16BecomesReplacementCharacters) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  };
  const std::string replacement = "\xEF\xBF\xBD";
  const Case cases[] = {
      {"odd last byte", std::string("0\0A\0B", 5), {"0A" + replacement}},
      {"lone high surrogate",
       std::string("0\0\x00\xD8"
                   "A\0",
                   6),
       {"0" + replacement + "A"}},
      {"lone low surrogate",
       std::string("0\0\x00\xDC"
                   "A\0",
                   6),
       {"0" + replacement + "A"}},
      {"high surrogate at the end", std::string("0\0\x00\xD8", 4), {"0" + replacement}},
  };
  ScratchDir scratch;
  for (const Case& c : cases) {
    EXPECT_EQ(Show(c.lines), Show(ReadLines(c.bytes).lines)) << c.name;
  }
}

TEST(LineReaderTest, Utf16UnitsCutBetweenReadsDecodeWhole) {
  ScratchDir scratch;
  // Mark, "0 " and 32764 units fill 65534 bytes: the surrogate pair that
  // follows lies across the 64 KiB read boundary.
  std::u32string text = U"0 ";
  text += std::u32string(32764, U'x');
  text += U"\U0001F600\u00E9\n1 end\n";
  const ReadResult got = ReadLines(Utf16(text, true, true));
  ASSERT_EQ(2u, got.lines.size());
  EXPECT_EQ("0 " + std::string(32764, 'x') + "\xF0\x9F\x98\x80\xC3\xA9", got.lines[0]);
  EXPECT_EQ("1 end", got.lines[1]);
}

TEST(LineReaderTest, MissingFileOrDirectoryCannotBeOpened) {
  ScratchDir scratch;
  GedcomLineReader reader;
  EXPECT_FALSE(reader.Open("."));
  EXPECT_FALSE(reader.Open("missing.ged"));
  std::string line = "old";
  EXPECT_FALSE(reader.Next(line));
  EXPECT_EQ("", line);
}

}  // namespace
}  // namespace kinloom::testing
