// Photo pages: one page per multimedia link, with the picture, its title
// and a line naming the individual it belongs to.
#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"
#include "pages/pictures.h"

namespace kinloom {

namespace {

int WritePhotoPage(Run& run, std::int32_t photo, const PagePicture& picture) {
  const Settings& s = run.settings;
  const WorkFiles& store = run.store;
  constexpr PageOutcome kPhotoPage{"Unable to create new PHO file.", false, true, {}};
  PageFile page(run);
  // The picture's name depends on the other photos too: the page is
  // always made (and written only when it changed).
  if (!page.Create(PagePath(s, "pho", PageFileName(s, "pho", photo)), kPhotoPage)) {
    return kResultCannotWrite;
  }
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
  switch (picture.show) {
    case PictureShow::kImage:
      page.Write("<CENTER><img src=\"" + PictureSource(picture.name) + "\"><br>");
      break;
    case PictureShow::kLink:
      page.Write("<CENTER><A HREF=\"" + PictureSource(picture.name) + "\">" +
                 HtmlText(picture.name) + "</A><br>");
      break;
    case PictureShow::kWebAddress:
      page.Write("<CENTER>" + WebAddressLink(picture.name) + "<br>");
      break;
  }
  page.Write("<B>" + HtmlText(title) + "</B></CENTER>\n");
  page.Write("<HR NOSHADE SIZE=1>");
  WritePageFoot(run, page, 'Y', "../");
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

}  // namespace

int BuildPhotoPages(Run& run) {
  run.log.LogLine(">BuildPhotoPages");
  PicturePlan pictures;
  pictures.Prepare(run);
  for (std::int32_t photo = 1; photo <= run.store.counters.PhotoCount; ++photo) {
    // A photo whose file name is unknown has nothing to show: no page, and
    // the family group pages do not link to it.
    if (run.store.PhotoFile(photo).empty()) continue;
    if (WritePhotoPage(run, photo, pictures.Of(photo)) != kResultOk) return kResultCannotWrite;
  }
  pictures.Finish(run);
  run.log.LogLine("<BuildPhotoPages");
  return kResultOk;
}

}  // namespace kinloom
