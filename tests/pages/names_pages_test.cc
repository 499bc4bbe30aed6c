// Names index pages: the index form of names, the lines and anchors of one
// page, and the individual pages written on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pages/page_fixture.h"
#include "pages/phases.h"
#include "support/windows_skip.h"

namespace kinloom::testing {
namespace {

TEST(IndexNameTest, SurnameSuffixGiven) {
  struct Case {
    char ucsurname;
    std::string name;
    std::string expected;
  };
  const std::string long_given(120, 'g');
  const Case cases[] = {
      {'N', "John /Smith/", "Smith, John"},
      {'Y', "John /Smith/", "SMITH, John"},
      {'Y', "John /Smith/ Jr.", "SMITH, JR., John"},
      {'N', "John /Smith/ Jr.", "Smith, Jr., John"},
      {'N', "John /Smith/ , jr", "Smith, jr, John"},
      {'Y', "/Smith/", "SMITH, "},
      {'N', "Mary Ann  /Lee/", "Lee, Mary Ann"},
      {'N', "John / /", " , John"},
      {'Y', "John / /", " , John"},
      {'N', "Ann //", ", Ann"},
      {'Y', "Ann //", " , Ann"},
      {'Y', "\xe9mile /\xe9tienne/ \xfe", "\xc9TIENNE, \xde, \xe9mile"},
      {'N', "John /Smith/ ", "Smith, , John"},
      {'N', "", " "},
      {'Y', "", " "},
      // Names without both slashes never come from the GEDCOM reader.
      {'N', "John", ", John"},
      {'N', "John /Smith", "Smith, John"},
      // Nothing is cut.
      {'N', long_given + " /Long/", "Long, " + long_given},
  };
  for (const Case& c : cases) {
    Settings settings;
    settings.ucsurname = c.ucsurname;
    EXPECT_EQ(IndexName(settings, c.name), c.expected)
        << "name \"" << c.name << "\", UCSURNAME " << c.ucsurname;
  }
}

class NamesPageTest : public PageTest {
 protected:
  static std::string Heading() {
    return ExpectedHead("Names Index Page") +
           "<CENTER><H1>Family Tree Names</H1></CENTER><HR NOSHADE SIZE=2>\n";
  }
  static std::string Foot() { return "<HR NOSHADE SIZE=2>" + ExpectedFoot("surnames.htm"); }
};

TEST_F(NamesPageTest, LinesAnchorsAndLifeSpans) {
  IndividualRecord john = Person(1, "John /Smith/");
  john.birthDate = "1 JAN 1900";
  john.deathDate = "2 FEB 1980";
  john.spouseFamilies[0] = 5;
  john.parentFamilies[0] = 4;
  AddIndividual(john);  // slot 1
  IndividualRecord mary = Person(2, "Mary /Smith/");
  mary.parentFamilies[0] = 6;
  mary.birthDate = "1902";
  AddIndividual(mary);                        // slot 2
  AddIndividual(Person(0, "Nobody /Zero/"));  // slot 3: number 0
  AddIndividual(Person(9, ""));               // slot 4: no name
  IndividualRecord ann = Person(12, "Ann /Taylor/");
  ann.deathDate = "1920";
  AddIndividual(ann);                        // slot 5: in no family
  AddIndividual(Person(13, "Zoe /Young/"));  // slot 6: beyond the range

  ASSERT_EQ(BuildNamesPages(run_, 3, 1, 5), 0);

  EXPECT_EQ(Page("html/names3.htm"),
            Heading() +
                "<A NAME=\"Smith\"></a>\n"
                "<A HREF=\"fam00005.htm\">Smith, John</A> (1 JAN 1900-2 FEB 1980)<BR>\n"
                "<A HREF=\"fam00006.htm\">Smith, Mary</A> (1902-)<BR>\n"
                "<A NAME=\"Taylor\"></a>\n"
                "<A HREF=\"ind00012.htm\">Taylor, Ann</A> (-1920)<BR>\n" +
                Foot());
  EXPECT_EQ(LogText(),
            ">BuildNamesPages\n>BuildIndividualPage\n<BuildIndividualPage\n<BuildNamesPages\n");
  EXPECT_TRUE(FileExists("html/ind00012.htm"));
  EXPECT_FALSE(FileExists("html/ind00013.htm"));
  EXPECT_EQ(run_.progress.pages_written, 2);  // the individual page and the names page
}

TEST_F(NamesPageTest, CapitalSurnamesInSubdirectories) {
  run_.settings.subdirs = 'Y';
  run_.settings.ucsurname = 'Y';
  run_.settings.extension = "html";
  MakeSubdirectories();
  IndividualRecord al = Person(3, "Al /van Dyke/");
  al.spouseFamilies[0] = 8;
  AddIndividual(al);
  AddIndividual(Person(4, "Bo /van dyke/ sr"));

  ASSERT_EQ(BuildNamesPages(run_, 1, 1, 2), 0);

  EXPECT_EQ(Page("html/names1.html"),
            "<HTML>\n<HEAD>\n<TITLE>Names Index Page</TITLE>\n</HEAD>\n"
            "<BODY BACKGROUND=\"sand1.jpg\" TEXT=\"#000000\" LINK=\"#0000FF\" VLINK=\"#200080\">\n"
            "<CENTER><H1>Family Tree Names</H1></CENTER><HR NOSHADE SIZE=2>\n"
            "<A NAME=\"VAN DYKE\"></a>\n"
            "<A HREF=\"fam/fam00008.html\">VAN DYKE, Al</A><BR>\n"
            "<A HREF=\"ind/ind00004.html\">VAN DYKE, SR, Bo</A><BR>\n"
            "<HR NOSHADE SIZE=2>" +
                ExpectedFoot("surnames.html"));
  EXPECT_TRUE(FileExists("html/ind/ind00004.html"));
}

TEST_F(NamesPageTest, EmptySurnameFirstGetsNoAnchor) {
  auto child = [](std::int32_t number, const std::string& name) {
    IndividualRecord r = Person(number, name);
    r.parentFamilies[0] = 7;
    return r;
  };
  AddIndividual(child(1, "Ann //"));
  AddIndividual(child(2, "Bob //"));
  AddIndividual(child(3, "Cy /Cole/"));
  AddIndividual(child(4, "Di //"));

  ASSERT_EQ(BuildNamesPages(run_, 1, 1, 4), 0);

  EXPECT_EQ(Page("html/names1.htm"), Heading() +
                                         "<A HREF=\"fam00007.htm\">, Ann</A><BR>\n"
                                         "<A HREF=\"fam00007.htm\">, Bob</A><BR>\n"
                                         "<A NAME=\"Cole\"></a>\n"
                                         "<A HREF=\"fam00007.htm\">Cole, Cy</A><BR>\n"
                                         "<A NAME=\"\"></a>\n"
                                         "<A HREF=\"fam00007.htm\">, Di</A><BR>\n" +
                                         Foot());
}

TEST_F(NamesPageTest, PageWithoutLinesIsStillComplete) {
  AddIndividual(Person(5, ""));
  ASSERT_EQ(BuildNamesPages(run_, 2, 1, 1), 0);
  EXPECT_EQ(Page("html/names2.htm"), Heading() + Foot());
  EXPECT_EQ(LogText(), ">BuildNamesPages\n<BuildNamesPages\n");
}

TEST_F(NamesPageTest, PageThatCannotBeWritten) {
  KINLOOM_SKIP_ON_WINDOWS("no /dev/full to stand for a full disk");
  AddIndividual(Person(1, "Al /Ames/"));
  std::filesystem::create_directory("html/names1.htm");
  std::filesystem::create_symlink("/dev/full", "html/names2.htm");

  EXPECT_EQ(BuildNamesPages(run_, 1, 1, 1), kResultCannotWrite);
  EXPECT_EQ(LogText(), ">BuildNamesPages\nUnable to create new NAMES file.\n");
  EXPECT_FALSE(FileExists("html/ind00001.htm")) << "nothing else is written";

  std::filesystem::remove("kinloom.log");
  EXPECT_EQ(BuildNamesPages(run_, 2, 1, 1), kResultCannotWrite);
  EXPECT_EQ(LogText(),
            ">BuildNamesPages\n>BuildIndividualPage\n<BuildIndividualPage\n"
            "Unable to create new NAMES file.\n");
  EXPECT_EQ(run_.progress.pages_written, 1);  // the individual page only
}

}  // namespace
}  // namespace kinloom::testing
