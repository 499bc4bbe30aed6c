#include "pages/html_text.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace kinloom {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The blanks that separate the parts of a tag (a line feed is not one
// here: a tag never runs over a line break of a note).
bool IsTagSpace(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\r'; }

void AppendReference(unsigned char byte, std::string& out) {
  out += "&#";
  out += std::to_string(static_cast<unsigned>(byte));
  out += ';';
}

// Whether the complete reference text[at, at + length) is a numeric one
// to a character above 127.
bool IsNonAsciiReference(std::string_view text, std::size_t at, std::size_t length) {
  if (length < 4 || text[at + 1] != '#') return false;
  const bool hex = text[at + 2] == 'x' || text[at + 2] == 'X';
  unsigned long value = 0;
  for (std::size_t i = at + (hex ? 3 : 2); i + 1 < at + length; ++i) {
    const char c = text[i];
    const unsigned digit =
        IsDigit(c) ? static_cast<unsigned>(c - '0') : static_cast<unsigned>(Lower(c) - 'a' + 10);
    value = value * (hex ? 16 : 10) + digit;
    if (value > 127) return true;
  }
  return false;
}

// Which complete references an escape keeps.
enum class Keep { kAllReferences, kNonAsciiReferences };

// Appends text escaped as element text, or as an attribute value.
void AppendEscaped(std::string_view text, bool attribute, std::string& out,
                   Keep keep = Keep::kAllReferences) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (c == '&') {
      std::size_t length = ReferenceLengthAt(text, i);
      if (keep == Keep::kNonAsciiReferences && !IsNonAsciiReference(text, i, length)) length = 0;
      if (length == 0) {
        out += "&amp;";
      } else {
        out += text.substr(i, length);
        i += length - 1;
      }
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (attribute && c == '"') {
      out += "&quot;";
    } else if (attribute && c == '\'') {
      out += "&#39;";
    } else if (byte > 127) {
      AppendReference(byte, out);
    } else {
      out += c;
    }
  }
}

// The tags a note keeps, all but <a>.
constexpr std::array<std::string_view, 29> kNoteTags = {
    "b",  "i",  "u",   "em",   "strong",     "small", "big", "sup", "sub", "p",
    "br", "hr", "div", "span", "blockquote", "pre",   "ul",  "ol",  "li",  "h1",
    "h2", "h3", "h4",  "h5",   "h6",         "table", "tr",  "td",  "th"};

bool IsNoteTag(std::string_view name) {
  if (name == "a") return true;
  for (const std::string_view tag : kNoteTags) {
    if (tag == name) return true;
  }
  return false;
}

bool IsVoidTag(std::string_view name) { return name == "br" || name == "hr"; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != prefix[i]) return false;
  }
  return true;
}

// A tag of a note as read: its name in lower case, whether it is an end
// tag, its href when it has one, and its length in the text (for a tag that
// could not be read, the length of what is shown as text instead).
struct Tag {
  std::string name;
  bool end = false;
  bool has_href = false;
  std::string href;
  std::size_t length = 0;
};

// Reads the tag at text[at] (which is "<") the way a browser reads one:
// the name runs to a blank, "/" or ">"; attribute values may be quoted.
// A tag ends on its line, which ends at line_end. False when no tag
// starts there (tag.length 1: the "<" alone is text) or it is not closed
// on its line (tag.length reaches line_end: the rest of the line is text,
// so that no character is read twice whatever the note holds).
bool ReadTag(std::string_view text, std::size_t at, std::size_t line_end, Tag& tag) {
  tag.length = 1;
  std::size_t i = at + 1;
  if (i < line_end && text[i] == '/') {
    tag.end = true;
    ++i;
  }
  if (i >= line_end || !IsLetter(text[i])) return false;
  tag.length = line_end - at;
  while (i < line_end && !IsTagSpace(text[i]) && text[i] != '/' && text[i] != '>') {
    tag.name += Lower(text[i]);
    ++i;
  }
  for (;;) {
    while (i < line_end && (IsTagSpace(text[i]) || text[i] == '/')) ++i;
    if (i >= line_end) return false;
    if (text[i] == '>') break;
    std::string name;
    // A name's first character may be "=", as in a browser.
    do {
      name += Lower(text[i]);
      ++i;
    } while (i < line_end && !IsTagSpace(text[i]) && text[i] != '/' && text[i] != '>' &&
             text[i] != '=');
    while (i < line_end && IsTagSpace(text[i])) ++i;
    std::string value;
    bool has_value = false;
    if (i < line_end && text[i] == '=') {
      ++i;
      while (i < line_end && IsTagSpace(text[i])) ++i;
      if (i >= line_end) return false;
      has_value = true;
      if (text[i] == '"' || text[i] == '\'') {
        const char quote = text[i++];
        const std::size_t close = text.substr(0, line_end).find(quote, i);
        if (close == std::string_view::npos) return false;
        value = std::string(text.substr(i, close - i));
        i = close + 1;
      } else {
        while (i < line_end && !IsTagSpace(text[i]) && text[i] != '>') value += text[i++];
      }
    }
    // The first of two attributes of the same name counts.
    if (name == "href" && !tag.has_href) {
      tag.has_href = true;
      if (has_value) tag.href = std::move(value);
    }
  }
  tag.length = i + 1 - at;
  return true;
}

bool IsAllowedHref(std::string_view href) {
  return StartsWithNoCase(href, "http://") || StartsWithNoCase(href, "https://") ||
         StartsWithNoCase(href, "mailto:");
}

}  // namespace

std::size_t ReferenceLengthAt(std::string_view text, std::size_t at) {
  std::size_t i = at + 1;
  if (i < text.size() && text[i] == '#') {
    ++i;
    bool hex = false;
    if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
      hex = true;
      ++i;
    }
    const std::size_t first = i;
    while (i < text.size() && (hex ? IsHexDigit(text[i]) : IsDigit(text[i]))) ++i;
    if (i == first) return 0;
  } else {
    const std::size_t first = i;
    while (i < text.size() && (IsLetter(text[i]) || IsDigit(text[i]))) ++i;
    if (i == first) return 0;
  }
  if (i >= text.size() || text[i] != ';') return 0;
  return i + 1 - at;
}

std::string HtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(text, false, out);
  return out;
}

std::string HtmlAttribute(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(text, true, out);
  return out;
}

std::string HtmlNote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  std::vector<std::string> open;              // the elements open, innermost last
  std::map<std::string, std::size_t> opened;  // how many of each are open
  std::size_t plain = 0;                      // start of the text not yet written
  std::size_t line_end = 0;                   // of the line being read
  auto flush = [&](std::size_t end) { AppendEscaped(text.substr(plain, end - plain), false, out); };
  auto close_innermost = [&]() {
    out += "</" + open.back() + ">";
    --opened[open.back()];
    open.pop_back();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      flush(i);
      out += "<BR>\n";
      plain = i + 1;
      continue;
    }
    if (text[i] != '<') continue;
    if (line_end <= i) line_end = std::min(text.find('\n', i), text.size());
    Tag tag;
    const bool read = ReadTag(text, i, line_end, tag);
    if (!read || !IsNoteTag(tag.name) ||
        (tag.name == "a" && !tag.end && !IsAllowedHref(tag.href))) {
      i += tag.length - 1;  // shown as text
      continue;
    }
    flush(i);
    plain = i + tag.length;
    i = plain - 1;
    if (tag.end) {
      if (opened[tag.name] == 0) continue;  // no start: left out
      while (open.back() != tag.name) close_innermost();
      close_innermost();
    } else if (tag.name == "a") {
      out += "<a href=\"" + HtmlAttribute(tag.href) + "\" rel=\"nofollow noopener\">";
      open.push_back(tag.name);
      ++opened[tag.name];
    } else {
      out += "<" + tag.name + ">";
      if (!IsVoidTag(tag.name)) {
        open.push_back(tag.name);
        ++opened[tag.name];
      }
    }
  }
  flush(text.size());
  while (!open.empty()) close_innermost();
  return out;
}

std::string OwnerAttribute(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

std::string PictureSource(std::string_view file) {
  // A browser drops tabs and line breaks anywhere in an address, and
  // blanks and control characters around it, before it reads the scheme.
  std::string seen;
  for (const char c : file) {
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (seen.empty() && static_cast<unsigned char>(c) <= ' ') continue;
    seen += c;
  }
  bool elsewhere = seen.size() >= 2 && (seen[0] == '/' || seen[0] == '\\') &&
                   (seen[1] == '/' || seen[1] == '\\');
  if (!seen.empty() && IsLetter(seen[0])) {
    std::size_t i = 1;
    while (i < seen.size() && (IsLetter(seen[i]) || IsDigit(seen[i]) || seen[i] == '+' ||
                               seen[i] == '-' || seen[i] == '.')) {
      ++i;
    }
    if (i < seen.size() && seen[i] == ':') elsewhere = true;
  }
  // A reference to an ASCII character ("&#58;", "&colon;") would be read
  // as that character by the browser, before it looks for a scheme, so
  // only those to other characters are kept.
  std::string out = elsewhere ? "./" : "";
  AppendEscaped(file, true, out, Keep::kNonAsciiReferences);
  return out;
}

void AppendPlainAscii(std::string_view text, std::string& out) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte <= 127) continue;
    out.append(text.substr(plain, i - plain));
    AppendReference(byte, out);
    plain = i + 1;
  }
  out.append(text.substr(plain));
}

std::string PlainAscii(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendPlainAscii(text, out);
  return out;
}

std::string GendexField(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '|' || byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return out;
}

}  // namespace kinloom
