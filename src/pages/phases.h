// The page phases of a run. Each returns a RunResult (0 or a code of run.h).
#ifndef KINLOOM_PAGES_PHASES_H_
#define KINLOOM_PAGES_PHASES_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pages/names_sort.h"
#include "run/run.h"

namespace kinloom {

// living.cc
// Settles who is presumed living and blanks in the work files what the
// pages must not show of them; run once, before the first page.
int HideLivingIndividuals(Run& run);
// family_pages.cc
int BuildFamilyGroupRecords(Run& run);
// individual_page.cc
int BuildIndividualPage(Run& run, std::int32_t number);
// The LandingPage of an individual: its link from a page in directory
// fam_dir / ind_dir ("../fam" and "../ind", or "fam" and "ind").
// Sets *is_individual_page when the target is the individual's own page.
std::string LandingPageLink(Run& run, std::int32_t number, std::string_view fam_dir,
                            std::string_view ind_dir, bool* is_individual_page = nullptr);
// The same from the first entries of the individual's spouse and parent
// family lists.
std::string LandingPageLink(const Settings& settings, std::int32_t number,
                            std::int32_t spouse_family, std::int32_t parent_family,
                            std::string_view fam_dir, std::string_view ind_dir,
                            bool* is_individual_page = nullptr);
// notes_pages.cc
int BuildIndividualNotes(Run& run);
int BuildFamilyNotes(Run& run);
// photo_pages.cc
int BuildPhotoPages(Run& run);
// pedigree.cc
int BuildPedigreeCharts(Run& run);
int PedigreeChart(Run& run, std::int32_t number);
// names_pages.cc
int BuildNamesPages(Run& run, int page_number, std::int32_t first_slot, std::int32_t last_slot);
// The same page from its entries worked out ahead: the individual pages
// come first, then the entries are copied from their file.
int BuildNamesPages(Run& run, int page_number, const NamesIndexAhead::NamesPage& ahead,
                    const std::shared_ptr<const BlockFile>& entries);
// Appends the entry of a names page for number, whose record (as the
// store's getters give it) is record: an anchor first when its surname
// differs from previous_surname, which it then becomes; nothing for an
// individual without a name. *is_individual_page as LandingPageLink sets it.
void AppendNamesEntry(const Settings& settings, std::int32_t number, const IndividualRecord& record,
                      std::string& previous_surname, std::string& text, bool* is_individual_page);
std::string IndexName(const Settings& settings, std::string_view name);
// surnames.cc (the names sort: names_sort.h)
int BuildSurnamesPages(Run& run);
// gendex.cc
int BuildGendexFile(Run& run);
// Appends the line of gendex.txt for number, whose record (as the store's
// getters give it) is record.
void AppendGendexLine(const Settings& settings, std::int32_t number, const IndividualRecord& record,
                      std::string& line);

}  // namespace kinloom

#endif  // KINLOOM_PAGES_PHASES_H_
