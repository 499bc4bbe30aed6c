#include "pages/pictures.h"

#include <algorithm>
#include <array>
#include <memory>
#include <unordered_set>
#include <utility>

#include "pages/html_text.h"
#include "platform/platform.h"
#include "publish/publish.h"

namespace kinloom {

namespace {

// Longer paths and names are refused rather than cut: a cut name could
// find another file.
constexpr std::size_t kLongestPath = 1024;
constexpr std::size_t kLongestStep = 255;
// The walk goes no deeper and keeps no more files than this.
constexpr int kDeepestWalk = 64;
constexpr std::size_t kMostWalkedFiles = 4'000'000;

constexpr std::string_view kRecordFile = "kinloom.pictures";
constexpr std::string_view kRecordHeader = "kinloom pictures 1";

constexpr std::array<std::string_view, 18> kCopiedExtensions = {
    "jpg", "jpeg", "png", "gif", "bmp", "webp", "svg", "tif",  "tiff",
    "pdf", "mp3",  "mp4", "wav", "avi", "mov",  "doc", "docx", "txt"};
constexpr std::array<std::string_view, 7> kShownExtensions = {"jpg", "jpeg", "png", "gif",
                                                              "bmp", "webp", "svg"};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == prefix;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string_view ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  return name.substr(dot + 1);
}

template <std::size_t N>
bool HasExtension(std::string_view name, const std::array<std::string_view, N>& list) {
  const std::string extension = LowerAscii(ExtensionOf(name));
  return std::find(list.begin(), list.end(), extension) != list.end();
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, with any extension:
// Windows opens the device, whatever folder the name is in.
bool IsDeviceName(std::string_view step) {
  std::string base = LowerAscii(step.substr(0, step.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "con" || base == "prn" || base == "aux" || base == "nul") return true;
  return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
         base[3] >= '1' && base[3] <= '9';
}

// A name that stays in the folder it is put in.
bool IsPlainName(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.size() > kLongestStep) return false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || IsSeparator(c) || c == ':') return false;
  }
  return !IsDeviceName(name);
}

std::string Joined(const std::vector<std::string>& steps, std::size_t from) {
  std::string path;
  for (std::size_t i = from; i < steps.size(); ++i) {
    if (!path.empty()) path += '/';
    path += steps[i];
  }
  return path;
}

std::string InFolder(const std::string& folder, std::string_view relative) {
  std::string path = folder;
  if (!path.empty() && !IsSeparator(path.back())) path += platform::DirectorySeparator();
  path += relative;
  return path;
}

// The folder of the GEDCOM file ("." when its name has none).
std::string FolderOf(const std::string& file) {
  const std::size_t last =
      platform::DirectorySeparator() == '\\' ? file.find_last_of("/\\:") : file.find_last_of('/');
  if (last == std::string::npos) return ".";
  if (last == 0) return file.substr(0, 1);
  if (file[last] == ':') return file.substr(0, last + 1) + ".";
  return file.substr(0, last);
}

// Texts of the pages are Latin-1; where file names are UTF-8, a name with
// letters beyond ASCII is looked for, and copied, in UTF-8. A text that
// already is UTF-8 (a GEDCOM file read as it stands) is left alone.
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) continue;
    const int more = c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
    if (more < 0 || i + static_cast<std::size_t>(more) >= text.size()) return false;
    for (int k = 1; k <= more; ++k) {
      if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) {
        return false;
      }
    }
    i += static_cast<std::size_t>(more);
  }
  return true;
}

std::string OnDiskName(std::string_view name) {
  if (!platform::NamesInUtf8() || IsUtf8(name)) return std::string(name);
  std::string utf8;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      utf8 += ch;
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

std::string Stamp(const platform::FileStatus& status) {
  return std::to_string(status.size) + " " + std::to_string(status.modified_ns);
}

bool SameContent(const std::string& a, const std::string& b, long long size) {
  const platform::FileHandle first = platform::OpenForReading(a);
  const platform::FileHandle second = platform::OpenForReading(b);
  bool same = first != platform::kNoFile && second != platform::kNoFile;
  std::string one(64 * 1024, '\0');
  std::string two(one.size(), '\0');
  for (long long at = 0; same && at < size; at += static_cast<long long>(one.size())) {
    const std::size_t got = platform::ReadAt(first, one.data(), one.size(), at);
    same = platform::ReadAt(second, two.data(), two.size(), at) == got &&
           std::equal(one.begin(), one.begin() + static_cast<long>(got), two.begin()) &&
           (got == one.size() || at + static_cast<long long>(got) == size);
  }
  if (first != platform::kNoFile) (void)platform::CloseFile(first);
  if (second != platform::kNoFile) (void)platform::CloseFile(second);
  return same;
}

}  // namespace

PicturePath ParsePicturePath(std::string_view written) {
  PicturePath path;
  for (char c : written) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) path.refused = "control characters in the name";
  }
  if (written.size() > kLongestPath) path.refused = "name too long";
  bool share = false;
  if (StartsWithNoCase(written, "file://")) {
    written.remove_prefix(7);
    path.absolute = true;
    if (!written.empty() && written[0] != '/') {
      // "file://host/path": the host goes as a share's server does.
      const std::size_t slash = written.find('/');
      written.remove_prefix(slash == std::string_view::npos ? written.size() : slash);
    }
    // "file:///C:/path"
    if (written.size() >= 3 && written[0] == '/' && written[2] == ':') written.remove_prefix(1);
  } else if (written.size() >= 2 && IsSeparator(written[0]) && IsSeparator(written[1])) {
    share = true;  // \\server\share\path
    path.absolute = true;
  }
  if (written.size() >= 2 && written[1] == ':' &&
      ((written[0] >= 'A' && written[0] <= 'Z') || (written[0] >= 'a' && written[0] <= 'z'))) {
    written.remove_prefix(2);
    path.absolute = true;
  }
  if (!written.empty() && IsSeparator(written[0])) path.absolute = true;
  std::size_t start = 0;
  std::vector<std::string> steps;
  std::size_t first_usable = 0;
  while (start <= written.size()) {
    std::size_t end = start;
    while (end < written.size() && !IsSeparator(written[end])) ++end;
    const std::string_view step = written.substr(start, end - start);
    start = end + 1;
    if (step.empty() || step == ".") continue;
    if (share && steps.size() < 2 && first_usable == 0) {
      steps.emplace_back(step);  // the server and the share, dropped below
      continue;
    }
    if (step == "..") {
      first_usable = steps.size();
      continue;
    }
    if (step.size() > kLongestStep) path.refused = "name too long";
    if (step.find(':') != std::string_view::npos) path.refused = "a \":\" in the name";
    if (IsDeviceName(step)) path.refused = "a device name";
    steps.emplace_back(step);
  }
  if (share) {
    const std::size_t dropped = std::min<std::size_t>(2, steps.size());
    steps.erase(steps.begin(), steps.begin() + static_cast<long>(dropped));
    first_usable = first_usable > dropped ? first_usable - dropped : 0;
  }
  path.steps = std::move(steps);
  path.first_usable = first_usable;
  return path;
}

bool IsWebAddress(std::string_view written) {
  return StartsWithNoCase(written, "http://") || StartsWithNoCase(written, "https://");
}

bool IsCopiedExtension(std::string_view name) { return HasExtension(name, kCopiedExtensions); }

bool IsShownExtension(std::string_view name) { return HasExtension(name, kShownExtensions); }

std::string NumberedName(std::string_view name, int number) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) dot = name.size();
  return std::string(name.substr(0, dot)) + "-" + std::to_string(number) +
         std::string(name.substr(dot));
}

PictureFinder::PictureFinder(std::string folder) : folder_(std::move(folder)) {
  if (platform::StatusThrough(folder_).directory) {
    canonical_folder_ = platform::CanonicalPath(folder_);
  }
  for (const char* own : {"html", "kinloom.tmp"}) {
    std::string excluded = platform::CanonicalPath(own);
    if (!excluded.empty()) excluded_.push_back(std::move(excluded));
  }
}

bool PictureFinder::Inside(const std::string& canonical) const {
  const std::string& folder = canonical_folder_;
  if (folder.empty() || canonical.size() <= folder.size() ||
      canonical.compare(0, folder.size(), folder) != 0) {
    return false;
  }
  if (!IsSeparator(folder.back()) && !IsSeparator(canonical[folder.size()])) return false;
  // The site's own files are never a picture's source.
  for (const std::string& excluded : excluded_) {
    if (canonical.size() > excluded.size() &&
        canonical.compare(0, excluded.size(), excluded) == 0 &&
        IsSeparator(canonical[excluded.size()])) {
      return false;
    }
  }
  return true;
}

bool PictureFinder::Check(const std::vector<std::string>& steps, std::size_t from,
                          Result& result) const {
  const std::string relative = Joined(steps, from);
  const std::string path = InFolder(folder_, relative);
  if (!platform::StatusThrough(path).regular) return false;
  // A link (or a folder on the way that is one) may lead out of the
  // folder: what it names must lie in it.
  std::string canonical = platform::CanonicalPath(path);
  if (!Inside(canonical)) return false;
  result.found = true;
  result.source = std::move(canonical);
  result.relative = relative;
  return true;
}

void PictureFinder::Walk() {
  walked_ = true;
  ++walks_;
  if (!folder_exists()) return;
  struct Pending {
    std::string relative;
    int depth;
  };
  std::vector<Pending> pending{{"", 0}};
  while (!pending.empty() && entries_.size() < kMostWalkedFiles) {
    const Pending dir = std::move(pending.back());
    pending.pop_back();
    const std::string dir_path = dir.relative.empty() ? folder_ : InFolder(folder_, dir.relative);
    for (platform::DirectoryEntry& entry : platform::DirectoryEntries(dir_path)) {
      std::string relative = dir.relative.empty() ? entry.name : dir.relative + "/" + entry.name;
      switch (entry.kind) {
        case platform::DirectoryEntry::Kind::kDirectory:
          // The site's own folders are never walked.
          if (dir.depth + 1 < kDeepestWalk &&
              !((entry.name == "html" || entry.name == "kinloom.tmp") &&
                platform::SameFile(InFolder(folder_, relative), entry.name))) {
            pending.push_back({std::move(relative), dir.depth + 1});
          }
          break;
        case platform::DirectoryEntry::Kind::kLink: {
          // Followed to a file in the folder only; linked folders are not
          // walked (they may lead out, or round in a loop).
          const std::string path = InFolder(folder_, relative);
          if (!platform::StatusThrough(path).regular) break;
          if (!Inside(platform::CanonicalPath(path))) break;
          entries_.push_back({std::move(relative), LowerAscii(entry.name)});
          break;
        }
        case platform::DirectoryEntry::Kind::kFile:
          entries_.push_back({std::move(relative), LowerAscii(entry.name)});
          break;
        case platform::DirectoryEntry::Kind::kOther:
          break;
      }
    }
  }
  std::sort(entries_.begin(), entries_.end(),
            [](const Entry& a, const Entry& b) { return a.relative < b.relative; });
  for (std::size_t i = 0; i < entries_.size(); ++i) by_name_[entries_[i].lower_name].push_back(i);
}

PictureFinder::Result PictureFinder::Find(std::string_view written) {
  Result result = FindAsGiven(written);
  if (result.found || !result.refused.empty()) return result;
  const std::string on_disk = OnDiskName(written);
  return on_disk == written ? result : FindAsGiven(on_disk);
}

PictureFinder::Result PictureFinder::FindAsGiven(std::string_view written) {
  Result result;
  const PicturePath path = ParsePicturePath(written);
  if (!path.refused.empty()) {
    result.refused = path.refused;
    return result;
  }
  if (!folder_exists() || path.first_usable >= path.steps.size()) return result;
  const std::vector<std::string>& steps = path.steps;
  // As written: relative, or absolute and under the folder.
  std::size_t tried = steps.size();
  if (!path.absolute && path.first_usable == 0) {
    tried = 0;
  } else if (path.absolute) {
    const PicturePath folder = ParsePicturePath(canonical_folder_);
    const bool fold_case = platform::DirectorySeparator() == '\\';
    std::size_t k = 0;
    while (k < folder.steps.size() && k < steps.size() &&
           (fold_case ? LowerAscii(folder.steps[k]) == LowerAscii(steps[k])
                      : folder.steps[k] == steps[k])) {
      ++k;
    }
    if (k == folder.steps.size() && k < steps.size() && k >= path.first_usable) tried = k;
  }
  if (tried < steps.size() && Check(steps, tried, result)) return result;
  // The last folders and the name.
  for (std::size_t from = path.first_usable; from < steps.size(); ++from) {
    if (from != tried && Check(steps, from, result)) return result;
  }
  // The name anywhere below, the best match of the trailing folders.
  if (!walked_) Walk();
  const auto matches = by_name_.find(LowerAscii(steps.back()));
  if (matches == by_name_.end()) return result;
  int best_score = -1;
  std::size_t best = 0;
  for (const std::size_t index : matches->second) {
    const std::string& relative = entries_[index].relative;
    // Folders of the match, from the last, against the path's.
    int score = 0;
    std::size_t end = relative.rfind('/');
    std::size_t step = steps.size() - 1;
    while (end != std::string::npos && step > path.first_usable) {
      const std::size_t begin = relative.rfind('/', end == 0 ? 0 : end - 1);
      const std::size_t from = begin == std::string::npos ? 0 : begin + 1;
      if (LowerAscii(relative.substr(from, end - from)) != LowerAscii(steps[step - 1])) break;
      ++score;
      --step;
      end = begin;
    }
    if (score > best_score) {
      best_score = score;
      best = index;
      result.tie = false;
    } else if (score == best_score) {
      result.tie = true;
    }
  }
  std::string canonical = platform::CanonicalPath(InFolder(folder_, entries_[best].relative));
  if (!Inside(canonical)) return Result{};
  result.found = true;
  result.source = std::move(canonical);
  result.relative = entries_[best].relative;
  return result;
}

void PicturePlan::ReadRecord() {
  record_.clear();
  const platform::FileHandle file = platform::OpenForReading(std::string(kRecordFile));
  if (file == platform::kNoFile) return;
  const platform::FileStatus status = platform::StatusOfOpen(file);
  std::string text(static_cast<std::size_t>(std::max(0LL, status.size)), '\0');
  text.resize(platform::ReadAt(file, text.data(), text.size(), 0));
  (void)platform::CloseFile(file);
  std::size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kRecordHeader) return;  // not a record this program knows
      first = false;
      continue;
    }
    const std::size_t size_end = line.find(' ');
    const std::size_t time_end =
        size_end == std::string_view::npos ? size_end : line.find(' ', size_end + 1);
    if (time_end == std::string_view::npos) continue;
    record_[std::string(line.substr(time_end + 1))] = std::string(line.substr(0, time_end));
  }
}

void PicturePlan::Prepare(Run& run) {
  const Settings& s = run.settings;
  const WorkFiles& store = run.store;
  const std::int32_t count = store.counters.PhotoCount;
  pictures_.assign(static_cast<std::size_t>(std::max(count, 0)) + 1, PagePicture{});
  counts_ = {};
  ours_.clear();
  any_ = false;
  // A run that already failed copies nothing more.
  if (run.output.stopped()) return;
  for (std::int32_t photo = 1; photo <= count && !any_; ++photo) {
    any_ = !store.PhotoFile(photo).empty();
  }
  if (!any_) return;

  PictureFinder finder(s.photodir.empty() ? FolderOf(s.gedfile) : s.photodir);
  const std::string& folder = finder.folder();
  if (!finder.folder_exists()) {
    const std::string line = "Pictures folder not found: " + folder;
    run.log.LogLine(line);
    run.notices.Add(line);
  }
  ReadRecord();
  std::string target_folder = "html";
  if (s.subdirs == 'Y') target_folder += std::string(1, platform::DirectorySeparator()) + "pho";

  std::unordered_map<std::string, std::string> identity_of_name;
  std::unordered_map<std::string, std::string> name_of_identity;
  for (std::int32_t photo = 1; photo <= count; ++photo) {
    const std::string& file = store.PhotoFile(photo);
    if (file.empty()) continue;  // no page (a hidden person's photo too)
    PagePicture& picture = pictures_[static_cast<std::size_t>(photo)];
    // Without the path as written (a store filled by other means), the
    // page's own name stands for it.
    std::string written(run.picture_paths.Get(photo));
    if (written.empty()) written = file;
    if (IsWebAddress(written)) {
      picture = {written, PictureShow::kWebAddress};
      continue;
    }
    const PictureFinder::Result found = finder.Find(written);
    // Two photos show one picture when they name the same file, or, when
    // none is found, the same path.
    const std::string identity = found.found ? "f" + found.source : "w" + written;
    bool first_time = false;
    if (const auto known = name_of_identity.find(identity); known != name_of_identity.end()) {
      picture.name = known->second;
    } else {
      std::string name = file;
      for (int number = 2; identity_of_name.contains(name); ++number) {
        name = NumberedName(file, number);
      }
      identity_of_name[name] = identity;
      name_of_identity[identity] = name;
      picture.name = std::move(name);
      first_time = true;
    }
    if (!IsShownExtension(picture.name) && IsCopiedExtension(picture.name)) {
      picture.show = PictureShow::kLink;
    }
    if (!first_time) continue;
    if (!found.found) {
      // A picture the user put beside the pages himself is in place.
      if (found.refused.empty() && IsPlainName(picture.name) &&
          platform::StatusOf(InFolder(target_folder, OnDiskName(picture.name))).regular) {
        ++counts_.in_place;
        continue;
      }
      ++counts_.not_found;
      if (!found.refused.empty()) {
        run.log.LogLine("Picture refused: " + written + " (" + found.refused + ")");
      } else {
        run.log.LogLine("Picture not found: " + written + " (looked in " + folder + ")");
      }
      continue;
    }
    if (found.tie) {
      run.log.LogLine("Picture found more than once: " + written + " (took " + found.relative +
                      ")");
    }
    if (!IsCopiedExtension(found.relative)) {
      run.log.LogLine("Picture not copied, not a picture or media file: " + written);
      continue;
    }
    if (!IsPlainName(picture.name)) {
      run.log.LogLine("Picture not copied, its name is not allowed: " + written);
      continue;
    }
    Place(run, written, {found.source, InFolder(target_folder, OnDiskName(picture.name))});
  }
}

void PicturePlan::Place(Run& run, const std::string& written, const Copy& copy) {
  const platform::FileStatus source = platform::StatusThrough(copy.source);
  const platform::FileStatus target = platform::StatusOf(copy.target);
  const auto recorded = record_.find(copy.target);
  const bool ours =
      target.regular && recorded != record_.end() && recorded->second == Stamp(target);
  if (target.exists) {
    if (target.regular && target.size == source.size &&
        SameContent(copy.source, copy.target, source.size)) {
      ++counts_.in_place;
      if (!ours) return;
      ours_.push_back(copy.target);
      // Kept in the record of changed pages, where it is already.
      if (run.settings.changedonly != 'Y') return;
    } else if (!ours) {
      run.log.LogLine("Picture not replaced: " + RecordPath(copy.target) + " differs from " +
                      written + " and was not copied by Kinloom");
      return;
    } else {
      ++counts_.copied;
      ours_.push_back(copy.target);
    }
  } else {
    ++counts_.copied;
    ours_.push_back(copy.target);
  }
  if (run.settings.changedonly == 'Y') {
    // Through the record of changed pages: unchanged copies are not
    // written again, and those no longer named are removed.
    constexpr PageOutcome kPicture{"Unable to copy picture.", false, false, {}};
    const platform::FileHandle file = platform::OpenForReading(copy.source);
    if (file == platform::kNoFile) {
      run.log.LogLine("Picture cannot be copied: " + written + " (" +
                      ReasonText(platform::LastError()) + ")");
      --counts_.copied;
      ++counts_.not_found;
      ours_.pop_back();
      return;
    }
    auto owner =
        std::shared_ptr<const void>(new platform::FileHandle(file), [](const void* handle) {
          const auto* fd = static_cast<const platform::FileHandle*>(handle);
          (void)platform::CloseFile(*fd);
          delete fd;
        });
    const int page = run.output.Open(copy.target, kPicture);
    if (page == 0) return;
    run.output.WriteFrom(page, file, 0, source.size, std::move(owner));
    (void)run.output.Close(page);
    return;
  }
  if (!platform::CopyFileTo(copy.source, copy.target)) {
    run.log.LogLine("Picture cannot be copied: " + written + " (" +
                    ReasonText(platform::LastError()) + ")");
    --counts_.copied;
    ++counts_.not_found;
    ours_.pop_back();
  }
}

const PagePicture& PicturePlan::Of(std::int32_t photo) const {
  if (photo <= 0 || static_cast<std::size_t>(photo) >= pictures_.size()) return plain_;
  return pictures_[static_cast<std::size_t>(photo)];
}

void PicturePlan::Finish(Run& run) {
  if (!any_) return;
  // The copies' sizes and times, once the writer has put them on disk.
  run.output.Drain();
  if (!ours_.empty() || !record_.empty()) {
    std::unordered_set<std::string> done(ours_.begin(), ours_.end());
    std::string text = std::string(kRecordHeader) + "\n";
    for (const std::string& path : ours_) {
      const platform::FileStatus status = platform::StatusOf(path);
      if (status.regular) text += Stamp(status) + " " + path + "\n";
    }
    // Copies of earlier runs that this one did not name stay Kinloom's
    // while they are as they were left.
    std::vector<std::string> earlier;
    for (const auto& [path, stamp] : record_) {
      if (!done.contains(path) && Stamp(platform::StatusOf(path)) == stamp) {
        earlier.push_back(stamp + " " + path + "\n");
      }
    }
    std::sort(earlier.begin(), earlier.end());
    for (const std::string& line : earlier) text += line;
    const std::string temporary = std::string(kRecordFile) + ".new";
    const platform::FileHandle file =
        platform::OpenFile(temporary, platform::OpenMode::kReadWriteNoLink);
    bool ok = file != platform::kNoFile && platform::WriteAt(file, text.data(), text.size(), 0);
    if (file != platform::kNoFile) ok = platform::CloseFile(file) && ok;
    if (!ok || !platform::RenameOver(temporary, std::string(kRecordFile))) {
      (void)platform::RemoveFile(temporary);
      run.log.LogLine("Unable to write file " + std::string(kRecordFile) + ".");
    }
  }
  run.log.LogLine("Pictures: " + std::to_string(counts_.copied) + " copied, " +
                  std::to_string(counts_.in_place) + " already in place, " +
                  std::to_string(counts_.not_found) + " not found.");
  if (counts_.not_found > 0 && !run.output.stopped()) {
    run.notices.Add(std::to_string(counts_.not_found) +
                    " pictures were not found (listed in kinloom.log); set the pictures folder.");
  }
}

std::string WebAddressLink(std::string_view address) {
  return "<A HREF=\"" + HtmlAttribute(address) + "\">" + HtmlText(address) + "</A>";
}

}  // namespace kinloom
