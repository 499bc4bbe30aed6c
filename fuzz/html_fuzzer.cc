// The escaping of GEDCOM texts for pages and gendex.txt, on arbitrary
// bytes. The output of the note rebuilder is read back by a small HTML
// tokenizer of its own, which holds it to what a page may carry: no tag
// but those a note keeps, no attribute but href (http, https or mailto)
// and rel on <a>, every element closed in order, every "&" the start of a
// complete character reference, and nothing above 127. The escapes of
// element text and attribute values keep the same promises with no tag at
// all.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "pages/html_text.h"

namespace {

using kinloom::fuzz::Require;

bool IsAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether a complete character reference starts at text[at] ("&#N;",
// "&#xH;" or "&name;").
bool CompleteReferenceAt(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  std::size_t first;
  if (i < text.size() && text[i] == '#') {
    ++i;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    first = i;
    while (i < text.size() && (hex ? IsHex(text[i]) : text[i] >= '0' && text[i] <= '9')) ++i;
  } else {
    first = i;
    while (i < text.size() && IsAlnum(text[i])) ++i;
  }
  return i > first && i < text.size() && text[i] == ';';
}

// Text as it may stand between tags (quotes too when in_attribute).
void CheckText(std::string_view text, bool in_attribute) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    Require(static_cast<unsigned char>(c) <= 127, "the output is plain ASCII");
    Require(c != '<' && c != '>', "no angle bracket outside a tag");
    if (in_attribute) Require(c != '"' && c != '\'', "no quote inside an attribute value");
    if (c == '&') Require(CompleteReferenceAt(text, i), "every & begins a complete reference");
  }
}

bool IsKeptTag(std::string_view name) {
  for (std::string_view tag :
       {"b",  "i",  "u",   "em",   "strong",     "small", "big", "sup", "sub", "p",
        "br", "hr", "div", "span", "blockquote", "pre",   "ul",  "ol",  "li",  "h1",
        "h2", "h3", "h4",  "h5",   "h6",         "table", "tr",  "td",  "th",  "a"}) {
    if (name == tag) return true;
  }
  return false;
}

// Reads a rebuilt note: text, line breaks written "<BR>\n", and tags.
void CheckNote(std::string_view html) {
  std::vector<std::string> open;
  std::size_t i = 0;
  while (i < html.size()) {
    const std::size_t lt = html.find('<', i);
    CheckText(html.substr(i, lt == std::string_view::npos ? std::string_view::npos : lt - i),
              false);
    if (lt == std::string_view::npos) break;
    const std::size_t gt = html.find('>', lt);
    Require(gt != std::string_view::npos, "every tag is closed");
    const std::string_view tag = html.substr(lt + 1, gt - lt - 1);
    i = gt + 1;
    if (tag == "BR") {
      Require(i < html.size() && html[i] == '\n', "a line break is <BR> and a new line");
      ++i;
      continue;
    }
    const bool end = !tag.empty() && tag[0] == '/';
    const std::string_view rest = end ? tag.substr(1) : tag;
    std::size_t n = 0;
    while (n < rest.size() && IsAlnum(rest[n])) ++n;
    const std::string name(rest.substr(0, n));
    Require(IsKeptTag(name), "only the kept tags");
    const std::string_view attributes = rest.substr(n);
    if (end) {
      Require(attributes.empty(), "an end tag has no attributes");
      Require(!open.empty() && open.back() == name, "end tags close the innermost element");
      open.pop_back();
      continue;
    }
    if (name == "a") {
      constexpr std::string_view kHref = " href=\"";
      constexpr std::string_view kRel = "\" rel=\"nofollow noopener\"";
      Require(attributes.substr(0, kHref.size()) == kHref, "<a> has href first");
      Require(attributes.size() >= kHref.size() + kRel.size() &&
                  attributes.substr(attributes.size() - kRel.size()) == kRel,
              "<a> has rel last");
      const std::string_view href =
          attributes.substr(kHref.size(), attributes.size() - kHref.size() - kRel.size());
      CheckText(href, true);
      std::string scheme;
      for (const char c : href.substr(0, 8))
        scheme += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      Require(scheme.rfind("http://", 0) == 0 || scheme.rfind("https://", 0) == 0 ||
                  scheme.rfind("mailto:", 0) == 0,
              "href is http, https or mailto");
    } else {
      Require(attributes.empty(), "no attribute but href and rel on <a>");
    }
    if (name != "br" && name != "hr") open.push_back(name);
  }
  Require(open.empty(), "every element is closed at the end");
}

// Whether a browser would read the value of <img src> as an address with
// a scheme or on another host: the references decoded (the escapes of
// the attribute to their characters, any other to a letter outside
// ASCII), tabs and line breaks dropped, blanks and controls in front
// skipped.
bool ReadAsElsewhere(std::string_view value) {
  std::string url;
  for (std::size_t i = 0; i < value.size(); ++i) {
    char c = value[i];
    if (c == '&') {
      const std::size_t end = value.find(';', i);
      const std::string_view name = value.substr(i + 1, end - i - 1);
      c = name == "amp"    ? '&'
          : name == "lt"   ? '<'
          : name == "gt"   ? '>'
          : name == "quot" ? '"'
          : name == "#39"  ? '\''
                           : '\xE9';
      i = end;
    }
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (url.empty() && static_cast<unsigned char>(c) <= ' ') continue;
    url += c;
  }
  if (url.size() >= 2 && (url[0] == '/' || url[0] == '\\') && (url[1] == '/' || url[1] == '\\')) {
    return true;
  }
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (url.empty() || !letter(url[0])) return false;
  std::size_t i = 1;
  while (i < url.size() && (IsAlnum(url[i]) || url[i] == '+' || url[i] == '-' || url[i] == '.'))
    ++i;
  return i < url.size() && url[i] == ':';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kinloom::fuzz::AsText(data, size);

  CheckNote(kinloom::HtmlNote(text));
  CheckText(kinloom::HtmlText(text), false);
  CheckText(kinloom::HtmlAttribute(text), true);

  const std::string source = kinloom::PictureSource(text);
  CheckText(source, true);
  Require(source.rfind("./", 0) == 0 || !ReadAsElsewhere(source),
          "a picture with a scheme or a host is made relative");

  const std::string field = kinloom::GendexField(text);
  Require(field.size() == text.size(), "a gendex field keeps its length");
  for (std::size_t i = 0; i < field.size(); ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    Require(c != '|' && c >= 0x20 && c != 0x7F, "no bar or control character in a gendex field");
    if (c != ' ') Require(field[i] == text[i], "a gendex field changes bars and controls only");
  }

  const std::string ascii = kinloom::PlainAscii(text);
  for (const char c : ascii) Require(static_cast<unsigned char>(c) <= 127, "PlainAscii is ASCII");
  return 0;
}
