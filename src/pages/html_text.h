// Texts from the GEDCOM file as they go into a page, and into gendex.txt.
//
// A GEDCOM file may come from anyone, so none of its texts is written as
// it is stored: in a page it is escaped (or, for a note, rebuilt) so that
// it shows as text and never makes an element, an attribute or a script;
// in gendex.txt it is cleaned so that it cannot shift the fields.
//
// Every page is plain ASCII: each byte above 127 (an ISO 8859-1
// character) is written as its character reference "&#N;", so the pages
// read the same whatever character set the web host declares.
//
// A complete character reference is "&#" digits ";", "&#x" hex digits ";"
// or "&" letters and digits ";": the reader writes "&#N;" for characters
// outside ISO 8859-1, and real files carry "&nbsp;" and "&amp;". Such a
// reference is kept as it is; every other "&" becomes "&amp;".
#ifndef KINLOOM_PAGES_HTML_TEXT_H_
#define KINLOOM_PAGES_HTML_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kinloom {

// The length of the complete character reference at text[at] (which is
// "&"), or 0 when none starts there.
[[nodiscard]] std::size_t ReferenceLengthAt(std::string_view text, std::size_t at);

// Element text: "<" "&lt;", ">" "&gt;", "&" "&amp;" unless it begins a
// complete reference, bytes above 127 "&#N;". Pad a text to its column
// before, and upper-case it before, never after.
[[nodiscard]] std::string HtmlText(std::string_view text);
// An attribute value between double quotes: as HtmlText, and '"' "&quot;",
// "'" "&#39;".
[[nodiscard]] std::string HtmlAttribute(std::string_view text);

// A note's text rebuilt for a page; each "\n" of text is a line break,
// written "<BR>\n". Text is escaped as by HtmlText. The tags b, i, u, em,
// strong, small, big, sup, sub, p, br, hr, div, span, blockquote, pre, ul,
// ol, li, h1 to h6, table, tr, td and th, in any case, are written anew in
// lower case without their attributes; <a> only when its href starts with
// "http://", "https://" or "mailto:", as <a href="..."
// rel="nofollow noopener">. Every other tag and every comment show as
// text, and so does the rest of a line from a tag not closed on it. An end
// tag closes the elements opened after its start; one without a start is
// left out; elements still open are closed at the end.
[[nodiscard]] std::string HtmlNote(std::string_view text);

// A setting written into an attribute (HOME, EMAIL, BGPIC, the colours):
// the owner's own text, with '"' written "&quot;" so that it cannot end
// the attribute, and nothing else changed.
[[nodiscard]] std::string OwnerAttribute(std::string_view text);

// A picture's file name as the value of <img src>: HtmlAttribute of it
// (keeping only the references "&#N;" to characters above 127), after
// "./" when a browser would read it as an address with a scheme
// ("http:", "javascript:", any letters and ":") or as one on another host
// ("//host"), so that it always names a file beside the page.
[[nodiscard]] std::string PictureSource(std::string_view file);

// text with each byte above 127 written "&#N;" and every other byte as it
// is, appended to out.
void AppendPlainAscii(std::string_view text, std::string& out);
[[nodiscard]] std::string PlainAscii(std::string_view text);

// A field of gendex.txt: a bar or a control character becomes a blank, so
// every line keeps its seven bars; nothing else changes (the file is ISO
// 8859-1 text, not HTML).
[[nodiscard]] std::string GendexField(std::string_view text);

}  // namespace kinloom

#endif  // KINLOOM_PAGES_HTML_TEXT_H_
