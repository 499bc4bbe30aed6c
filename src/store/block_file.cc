#include "store/block_file.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kinloom {

namespace {

constexpr auto kBlock = static_cast<long long>(BlockFile::kBlockSize);

// pread and pwrite may transfer less than asked; these go on until all is
// done, the file ends, or an error other than an interruption occurs.
std::size_t ReadFully(int fd, unsigned char* dst, std::size_t n, long long offset) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t got =
        ::pread(fd, dst + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

bool WriteFully(int fd, const unsigned char* src, std::size_t n, long long offset) {
  std::size_t done = 0;
  while (done < n) {
    const ssize_t put =
        ::pwrite(fd, src + done, n - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

BlockFile::~BlockFile() { Close(); }

bool BlockFile::Create(const char* path, std::size_t blocks) {
  Close();
  blocks_.resize(std::max<std::size_t>(blocks, 1));
  last_ = nullptr;
  fd_ = ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  size_ = 0;
  disk_size_ = 0;
  failed_ = false;
  return fd_ >= 0;
}

bool BlockFile::CreateUnnamed(const char* directory) {
  Close();
  fd_ = ::open(directory, O_RDWR | O_TMPFILE | O_CLOEXEC, 0600);
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
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  Forget();
  size_ = 0;
  disk_size_ = 0;
}

void BlockFile::WriteBack(Block& block) {
  if (!block.dirty) return;
  block.dirty = false;
  const long long start = block.index * kBlock;
  const long long end = std::min(start + kBlock, size_);
  if (end <= start) return;
  if (!WriteFully(fd_, block.bytes.get(), static_cast<std::size_t>(end - start), start)) {
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
  WriteBack(*victim);
  if (!victim->bytes) victim->bytes = std::make_unique<unsigned char[]>(kBlockSize);
  const long long start = index * kBlock;
  std::size_t got = 0;
  if (start < disk_size_) {
    got = ReadFully(fd_, victim->bytes.get(),
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
  const auto length = static_cast<long long>(n);
  if (fd_ < 0 || offset < 0 || offset > size_ - length) {
    std::memset(dst, 0, n);
    return false;
  }
  const std::size_t got = offset < disk_size_ ? ReadFully(fd_, dst, n, offset) : 0;
  std::memset(dst + got, 0, n - got);
  return true;
}

void BlockFile::WriteDirect(long long offset, const unsigned char* src, std::size_t n) {
  if (fd_ < 0 || offset < 0) return;
  if (!WriteFully(fd_, src, n, offset)) failed_ = true;
  const long long end = offset + static_cast<long long>(n);
  size_ = std::max(size_, end);
  disk_size_ = std::max(disk_size_, end);
}

void BlockFile::SwapFiles(BlockFile& other) {
  std::swap(fd_, other.fd_);
  std::swap(size_, other.size_);
  std::swap(disk_size_, other.disk_size_);
  std::swap(failed_, other.failed_);
}

}  // namespace kinloom
