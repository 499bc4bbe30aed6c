// What the page writers use of publishing: the writer every page file goes
// through (SiteWriter), the record of what each page is made from, which
// tells the pages that can be kept (PageInputs), and the hash that tells
// versions of a page apart (ContentHash), and the form in which the records
// name a file (RecordPath). The records on disk and the
// comparison with the previous run stay behind these.
#ifndef KINLOOM_PUBLISH_PUBLISH_H_
#define KINLOOM_PUBLISH_PUBLISH_H_

#include "publish/content_hash.h"
#include "publish/page_inputs.h"
#include "publish/record_file.h"
#include "publish/site_writer.h"

#endif  // KINLOOM_PUBLISH_PUBLISH_H_
