// The escapes of GEDCOM texts and the note rebuilder, on the cases the
// whole-site goldens do not reach: references, nesting, tags over line
// breaks, and picture names a browser would read as addresses.
#include "pages/html_text.h"

#include <gtest/gtest.h>

namespace kinloom {
namespace {

TEST(HtmlTextTest, CompleteReferencesAreKeptAndEveryOtherAmpersandEscaped) {
  EXPECT_EQ(HtmlText("&#233; &#x1F600; &nbsp; &amp; &#; &x &#12 & &;"),
            "&#233; &#x1F600; &nbsp; &amp; &amp;#; &amp;x &amp;#12 &amp; &amp;;");
  EXPECT_EQ(HtmlText("<a> \"q\" 'a' \xE9\xFF"), "&lt;a&gt; \"q\" 'a' &#233;&#255;");
  EXPECT_EQ(HtmlAttribute("<a> \"q\" 'a' &lt; \xE9"),
            "&lt;a&gt; &quot;q&quot; &#39;a&#39; &lt; &#233;");
  EXPECT_EQ(OwnerAttribute("a\"b<c>&d \xE9"), "a&quot;b<c>&d \xE9");
  EXPECT_EQ(PlainAscii("M\xFCller & <b>"), "M&#252;ller & <b>");
}

TEST(HtmlTextTest, NotesKeepTheirHarmlessMarkupWrittenAnew) {
  EXPECT_EQ(HtmlNote("<B CLASS=x>bold</b> <P Style='a>b'>p</P><br/><HR size=3>"),
            "<b>bold</b> <p>p</p><br><hr>");
  EXPECT_EQ(
      HtmlNote("<a href=\"HTTPS://x.org/?a=1&b=2\" onclick=\"y\" href=\"javascript:z\">l</a>"),
      "<a href=\"HTTPS://x.org/?a=1&amp;b=2\" rel=\"nofollow noopener\">l</a>");
  EXPECT_EQ(HtmlNote("<a href='mailto:me@x.org'>m</a><a href=\"x.htm\">r</a><a>n</a>"),
            "<a href=\"mailto:me@x.org\" rel=\"nofollow noopener\">m</a>"
            "&lt;a href=\"x.htm\"&gt;r&lt;a&gt;n");
  // An end tag closes what was opened after its start; one without a start
  // is left out; what is still open is closed at the end.
  EXPECT_EQ(HtmlNote("<div><b><i>x</div>y</b></td><ul><li>a<li>b"),
            "<div><b><i>x</i></b></div>y<ul><li>a<li>b</li></li></ul>");
  EXPECT_EQ(HtmlNote("<script>x</script><!-- c --><b<i>><img src=x onerror=y>"),
            "&lt;script&gt;x&lt;/script&gt;&lt;!-- c --&gt;&lt;b&lt;i&gt;&gt;"
            "&lt;img src=x onerror=y&gt;");
}

TEST(HtmlTextTest, NoteLineBreaksAndTagsThatRunOverThem) {
  EXPECT_EQ(HtmlNote("\none\ntwo &c"), "<BR>\none<BR>\ntwo &amp;c");
  // A tag is read on its own line only.
  EXPECT_EQ(HtmlNote("<b\n>x"), "&lt;b<BR>\n&gt;x");
  EXPECT_EQ(HtmlNote("<a href=\"https://x.org/\n\">y</a>"),
            "&lt;a href=\"https://x.org/<BR>\n\"&gt;y");
  EXPECT_EQ(HtmlNote("<i>open"), "<i>open</i>");
}

TEST(HtmlTextTest, PicturesAreAlwaysFilesBesideThePage) {
  EXPECT_EQ(PictureSource("john 1.jpg"), "john 1.jpg");
  EXPECT_EQ(PictureSource("http:evil.example"), "./http:evil.example");
  EXPECT_EQ(PictureSource("JavaScript:alert(1)"), "./JavaScript:alert(1)");
  EXPECT_EQ(PictureSource(" \tjava\tscript:x"), "./ \tjava\tscript:x");
  EXPECT_EQ(PictureSource("//evil.example/x.jpg"), ".///evil.example/x.jpg");
  EXPECT_EQ(PictureSource("\\\\evil.example\\x.jpg"), "./\\\\evil.example\\x.jpg");
  // A reference to an ASCII character is read as that character first.
  EXPECT_EQ(PictureSource("javascript&#58;x"), "javascript&amp;#58;x");
  EXPECT_EQ(PictureSource("data&colon;x"), "data&amp;colon;x");
  EXPECT_EQ(PictureSource("&#26446;.jpg \xE9.jpg x\"y"), "&#26446;.jpg &#233;.jpg x&quot;y");
  EXPECT_EQ(PictureSource("a b:c.jpg"), "a b:c.jpg");
}

TEST(HtmlTextTest, GendexFieldsLoseBarsAndControlCharactersOnly) {
  EXPECT_EQ(GendexField("a|b\tc\x01\x7F<&> \xE9"), "a b c  <&> \xE9");
}

}  // namespace
}  // namespace kinloom
