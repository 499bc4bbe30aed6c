#include "pages/frame.h"

#include <optional>
#include <utility>

#include "pages/html_text.h"
#include "platform/platform.h"
#include "publish/publish.h"
#include "text/strings.h"
#include "text/unicode.h"

namespace kinloom {

PageFile::~PageFile() {
  if (is_open()) Close();
}

bool PageFile::Create(const std::string& path, const PageOutcome& outcome) {
  if (is_open()) Close();
  kept_ = false;
  buffer_.clear();
  date_size_ = 0;
  page_ = run_.output.Open(path, outcome);
  if (page_ == 0) run_.ReportProgress();
  return page_ != 0;
}

bool PageFile::CreateOrKeep(const std::string& path, const PageOutcome& outcome) {
  if (is_open()) Close();
  PageInputs* inputs = run_.page_inputs;
  if (inputs != nullptr) {
    KeptPage kept;
    if (inputs->Keep(path, kept)) {
      run_.output.Keep(std::move(kept), outcome);
      kept_ = true;
      run_.ReportProgress();
      return true;
    }
  }
  if (!Create(path, outcome)) return false;
  if (inputs != nullptr) {
    inputs->BeginPage();
    watched_ = true;
  }
  return true;
}

void PageFile::Write(std::string_view text) {
  if (page_ == 0) return;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 127) {
      WriteBytes(PlainAscii(text));
      return;
    }
  }
  WriteBytes(text);
}

void PageFile::WriteBytes(std::string_view text) {
  if (page_ == 0) return;
  if (buffer_.size() + text.size() > kBufferSize) {
    HandOn();
    if (text.size() >= kBufferSize) {
      run_.output.Write(page_, std::string(text));
      return;
    }
  }
  buffer_.append(text);
}

void PageFile::WriteDate(std::string_view text) {
  if (page_ == 0) return;
  if (buffer_.size() + text.size() > kBufferSize) HandOn();
  date_offset_ = buffer_.size();
  date_size_ = text.size();
  buffer_.append(text);
}

void PageFile::WriteFrom(std::shared_ptr<const BlockFile> file, long long offset, long long size) {
  if (page_ == 0 || !file) return;
  HandOn();
  const int source = file->descriptor();
  if (size < 0) size = file->size() - offset;
  run_.output.WriteFrom(page_, source, offset, size, std::move(file));
}

void PageFile::HandOn() {
  if (buffer_.empty()) return;
  // The bytes move on to the writer; the next piece starts a new buffer.
  run_.output.Write(page_, std::exchange(buffer_, std::string()), date_offset_,
                    std::exchange(date_size_, 0));
  date_offset_ = 0;
  buffer_.reserve(4096);  // most pages fit
}

bool PageFile::Close() {
  if (page_ == 0) return false;
  HandOn();
  std::string inputs;
  if (watched_ && run_.page_inputs != nullptr) inputs = run_.page_inputs->EndPage();
  watched_ = false;
  const bool ok = run_.output.Close(page_, std::move(inputs));
  page_ = 0;
  run_.ReportProgress();
  return ok;
}

std::string PageFileName(const Settings& settings, std::string_view prefix, std::int32_t number) {
  std::string digits = std::to_string(number);
  std::string name(prefix);
  if (digits.size() < 5) name.append(5 - digits.size(), '0');
  name += digits;
  name += '.';
  name += settings.extension;
  return name;
}

// The path of a page file is built with the system's separator; its links
// always use "/".
std::string PagePath(const Settings& settings, std::string_view directory, std::string_view file) {
  const char separator = platform::DirectorySeparator();
  std::string path = "html";
  path += separator;
  if (settings.subdirs == 'Y' && !directory.empty()) {
    path += directory;
    path += separator;
  }
  path += file;
  return path;
}

std::string PageLink(const Settings& settings, std::string_view directory, std::string_view file) {
  if (settings.subdirs != 'Y') return std::string(file);
  std::string link(directory);
  link += '/';
  link += file;
  return link;
}

namespace {

// The whole of a user include file, read as a text file would be on the
// desktop platform: each CR LF pair becomes "\n", every other byte stays.
// Nothing when the file cannot be opened or read (a directory, for one).
std::optional<std::string> ReadUserFile(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

// The include files are the same for every page of a run, so each is read
// once, not once per page: on a large tree that saves three file lookups
// for every page written.
}  // namespace

const UserFiles& UserFilesOf(Run& run) {
  UserFiles& files = run.user_files;
  if (!files.read) {
    files.meta = ReadUserFile("meta.htm");
    files.header = ReadUserFile("header.htm");
    files.footer = ReadUserFile("footer.htm");
    files.read = true;
  }
  return files;
}

namespace {}  // namespace

void WritePageStart(Run& run, PageFile& page, std::string_view title) {
  page.Write("<HTML>\n");
  page.Write("<HEAD>\n");
  std::string line = "<TITLE>";
  line += HtmlText(title);
  line += "</TITLE>\n";
  page.Write(line);
  WriteBodyStart(run, page);
}

void WriteBodyStart(Run& run, PageFile& page) {
  const Settings& s = run.settings;
  const UserFiles& user = UserFilesOf(run);
  if (const auto& meta = user.meta) {
    page.WriteBytes(*meta);
    page.Write("\n");
  }
  page.Write("</HEAD>\n");
  std::string body;
  if (s.background == 'G') {
    body = "<BODY BACKGROUND=\"" + OwnerAttribute(s.bgpic) + "\"";
  } else {
    body = "<BODY BGCOLOR=\"#" + OwnerAttribute(s.bgcolor) + "\"";
  }
  body += " TEXT=\"#" + OwnerAttribute(s.textc) + "\" LINK=\"#" + OwnerAttribute(s.linkc) +
          "\" VLINK=\"#" + OwnerAttribute(s.vlinkc) + "\">\n";
  page.Write(body);
  if (const auto& header = user.header) {
    page.WriteBytes(*header);
    page.Write("<BR>\n");
  }
}

void WritePageFoot(Run& run, PageFile& page, char with_surnames_link, std::string_view up_prefix) {
  const Settings& s = run.settings;
  std::string bar = "<CENTER><FONT SIZE=+2>|&nbsp;<A HREF=\"" + OwnerAttribute(s.home) + "\">" +
                    run.Text(Label::kHome) + "</A>";
  if (!s.email.empty()) {
    bar += "&nbsp;|&nbsp;<A HREF=\"mailto:" + OwnerAttribute(s.email) + "\">" +
           run.Text(Label::kEmail) + "</A>";
  }
  if (with_surnames_link == 'Y') {
    bar += "&nbsp;|&nbsp;<A HREF=\"";
    if (s.subdirs == 'Y') bar += up_prefix;
    bar += "surnames." + s.extension + "\">" + run.Text(Label::kSurnames) + "</A>";
  }
  bar += "&nbsp;|</FONT></CENTER><BR>\n";
  page.Write(bar);
  if (const auto& footer = UserFilesOf(run).footer) {
    page.WriteBytes(*footer);
    page.Write("<BR>\n");
  }
  std::string credit = "Page built by <A HREF=\"";
  credit += kGeneratorHome;
  credit += "\">";
  credit += kVersionText;
  credit += "</A> on ";
  page.Write(credit);
  page.WriteDate(PageDate(run));
  page.Write("<BR><BR>\n");
}

bool FinishPage(Run&, PageFile& page) {
  page.Write("</BODY>\n");
  page.Write("</HTML>\n");
  return page.Close();
}

std::string RightAligned(std::string_view text, std::size_t width) {
  std::string out;
  if (text.size() < width) out.assign(width - text.size(), ' ');
  out += text;
  return out;
}

std::string LeftAligned(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

void WriteEventLine(PageFile& page, std::string_view caption, std::string_view date,
                    std::string_view at_caption, std::string_view place, std::string_view mark) {
  std::string line = RightAligned(caption, 7);
  line += ": ";
  line += HtmlText(LeftAligned(date, 17));
  line += at_caption;
  line += ": ";
  line += HtmlText(place);
  line += ' ';
  line += mark;
  line += " \n";
  page.Write(line);
}

int SourceNumber(Run& run, std::int32_t source) {
  std::vector<std::int32_t>& sources = run.page.sources;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (sources[i] == source) return static_cast<int>(i) + 1;
  }
  sources.push_back(source);
  return static_cast<int>(sources.size());
}

std::string SourceMark(int footnote) {
  return "<A HREF=\"#SRC\"><FONT SIZE=-1>" + std::to_string(footnote) + "</FONT></A>";
}

void WriteSourceList(Run& run, PageFile& page) {
  const std::vector<std::int32_t>& sources = run.page.sources;
  if (run.settings.sources != 'Y' || sources.empty()) return;
  page.Write("<A NAME=\"SRC\"></A>");
  page.Write("<B>" + run.Text(Label::kSources) + "</B>\n");
  for (std::size_t i = 0; i < sources.size(); ++i) {
    page.Write(std::to_string(i + 1) + ") " + HtmlText(run.store.SourceTitle(sources[i])) + "\n");
  }
  page.Write("<HR NOSHADE SIZE=1>");
}

std::string UppercaseSurname(const Settings& settings, std::string_view text) {
  if (settings.ucsurname != 'Y') return std::string(text);
  if (text.empty()) return " ";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '&') {
      if (auto ref = LatinLetterReferenceAt(text, i)) {
        const char32_t upper = ref->base >= 'a' && ref->base <= 'z' ? LatinUppercase(ref->code) : 0;
        if (upper != 0) {
          out += "&#" + std::to_string(static_cast<unsigned long>(upper)) + ";";
        } else {
          out += text.substr(i, ref->length);
        }
        i += ref->length;
        continue;
      }
    }
    if (c >= 'a' && c <= 'z') {
      out += static_cast<char>(c - 'a' + 'A');
    } else if (c >= 0xE0 && c <= 0xFE) {
      out += static_cast<char>(c - 0x20);
    } else {
      out += static_cast<char>(c);
    }
    ++i;
  }
  return out;
}

namespace {

// The pieces of a GEDCOM name around its first two slashes. A name with
// fewer slashes (the reader never stores one) is read as far as it goes:
// without a first slash it is all given names, without a second the
// surname runs to its end.
struct NameParts {
  std::string given;
  std::string surname;
  std::optional<std::string> suffix;  // set when characters follow the second slash
};

NameParts SplitName(std::string_view name) {
  NameParts parts;
  const int s1 = FindOccurrence(name, "/", 1);
  if (s1 < 0) {
    parts.given = TrimTrailingSpaces(name);
    return parts;
  }
  parts.given = TrimTrailingSpaces(SubText(name, 0, s1));
  const int s2 = FindOccurrence(name, "/", 2);
  if (s2 < 0) {
    parts.surname = std::string(name.substr(static_cast<std::size_t>(s1) + 1));
    return parts;
  }
  parts.surname = std::string(
      name.substr(static_cast<std::size_t>(s1) + 1, static_cast<std::size_t>(s2 - s1 - 1)));
  if (static_cast<std::size_t>(s2) + 1 < name.size()) {
    parts.suffix = std::string(name.substr(static_cast<std::size_t>(s2) + 1));
  }
  return parts;
}

}  // namespace

std::string FormatName(const Settings& settings, std::string_view name) {
  if (name.empty()) return " ";
  NameParts parts = SplitName(name);
  std::string out = parts.given;
  out += ' ';
  out += UppercaseSurname(settings, parts.surname);
  if (parts.suffix) {
    out += ", ";
    out += SkipLeadingSeparators(UppercaseSurname(settings, *parts.suffix));
  }
  return out;
}

std::string ExtractSurname(const Settings& settings, std::string_view name) {
  if (name.empty()) return " ";
  return UppercaseSurname(settings, SplitName(name).surname);
}

std::string CoupleName(Run& run, std::int32_t husband, std::int32_t wife) {
  std::string out =
      husband == 0 ? std::string("?") : FormatName(run.settings, run.store.IndividualName(husband));
  out += '/';
  out += wife == 0 ? std::string("?") : FormatName(run.settings, run.store.IndividualName(wife));
  return out;
}

std::string PageDate(const Run& run) {
  if (!run.test_options.fixed_page_date.empty()) return run.test_options.fixed_page_date;
  return FormatPageDate(CurrentRunDate(run.date));
}

std::uint64_t PagesFingerprint(Run& run) {
  ContentHash hash;
  // Each text with its length, so that no two lists of texts run together
  // into the same bytes.
  auto add = [&hash](std::string_view text) {
    hash.Update(std::to_string(text.size()));
    hash.Update(":");
    hash.Update(text);
  };
  auto add_flag = [&add](char flag) { add(std::string_view(&flag, 1)); };
  // "pages 2": texts from the GEDCOM file escaped, pages plain ASCII.
  add("pages 2");
  add(kVersionText);
  const Settings& s = run.settings;
  // Every field of Settings: one added there must be added here.
  add_flag(s.background);
  add(s.bgpic);
  add(s.bgcolor);
  add(s.textc);
  add(s.linkc);
  add(s.vlinkc);
  add(s.home);
  add(s.email);
  add(s.gedfile);
  add_flag(s.notes);
  add_flag(s.ucsurname);
  add_flag(s.soundex);
  add_flag(s.sources);
  add_flag(s.photos);
  add_flag(s.subdirs);
  add_flag(s.pedigreeall);
  add(s.pedigreelist);
  add(s.extension);
  add_flag(s.privacy);
  add_flag(s.skipmissing);
  add_flag(s.changedonly);
  for (int i = 0; i < kLabelCount; ++i) add(run.labels[static_cast<Label>(i)]);
  const UserFiles& files = UserFilesOf(run);
  for (const std::optional<std::string>* file : {&files.meta, &files.header, &files.footer}) {
    add_flag(file->has_value() ? 'Y' : 'N');
    add(file->value_or(std::string()));
  }
  return hash.Value();
}

}  // namespace kinloom
