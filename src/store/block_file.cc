#include "store/block_file.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace kinloom {

namespace {

constexpr auto kBlock = static_cast<long long>(BlockFile::kBlockSize);

}  // namespace

WriteBehind::WriteBehind() : thread_([this] { ThreadMain(); }) {}

WriteBehind::~WriteBehind() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  work_ready_.notify_all();
  thread_.join();
}

void WriteBehind::Submit(Request request) {
  request.file->pending_writes_.fetch_add(1, std::memory_order_relaxed);
  bool wake = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    work_done_.wait(lock, [this] { return pending_bytes_ < kPendingBytes; });
    pending_bytes_ += request.size;
    queue_.push_back(std::move(request));
    // The thread is woken for a few blocks at a time rather than for each
    // (or by a file that waits for its writes).
    wake = queue_.size() >= kWakeBlocks;
  }
  if (wake) work_ready_.notify_one();
}

std::unique_ptr<unsigned char[]> WriteBehind::Buffer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!free_.empty()) {
      std::unique_ptr<unsigned char[]> buffer = std::move(free_.back());
      free_.pop_back();
      return buffer;
    }
  }
  return std::make_unique<unsigned char[]>(BlockFile::kBlockSize);
}

void WriteBehind::WaitFor(const BlockFile* file) {
  if (file->pending_writes_.load(std::memory_order_acquire) == 0) return;
  work_ready_.notify_one();
  std::unique_lock<std::mutex> lock(mutex_);
  work_done_.wait(lock,
                  [file] { return file->pending_writes_.load(std::memory_order_acquire) == 0; });
}

void WriteBehind::ThreadMain() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return quit_ || !queue_.empty(); });
    if (queue_.empty()) return;
    Request request = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    const bool written =
        platform::WriteAt(request.fd, request.bytes.get(), request.size, request.offset);
    lock.lock();
    if (!written) request.file->lost_write_.store(true, std::memory_order_release);
    request.file->pending_writes_.fetch_sub(1, std::memory_order_release);
    pending_bytes_ -= request.size;
    free_.push_back(std::move(request.bytes));
    work_done_.notify_all();
  }
}

BlockFile::~BlockFile() { Close(); }

void BlockFile::UseWriteBehind(WriteBehind* writer) {
  WaitForWrites();
  write_behind_ = writer;
}

void BlockFile::WaitForWrites() const {
  if (write_behind_ != nullptr) write_behind_->WaitFor(this);
}

bool BlockFile::Create(const char* path, std::size_t blocks) {
  Close();
  lost_write_.store(false, std::memory_order_relaxed);
  blocks_.resize(std::max<std::size_t>(blocks, 1));
  last_ = nullptr;
  fd_ = platform::OpenFile(path, platform::OpenMode::kReadWriteNoLink);
  size_ = 0;
  disk_size_ = 0;
  failed_ = false;
  return fd_ >= 0;
}

bool BlockFile::CreateUnnamed(const char* directory) {
  Close();
  lost_write_.store(false, std::memory_order_relaxed);
  fd_ = platform::OpenUnnamedFile(directory);
  size_ = 0;
  disk_size_ = 0;
  failed_ = false;
  return fd_ >= 0;
}

void BlockFile::Close() {
  if (fd_ < 0) return;
  Flush();
  Discard();
}

void BlockFile::Discard() {
  WaitForWrites();
  if (fd_ >= 0) (void)platform::CloseFile(fd_);
  fd_ = -1;
  Forget();
  size_ = 0;
  disk_size_ = 0;
}

void BlockFile::WriteBack(Block& block, bool hand_over) {
  if (!block.dirty) return;
  block.dirty = false;
  const long long start = block.index * kBlock;
  const long long end = std::min(start + kBlock, size_);
  if (end <= start) return;
  if (hand_over && write_behind_ != nullptr) {
    write_behind_->Submit(WriteBehind::Request{
        this, fd_, start, static_cast<std::size_t>(end - start), std::move(block.bytes)});
    block.bytes = write_behind_->Buffer();
  } else if (!platform::WriteAt(fd_, block.bytes.get(), static_cast<std::size_t>(end - start),
                                start)) {
    failed_ = true;
  }
  disk_size_ = std::max(disk_size_, end);
}

BlockFile::Block& BlockFile::Fetch(long long index) {
  if (last_ != nullptr && last_->index == index) {
    last_->used = ++clock_;
    return *last_;
  }
  Block* victim = &blocks_[0];
  for (Block& block : blocks_) {
    if (block.index == index) {
      block.used = ++clock_;
      last_ = &block;
      return block;
    }
    if (block.used < victim->used) victim = &block;
  }
  WriteBack(*victim, true);
  if (!victim->bytes) victim->bytes = std::make_unique<unsigned char[]>(kBlockSize);
  const long long start = index * kBlock;
  std::size_t got = 0;
  if (start < disk_size_) {
    WaitForWrites();  // the block may be on its way to the file
    got = platform::ReadAt(fd_, victim->bytes.get(),
                           static_cast<std::size_t>(std::min(kBlock, disk_size_ - start)), start);
  }
  std::memset(victim->bytes.get() + got, 0, kBlockSize - got);
  victim->index = index;
  victim->dirty = false;
  victim->used = ++clock_;
  last_ = victim;
  return *victim;
}

bool BlockFile::Read(long long offset, unsigned char* dst, std::size_t n) {
  const auto length = static_cast<long long>(n);
  if (fd_ < 0 || offset < 0 || offset > size_ - length) {
    std::memset(dst, 0, n);
    return false;
  }
  while (n > 0) {
    const Block& block = Fetch(offset / kBlock);
    const auto within = static_cast<std::size_t>(offset % kBlock);
    const std::size_t piece = std::min(n, kBlockSize - within);
    std::memcpy(dst, block.bytes.get() + within, piece);
    dst += piece;
    offset += static_cast<long long>(piece);
    n -= piece;
  }
  return true;
}

void BlockFile::Write(long long offset, const unsigned char* src, std::size_t n) {
  if (fd_ < 0 || offset < 0) return;
  size_ = std::max(size_, offset + static_cast<long long>(n));
  while (n > 0) {
    Block& block = Fetch(offset / kBlock);
    const auto within = static_cast<std::size_t>(offset % kBlock);
    const std::size_t piece = std::min(n, kBlockSize - within);
    std::memcpy(block.bytes.get() + within, src, piece);
    block.dirty = true;
    src += piece;
    offset += static_cast<long long>(piece);
    n -= piece;
  }
}

unsigned char* BlockFile::WritableSpan(long long offset, std::size_t n) {
  if (fd_ < 0 || offset < 0) return nullptr;
  const auto within = static_cast<std::size_t>(offset % kBlock);
  if (n > kBlockSize - within) return nullptr;
  Block& block = Fetch(offset / kBlock);
  size_ = std::max(size_, offset + static_cast<long long>(n));
  block.dirty = true;
  return block.bytes.get() + within;
}

void BlockFile::Flush() {
  if (fd_ < 0) return;
  // The blocks stay held, so they are written here, after the writes
  // handed over before.
  WaitForWrites();
  // In file order, so that the file grows front to back.
  std::vector<Block*> dirty(blocks_.size());
  std::size_t count = 0;
  for (Block& block : blocks_) {
    if (block.dirty) dirty[count++] = &block;
  }
  std::sort(dirty.begin(), dirty.begin() + static_cast<std::ptrdiff_t>(count),
            [](const Block* a, const Block* b) { return a->index < b->index; });
  for (std::size_t i = 0; i < count; ++i) WriteBack(*dirty[i]);
}

void BlockFile::Forget() {
  for (Block& block : blocks_) {
    block.index = -1;
    block.dirty = false;
    block.used = 0;
  }
  last_ = nullptr;
}

bool BlockFile::ReadDirect(long long offset, unsigned char* dst, std::size_t n) const {
  WaitForWrites();
  const auto length = static_cast<long long>(n);
  if (fd_ < 0 || offset < 0 || offset > size_ - length) {
    std::memset(dst, 0, n);
    return false;
  }
  const std::size_t got = offset < disk_size_ ? platform::ReadAt(fd_, dst, n, offset) : 0;
  std::memset(dst + got, 0, n - got);
  return true;
}

void BlockFile::WriteDirect(long long offset, const unsigned char* src, std::size_t n) {
  if (fd_ < 0 || offset < 0) return;
  WaitForWrites();
  if (!platform::WriteAt(fd_, src, n, offset)) failed_ = true;
  const long long end = offset + static_cast<long long>(n);
  size_ = std::max(size_, end);
  disk_size_ = std::max(disk_size_, end);
}

void BlockFile::SwapFiles(BlockFile& other) {
  WaitForWrites();
  other.WaitForWrites();
  std::swap(fd_, other.fd_);
  std::swap(size_, other.size_);
  std::swap(disk_size_, other.disk_size_);
  std::swap(failed_, other.failed_);
  const bool lost = lost_write_.load(std::memory_order_relaxed);
  lost_write_.store(other.lost_write_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  other.lost_write_.store(lost, std::memory_order_relaxed);
}

}  // namespace kinloom
