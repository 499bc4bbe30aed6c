// The walk of the surnames page through the sorted slots, shared by the
// surnames phase and the texts the names sort works out ahead.
#ifndef KINLOOM_PAGES_SURNAMES_WALK_H_
#define KINLOOM_PAGES_SURNAMES_WALK_H_

#include <cstdint>
#include <string>

#include "pages/html_text.h"
#include "run/settings.h"

namespace kinloom {

// Where the surnames page sends each surname: the names pages. A names page
// is closed at a change of surname once it holds more than kPageLimit
// individuals, so one surname never spans two pages.
class SurnamesWalk {
 public:
  static constexpr int kPageLimit = 1000;

  explicit SurnamesWalk(const Settings& settings) : settings_(settings), link_file_(NamesFile(1)) {}

  // The individual at the next slot holding one, with surname: appends the
  // surnames page's lines for it to text. When a names page ends before
  // it, close(page_number, first_slot, last_slot) is called first.
  template <typename Close>
  void Add(std::int32_t slot, const std::string& surname, std::string& text, const Close& close) {
    if (surname.substr(0, 1) != previous_surname_.substr(0, 1)) text += "<br>\n";
    if (surname != previous_surname_) {
      previous_surname_ = surname;
      if (on_page_ > kPageLimit) {
        close(page_number_, first_, last_);
        first_ = slot;
        ++page_number_;
        on_page_ = 0;
        link_file_ = NamesFile(page_number_);
      }
      text += "<A HREF=\"" + PlainAscii(link_file_) + "#" + HtmlAttribute(surname) + "\">" +
              HtmlText(surname) + "</a>&nbsp;&nbsp;\n";
    }
    last_ = slot;
    ++on_page_;
  }

  // Closes the last names page, if any.
  template <typename Close>
  void Finish(const Close& close) {
    if (on_page_ > 0) close(page_number_, first_, last_);
  }

 private:
  std::string NamesFile(int page_number) const {
    return "names" + std::to_string(page_number) + "." + settings_.extension;
  }

  const Settings& settings_;
  int page_number_ = 1;
  std::int32_t first_ = 1;
  std::int32_t last_ = 0;
  int on_page_ = 0;
  std::string previous_surname_;
  std::string link_file_;
};
}  // namespace kinloom

#endif  // KINLOOM_PAGES_SURNAMES_WALK_H_
