// Names index pages: names1, names2, ... directly in the output directory,
// one line per named individual of a range of sorted slots, with an anchor
// at the first entry of each surname for the surnames page to link to.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"
#include "text/strings.h"

namespace kinloom {

std::string IndexName(const Settings& settings, std::string_view name) {
  if (name.empty()) return " ";
  const int first_slash = FindOccurrence(name, "/", 1);
  const int second_slash = FindOccurrence(name, "/", 2);
  // The GEDCOM reader gives every non-empty name two slashes; a name that
  // lacks them anyway is read as given names alone (no closing slash: the
  // rest is the surname).
  std::string given;
  std::string surname;
  std::string suffix;
  if (first_slash < 0) {
    given = std::string(name);
  } else {
    given = SubText(name, 0, first_slash);
    if (second_slash < 0) {
      surname = std::string(name.substr(static_cast<std::size_t>(first_slash) + 1));
    } else {
      surname = SubText(name, first_slash + 1, second_slash - first_slash - 1);
      suffix = std::string(name.substr(static_cast<std::size_t>(second_slash) + 1));
    }
  }
  std::string result = UppercaseSurname(settings, surname);
  if (!suffix.empty()) {
    result += ", ";
    result += SkipLeadingSeparators(UppercaseSurname(settings, suffix));
  }
  result += ", ";
  result += TrimTrailingSpaces(given);
  return result;
}

void AppendNamesEntry(const Settings& settings, std::int32_t number, const IndividualRecord& record,
                      std::string& previous_surname, std::string& text, bool* is_individual_page) {
  if (is_individual_page != nullptr) *is_individual_page = false;
  const std::string& name = record.name;
  if (name.empty()) return;
  std::string surname = ExtractSurname(settings, name);
  if (surname != previous_surname) {
    text += "<A NAME=\"";
    text += HtmlAttribute(surname);
    text += "\"></a>\n";
    previous_surname = std::move(surname);
  }
  text += "<A HREF=\"";
  text += LandingPageLink(settings, number, record.spouseFamilies[0], record.parentFamilies[0],
                          "fam", "ind", is_individual_page);
  text += "\">";
  text += HtmlText(IndexName(settings, name));
  text += "</A>";
  if (!record.birthDate.empty() || !record.deathDate.empty()) {
    text += " (";
    text += HtmlText(record.birthDate);
    text += '-';
    text += HtmlText(record.deathDate);
    text += ")<BR>\n";
  } else {
    text += "<BR>\n";
  }
}

namespace {

// A names page around its entries, which body writes.
template <typename Body>
int WriteNamesPage(Run& run, int page_number, const Body& body) {
  const Settings& settings = run.settings;
  run.log.LogLine(">BuildNamesPages");
  const std::string file_name = "names" + std::to_string(page_number) + "." + settings.extension;
  constexpr PageOutcome kNamesPage{"Unable to create new NAMES file.", true, false,
                                   "<BuildNamesPages"};
  PageFile page(run);
  if (!page.Create(PagePath(settings, "", file_name), kNamesPage)) return kResultCannotWrite;
  page.Write("<HTML>\n");
  page.Write("<HEAD>\n");
  page.Write("<TITLE>Names Index Page</TITLE>\n");
  WriteBodyStart(run, page);
  page.Write("<CENTER><H1>" + run.Text(Label::kAllNames) + "</H1></CENTER>");
  page.Write("<HR NOSHADE SIZE=2>\n");
  body(page);
  page.Write("<HR NOSHADE SIZE=2>");
  WritePageFoot(run, page, 'Y', "");
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

}  // namespace

int BuildNamesPages(Run& run, int page_number, std::int32_t first_slot, std::int32_t last_slot) {
  return WriteNamesPage(run, page_number, [&](PageFile& page) {
    // Slots outside the file hold no one.
    first_slot = std::max<std::int32_t>(first_slot, 1);
    last_slot = std::min(last_slot, run.store.counters.IndividualCount);
    std::string previous_surname;
    IndividualRecord record;
    std::string entry;
    for (std::int32_t slot = first_slot; slot <= last_slot; ++slot) {
      const std::int32_t number = run.store.IndividualNumberAt(slot);
      if (number == 0) continue;
      run.store.GetIndividual(number, record);
      entry.clear();
      bool is_individual_page = false;
      AppendNamesEntry(run.settings, number, record, previous_surname, entry, &is_individual_page);
      // The individual page is written here, just before the first link to
      // it; a page that cannot be created is logged there and the link
      // stays.
      if (is_individual_page) BuildIndividualPage(run, number);
      page.Write(entry);
    }
  });
}

int BuildNamesPages(Run& run, int page_number, const NamesIndexAhead::NamesPage& ahead,
                    const std::shared_ptr<const BlockFile>& entries) {
  return WriteNamesPage(run, page_number, [&](PageFile& page) {
    for (const std::int32_t number : ahead.individual_pages) BuildIndividualPage(run, number);
    page.WriteFrom(entries, ahead.offset, ahead.size);
  });
}

}  // namespace kinloom
