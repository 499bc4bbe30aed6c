// UTF-8 and UTF-16 GEDCOM files: every form in which they come is read
// into ISO 8859-1 with character references for what lies beyond it.
#include <string>
#include <vector>

#include "gedcom/reader.h"
#include "gedcom/reader_fixture.h"

namespace kinloom::testing {
namespace {

class ReaderUnicodeTest : public ReaderTest {
 protected:
  // The dump of the work files after reading bytes as the GEDCOM file of a
  // run of its own, in a directory of its own, with this test's settings.
  std::string ReadAlone(const std::string& bytes) {
    ScratchDir inner;
    kinloom::Run run;
    run.settings = run_.settings;
    WriteFile("tree.ged", bytes);
    if (run.store.Open() || ReadGedcom(run) != kResultOk) return "(not read)";
    run.store.Flush();
    return Dump();
  }
};

// The two people of every case, in UTF-8, after whatever header a case
// puts before them.
const char* const kPeople =
    "0 @I1@ INDI\n"
    "1 NAME Hans /M\xC3\xBCller/\n"
    "0 @I2@ INDI\n"
    "1 NAME Jan /\xC5\x81ukasiewicz/\n"
    "1 BIRT\n"
    "2 PLAC \xE5\x8C\x97\xE4\xBA\xAC\n"
    "0 TRLR\n";

const char* const kConverted =
    "indv.idx: 0 1 2\n"
    "indv 1: #1 \"Hans /M\\xFCller/\" sex \" \"\n"
    "indv 2: #2 \"Jan /&#321;ukasiewicz/\" sex \" \" birth \"\" \"&#21271;&#20140;\"\n";

const char* const kAsItStands =
    "indv.idx: 0 1 2\n"
    "indv 1: #1 \"Hans /M\\xC3\\xBCller/\" sex \" \"\n"
    "indv 2: #2 \"Jan /\\xC5\\x81ukasiewicz/\" sex \" \" birth \"\" "
    "\"\\xE5\\x8C\\x97\\xE4\\xBA\\xAC\"\n";

// UTF-16 of a UTF-8 text (every character here lies below U+10000).
std::string Utf16(const std::string& utf8, bool little, bool mark) {
  std::u32string codes;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 7);
    for (int k = 1; k < length; ++k)
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    codes.push_back(code);
    i += static_cast<std::size_t>(length);
  }
  std::string out;
  auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    out += little ? low : high;
    out += little ? high : low;
  };
  if (mark) unit(0xFEFF);
  for (char32_t c : codes) unit(c);
  return out;
}

TEST_F(ReaderUnicodeTest, EveryFormOfUnicodeFileIsConverted) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* dump;
  };
  const std::string unicode_header = "0 HEAD\r\n1 CHAR UNICODE\r\n";
  const Case cases[] = {
      {"UTF-8 with mark", "\xEF\xBB\xBF" + std::string(kPeople), kConverted},
      {"UTF-8 with mark and CHAR",
       "\xEF\xBB\xBF"
       "0 HEAD\n1 CHAR UTF-8\n" +
           std::string(kPeople),
       kConverted},
      {"CHAR UTF-8 without mark", "0 HEAD\n1 CHAR UTF-8\n" + std::string(kPeople), kConverted},
      {"CHAR utf8 in small letters", "0 HEAD\n1 CHAR utf8 \n" + std::string(kPeople), kConverted},
      {"GEDCOM 7 without CHAR", "0 HEAD\n1 GEDC\n2 VERS 7.0\n" + std::string(kPeople), kConverted},
      {"UTF-16 LE with mark", Utf16(unicode_header + kPeople, true, true), kConverted},
      {"UTF-16 BE with mark", Utf16(unicode_header + kPeople, false, true), kConverted},
      {"UTF-16 LE without mark", Utf16(unicode_header + kPeople, true, false), kConverted},
      {"UTF-16 BE without mark", Utf16(unicode_header + kPeople, false, false), kConverted},
      {"no declaration", "0 HEAD\n" + std::string(kPeople), kAsItStands},
      {"VERS 7 of the exporting program", "0 HEAD\n1 SOUR X\n2 VERS 7.1\n" + std::string(kPeople),
       kAsItStands},
      {"CHAR UTF-16 text declared but stored as bytes",
       "0 HEAD\n1 CHAR UNICODE\n" + std::string(kPeople), kAsItStands},
  };
  for (const Case& c : cases) EXPECT_EQ(c.dump, ReadAlone(c.bytes)) << c.name;
}

TEST_F(ReaderUnicodeTest, MarkIsNotPartOfTheFirstLine) {
  // With the mark left on it, the first line would not begin with a digit.
  ASSERT_EQ(kResultOk, Read("\xEF\xBB\xBF"
                            "0 @I1@ INDI\n1 NAME Ann /Lee/\n"));
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "indv 1: #1 \"Ann /Lee/\" sex \" \"\n",
      Dump());
}

TEST_F(ReaderUnicodeTest, MarkedUtf8IsNotSwitchedToAnselByItsHeader) {
  ASSERT_EQ(kResultOk, Read("\xEF\xBB\xBF"
                            "0 HEAD\n1 CHAR ANSEL\n" +
                            std::string(kPeople)));
  EXPECT_EQ(kConverted, Dump());
}

TEST_F(ReaderUnicodeTest, CutsNeverSplitACharacterReference) {
  const std::string a95(95, 'a');
  const std::string a266(266, 'a');
  ASSERT_EQ(kResultOk, Read("0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 NAME " + a95 +
                            "\xC5\x81\n1 BIRT\n2 DATE 1 JAN 1900 \xE2\x80\x93 5\n1 NOTE " + a266 +
                            "\xC5\x81"
                            "b\n0 TRLR\n"));
  // "&#321;" after 95 letters would end at 101: it is left out, and the
  // name gets its empty surname. The en dash "&#8211;" would end at 18
  // of the 24 a date holds, so it stays. In the note it moves whole to
  // the second line.
  EXPECT_EQ(
      "indv.idx: 0 1\n"
      "inote.idx: 0 1\n"
      "indv 1: #1 " +
          Quoted(a95 + " / /") +
          " sex \" \" birth \"1 JAN 1900 &#8211; 5\" \"\" note 1\n"
          "inote 1: owner 1 kind 52 " +
          Quoted(a266) +
          "\n"
          "inote 2: owner 1 kind 53 \"&#321;b\"\n",
      Dump());
}

TEST_F(ReaderUnicodeTest, PhotoFileNamesAreLowerCasedAfterConversion) {
  ASSERT_EQ(kResultOk,
            Read("0 HEAD\n1 CHAR UTF-8\n0 @I1@ INDI\n1 OBJE\n2 FILE Bilder/\xC3\x84RA.JPG\n"
                 "2 TITL \xC3\x84ra \xE2\x80\x93 1900\n0 TRLR\n"));
  EXPECT_EQ("\xE4ra.jpg", run_.store.PhotoFile(1));
  EXPECT_EQ("\xC4ra &#8211; 1900", run_.store.PhotoTitle(1));
}

// Some programs write the continuation lines of a note record with the
// note's own cross-reference before the tag. Only that note's own
// cross-reference continues it, whatever the character set.
TEST_F(ReaderUnicodeTest, NoteContinuationsNamingTheirNoteKeepTheirText) {
  auto tree = [](const std::string& charset, const std::string& u_umlaut) {
    return "0 HEAD\n1 CHAR " + charset +
           "\n"
           "0 @N2@ NOTE Ammie\n"
           "1 @N2@ CONT WILLIS never married, M" +
           u_umlaut +
           "ller\n"
           "1 @N2@ CONC  said.\n"
           "1 @N3@ CONT of another note\n"
           "1 CONT plain\n"
           "1 @N2@ CONT\n"
           "1 @N2@CONT glued to its tag\n"
           "1 @N2@ CONTINUED\n"
           "0 @I1@ INDI\n"
           "1 NAME Ammie /Willis/\n"
           "1 NOTE @N2@\n"
           "2 @I1@ CONT not in a note record\n"
           "0 @N3@ NOTE Other\n"
           "0 TRLR\n";
  };
  const char* const kRead =
      "indv.idx: 0 1\n"
      "fnote.idx: 0 0 1 6\n"
      "indv 1: #1 \"Ammie /Willis/\" sex \" \" note 2\n"
      "fnote 1: owner 2 kind 0 \"Ammie\"\n"
      "fnote 2: owner 2 kind 54 \"WILLIS never married, M\\xFCller\"\n"
      "fnote 3: owner 2 kind 53 \" said.\"\n"
      "fnote 4: owner 2 kind 54 \"plain\"\n"
      "fnote 5: owner 2 kind 54 \"\"\n"
      "fnote 6: owner 3 kind 0 \"Other\"\n";
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF-16 LE", Utf16(tree("UNICODE", "\xC3\xBC"), true, true)},
      {"UTF-16 BE", Utf16(tree("UNICODE", "\xC3\xBC"), false, true)},
      {"UTF-8", tree("UTF-8", "\xC3\xBC")},
      {"ANSEL", tree("ANSEL", "\xE8u")},
      {"IBM PC", tree("IBMPC", "\x81")},
      {"ISO 8859-1", tree("ANSI", "\xFC")},
  };
  for (const auto& c : cases) EXPECT_EQ(kRead, ReadAlone(c.bytes)) << c.name;
}

}  // namespace
}  // namespace kinloom::testing
