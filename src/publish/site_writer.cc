#include "publish/site_writer.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "platform/platform.h"
#include "publish/changed_pages.h"
#include "publish/log_sink.h"

namespace kinloom {

namespace {

// Requests are handed to the background thread in batches of about this
// size, so that it wakes up once for many small pages.
constexpr std::size_t kBatchBytes = 128 * 1024;
constexpr std::size_t kBatchOps = 1024;

}  // namespace

SiteWriter::~SiteWriter() {
  StopBackground();
  CloseLeftovers();
}

void SiteWriter::StartBackground() {
  if (background_) return;
  background_ = true;
  quit_ = false;
  try {
    thread_ = std::thread([this] { ThreadMain(); });
  } catch (const std::system_error&) {
    background_ = false;  // the run goes on in its own thread
    return;
  }
  log_.DivertTo(this);
}

void SiteWriter::StopBackground() {
  if (!background_) return;
  Drain();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  work_ready_.notify_one();
  thread_.join();
  log_.DivertTo(nullptr);
  background_ = false;
  stopped_.store(false, std::memory_order_release);
  skipping_ = 0;
  CloseLeftovers();
}

int SiteWriter::Open(const std::string& path, const PageOutcome& outcome) {
  if (stopped()) return 0;
  const int page = next_page_++;
  if (next_page_ <= 0) next_page_ = 1;  // handles only need to differ among open pages
  Op op{.kind = OpKind::kOpen, .page = page, .text = path, .outcome = outcome};
  if (background_) {
    Submit(std::move(op));
    return page;
  }
  return Execute(op) ? page : 0;
}

void SiteWriter::Write(int page, std::string bytes, std::size_t mask_offset,
                       std::size_t mask_size) {
  if (page == 0 || bytes.empty()) return;
  Op op{.kind = OpKind::kWrite,
        .page = page,
        .text = std::move(bytes),
        .mask_offset = mask_offset,
        .mask_size = mask_size};
  if (background_) {
    Submit(std::move(op));
  } else {
    Execute(op);
  }
}

void SiteWriter::WriteFrom(int page, int source, long long offset, long long size,
                           std::shared_ptr<const void> owner) {
  if (page == 0 || size <= 0 || offset < 0) return;
  Op op{.kind = OpKind::kCopy,
        .page = page,
        .source = source,
        .source_offset = offset,
        .source_size = size,
        .source_owner = std::move(owner)};
  if (background_) {
    Submit(std::move(op));
  } else {
    Execute(op);
  }
}

bool SiteWriter::Close(int page, std::string inputs) {
  if (page == 0) return false;
  Op op{.kind = OpKind::kClose, .page = page};
  op.kept.inputs = std::move(inputs);
  if (background_) {
    Submit(std::move(op));
    return !stopped();
  }
  return Execute(op);
}

void SiteWriter::Keep(KeptPage page, const PageOutcome& outcome) {
  if (stopped()) return;
  Op op{.kind = OpKind::kKeep, .page = 0, .outcome = outcome};
  op.kept = std::move(page);
  if (background_) {
    Submit(std::move(op));
  } else {
    Execute(op);
  }
}

void SiteWriter::Log(std::string_view line) {
  if (background_) {
    Submit(Op{.kind = OpKind::kLog, .page = 0, .text = std::string(line)});
  } else {
    log_.AppendNow(line);
  }
}

void SiteWriter::Drain() {
  if (!background_) return;
  HandOver();
  std::unique_lock<std::mutex> lock(mutex_);
  work_done_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

void SiteWriter::Resume() {
  Drain();
  stopped_.store(false, std::memory_order_release);
  skipping_ = 0;
  CloseLeftovers();
}

void SiteWriter::UseChangedPages(ChangedPages* pages) {
  Drain();
  CloseLeftovers();
  changed_ = pages;
}

void SiteWriter::ResetCounters() {
  Drain();
  pages_written_.store(0, std::memory_order_relaxed);
  pages_failed_.store(0, std::memory_order_relaxed);
  pages_kept_.store(0, std::memory_order_relaxed);
  first_failure_.reset();
}

void SiteWriter::MarkFailed(OpenPage& page) {
  if (!page.failed) page.error = platform::LastError();
  page.failed = true;
}

bool SiteWriter::Execute(Op& op) {
  if (stopped()) return false;
  if (skipping_ != 0) {
    // The run built this page although it could not be created; what it
    // asked for meanwhile would never have happened.
    if (op.kind == OpKind::kClose && op.page == skipping_) skipping_ = 0;
    return false;
  }
  switch (op.kind) {
    case OpKind::kOpen: {
      platform::File file;
      int changed_page = 0;
      if (changed_ != nullptr) {
        changed_page = changed_->Open(op.text);
      } else {
        file = platform::File(platform::OpenFile(op.text, platform::OpenMode::kWriteText));
      }
      if (changed_ != nullptr ? changed_page == 0 : !file.is_open()) {
        Fail(op.outcome, op.text, platform::LastError());
        if (background_ && !stopped()) skipping_ = op.page;
        return false;
      }
      open_.push_back(OpenPage{
          op.page, std::move(file), changed_page, false, op.outcome, std::move(op.text), {}});
      return true;
    }
    case OpKind::kWrite: {
      OpenPage* page = Find(op.page);
      if (page != nullptr && changed_ != nullptr) {
        changed_->Append(page->changed_page, op.text, op.mask_offset, op.mask_size);
      } else if (page != nullptr &&
                 !platform::WriteAll(page->file.get(), op.text.data(), op.text.size())) {
        MarkFailed(*page);
      }
      return page != nullptr;
    }
    case OpKind::kCopy: {
      OpenPage* page = Find(op.page);
      if (page != nullptr && changed_ != nullptr) {
        changed_->AppendFrom(page->changed_page, op.source, op.source_offset, op.source_size);
      } else if (page != nullptr && !platform::CopyRange(page->file.get(), op.source,
                                                         op.source_offset, op.source_size)) {
        MarkFailed(*page);
      }
      return page != nullptr;
    }
    case OpKind::kClose: {
      OpenPage* page = Find(op.page);
      if (page == nullptr) return false;
      bool ok = !page->failed;
      const bool closed = changed_ != nullptr ? changed_->Close(page->changed_page, op.kept.inputs)
                                              : page->file.Close();
      if (!closed && ok) {
        ok = false;
        MarkFailed(*page);
      }
      const PageOutcome outcome = page->outcome;
      const std::string path = std::move(page->path);
      const std::error_code error = page->error;
      open_.erase(open_.begin() + (page - open_.data()));
      if (!ok) {
        Fail(outcome, path, error);
        return false;
      }
      pages_written_.fetch_add(1, std::memory_order_relaxed);
      if (!outcome.success_line.empty()) log_.AppendNow(outcome.success_line);
      return true;
    }
    case OpKind::kKeep:
      if (changed_ != nullptr) {
        changed_->Keep(RecordFields{op.kept.hash, op.kept.size, op.kept.modified_ns, op.kept.flag,
                                    op.kept.path, op.kept.inputs},
                       op.kept.position);
      }
      pages_written_.fetch_add(1, std::memory_order_relaxed);
      pages_kept_.fetch_add(1, std::memory_order_relaxed);
      if (!op.outcome.success_line.empty()) log_.AppendNow(op.outcome.success_line);
      return true;
    case OpKind::kLog:
      log_.AppendNow(op.text);
      return true;
  }
  return false;
}

void SiteWriter::Fail(const PageOutcome& outcome, std::string_view path, std::error_code error) {
  if (!first_failure_) first_failure_ = platform::FileFault{std::string(path), error};
  if (!outcome.failure_line.empty()) log_.AppendNow(outcome.failure_line);
  if (outcome.counted) pages_failed_.fetch_add(1, std::memory_order_relaxed);
  if (outcome.ends_run && background_) stopped_.store(true, std::memory_order_release);
}

SiteWriter::OpenPage* SiteWriter::Find(int page) {
  // Pages nest at most a few deep: the newest is almost always the one.
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    if (it->page == page) return &*it;
  }
  return nullptr;
}

void SiteWriter::CloseLeftovers() {
  if (changed_ != nullptr) {
    for (const OpenPage& page : open_) changed_->Abandon(page.changed_page);
  }
  open_.clear();  // the files written in place close as they go
}

void SiteWriter::Submit(Op op) {
  batch_.bytes += op.text.size() + sizeof(Op);
  batch_.ops.push_back(std::move(op));
  if (batch_.bytes >= kBatchBytes || batch_.ops.size() >= kBatchOps) HandOver();
}

void SiteWriter::HandOver() {
  if (batch_.ops.empty()) return;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    work_done_.wait(lock, [this] { return queued_bytes_ <= kQueueLimit; });
    queued_bytes_ += batch_.bytes;
    queue_.push_back(std::move(batch_));
  }
  work_ready_.notify_one();
  batch_ = Batch{};
  batch_.ops.reserve(64);
}

void SiteWriter::ThreadMain() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return !queue_.empty() || quit_; });
    if (queue_.empty()) return;  // quit, with nothing left to do
    Batch batch = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    for (Op& op : batch.ops) Execute(op);
    batch.ops.clear();
    lock.lock();
    queued_bytes_ -= batch.bytes;
    busy_ = false;
    work_done_.notify_all();
  }
}

}  // namespace kinloom
