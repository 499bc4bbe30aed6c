// Picture paths as genealogy programs write them, taken apart.
#include "pages/pictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinloom {
namespace {

struct PathCase {
  std::string written;
  std::vector<std::string> steps;
  bool absolute;
  std::size_t first_usable;
  std::string refused;
};

TEST(PicturePathTest, PrefixesAreDroppedAndBothSeparatorsSplit) {
  const PathCase cases[] = {
      {"photos/Louis_XIII.jpg", {"photos", "Louis_XIII.jpg"}, false, 0, ""},
      {"My Pictures\\Papa.jpg", {"My Pictures", "Papa.jpg"}, false, 0, ""},
      {"C:\\FTM\\Media\\a.jpg", {"FTM", "Media", "a.jpg"}, true, 0, ""},
      {"c:/users/x/Photos/./b.png", {"users", "x", "Photos", "b.png"}, true, 0, ""},
      {"/home/u/Photos//aldred.jpg", {"home", "u", "Photos", "aldred.jpg"}, true, 0, ""},
      {"\\\\network\\drive\\path\\file name.gif", {"path", "file name.gif"}, true, 0, ""},
      {"//server/share/a.jpg", {"a.jpg"}, true, 0, ""},
      {"file:///path/to/file1", {"path", "to", "file1"}, true, 0, ""},
      {"file:///C:/Pics/a.jpg", {"Pics", "a.jpg"}, true, 0, ""},
      {"FILE://host/share/a.jpg", {"share", "a.jpg"}, true, 0, ""},
      // Only the steps after the last ".." are ever looked for.
      {"../Pictures/a.jpg", {"Pictures", "a.jpg"}, false, 0, ""},
      {"a/../../b/c.jpg", {"a", "b", "c.jpg"}, false, 1, ""},
      {"x/..", {"x"}, false, 1, ""},
      {"LPT1.txt", {"LPT1.txt"}, false, 0, "a device name"},
      {"dir/con /a.jpg", {"dir", "con ", "a.jpg"}, false, 0, "a device name"},
      {"COM10.jpg", {"COM10.jpg"}, false, 0, ""},
      {"a\x7f.jpg", {"a\x7f.jpg"}, false, 0, "control characters in the name"},
      {"a.jpg:stream", {"a.jpg:stream"}, false, 0, "a \":\" in the name"},
      {std::string(256, 'n'), {std::string(256, 'n')}, false, 0, "name too long"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.written);
    const PicturePath path = ParsePicturePath(c.written);
    EXPECT_EQ(path.steps, c.steps);
    EXPECT_EQ(path.absolute, c.absolute);
    EXPECT_EQ(path.first_usable, c.first_usable);
    EXPECT_EQ(path.refused, c.refused);
  }
  EXPECT_EQ(ParsePicturePath(std::string(1025, 'a')).refused, "name too long");
}

TEST(PicturePathTest, KindsOfFilesAndNumberedNames) {
  EXPECT_TRUE(IsWebAddress("HTTPS://example.org/a.jpg"));
  EXPECT_TRUE(IsWebAddress("http://en.wikipedia.org/wiki/Bart_Simpson"));
  EXPECT_FALSE(IsWebAddress("ftp://example.org/a.jpg"));
  EXPECT_FALSE(IsWebAddress("file:///a.jpg"));
  for (const char* name : {"a.JPG", "b.tiff", "c.docx", "d.Mp4", "e.svg"}) {
    EXPECT_TRUE(IsCopiedExtension(name)) << name;
  }
  for (const char* name : {"a.exe", "b.pic", "c", "d.jpg.lnk", ".htaccess"}) {
    EXPECT_FALSE(IsCopiedExtension(name)) << name;
  }
  EXPECT_TRUE(IsShownExtension("a.webp"));
  EXPECT_FALSE(IsShownExtension("a.tif"));
  EXPECT_FALSE(IsShownExtension("a.pdf"));
  EXPECT_EQ(NumberedName("img001.jpg", 2), "img001-2.jpg");
  EXPECT_EQ(NumberedName("a.svg.png", 3), "a.svg-3.png");
  EXPECT_EQ(NumberedName("readme", 2), "readme-2");
  EXPECT_EQ(NumberedName(".hidden", 2), ".hidden-2");
  EXPECT_EQ(WebAddressLink("http://x/?a=1&b=\"<2>\""),
            "<A HREF=\"http://x/?a=1&amp;b=&quot;&lt;2&gt;&quot;\">"
            "http://x/?a=1&amp;b=\"&lt;2&gt;\"</A>");
}

}  // namespace
}  // namespace kinloom
