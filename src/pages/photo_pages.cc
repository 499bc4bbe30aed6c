// Photo pages: one page per multimedia link, with the picture, its title
// and a line naming the individual it belongs to.
#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"

namespace kinloom {

namespace {

int WritePhotoPage(Run& run, std::int32_t photo) {
  const Settings& s = run.settings;
  const WorkFiles& store = run.store;
  constexpr PageOutcome kPhotoPage{"Unable to create new PHO file.", false, true, {}};
  PageFile page(run);
  if (!page.CreateOrKeep(PagePath(s, "pho", PageFileName(s, "pho", photo)), kPhotoPage)) {
    return kResultCannotWrite;
  }
  if (page.kept()) return kResultOk;
  const std::string file = store.PhotoFile(photo);
  const std::string title = store.PhotoTitle(photo);
  const std::int32_t owner = store.PhotoOwner(photo);
  WritePageStart(run, page, title);
  page.Write("<HR NOSHADE SIZE=3>");
  // The owner's page may not exist yet; it is written by the notes or
  // names phase, which links to it too.
  const std::string owner_link = "<A HREF=\"" + LandingPageLink(run, owner, "../fam", "../ind") +
                                 "\">" + HtmlText(FormatName(s, store.IndividualName(owner))) +
                                 "</A>";
  page.Write("<CENTER><B>" + run.Text(Label::kPhotoFor) + " " + owner_link + "</B></CENTER>\n");
  page.Write("<HR NOSHADE SIZE=3>\n");
  page.Write("<CENTER><img src=\"" + PictureSource(file) + "\"><br>");
  page.Write("<B>" + HtmlText(title) + "</B></CENTER>\n");
  page.Write("<HR NOSHADE SIZE=1>");
  WritePageFoot(run, page, 'Y', "../");
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

}  // namespace

int BuildPhotoPages(Run& run) {
  run.log.LogLine(">BuildPhotoPages");
  for (std::int32_t photo = 1; photo <= run.store.counters.PhotoCount; ++photo) {
    // A photo whose file name is unknown has nothing to show: no page, and
    // the family group pages do not link to it.
    if (run.store.PhotoFile(photo).empty()) continue;
    if (WritePhotoPage(run, photo) != kResultOk) return kResultCannotWrite;
  }
  run.log.LogLine("<BuildPhotoPages");
  return kResultOk;
}

}  // namespace kinloom
