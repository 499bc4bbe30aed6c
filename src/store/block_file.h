// One work file, read and written in blocks through a small write-back
// cache.
//
// The store reads and writes small records at computed offsets and jumps
// between a few regions of a file: the records of a family and of its
// people, which the GEDCOM file mostly keeps near each other, and the
// index entries that lead to them. Each file therefore holds a few blocks
// (kBlocks unless the file is created with another count) of kBlockSize
// bytes of itself in memory; a read or write that
// finds its block held costs no system call, and a block that is not held
// is read with one pread, after the least recently used block was written
// back with one pwrite if it had changed. Memory stays at that count of
// blocks per file whatever the size of the file.
//
// The size of the file is the end of the furthest byte written; bytes
// below it that were never written read as zeros, as they do from the
// file itself. A block that lies wholly beyond what the file holds on
// disk is not read at all, so appending costs only the writes.
//
// A failed read gives zeros. A failed write (a full disk) is lost, but
// remembered: failed() tells that the file no longer holds what was
// written to it.
#ifndef KINLOOM_STORE_BLOCK_FILE_H_
#define KINLOOM_STORE_BLOCK_FILE_H_

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kinloom {

class BlockFile;

// A thread that writes the changed blocks that BlockFiles let go of when
// they need room, so that the thread filling the files (the GEDCOM reader)
// goes on meanwhile. At most kPendingBytes wait at a time. A file that
// needs a block back from disk, or its whole file, first waits for its own
// writes; a failed write counts as the file's own (BlockFile::failed()).
class WriteBehind {
 public:
  static constexpr std::size_t kPendingBytes = 1024 * 1024;
  static constexpr std::size_t kWakeBlocks = 16;

  WriteBehind();
  ~WriteBehind();  // the files using it must have let go of it
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

 private:
  friend class BlockFile;
  struct Request {
    BlockFile* file;
    int fd;
    long long offset;
    std::size_t size;
    std::unique_ptr<unsigned char[]> bytes;
  };

  // Takes over the request's bytes; waits while too much is pending.
  void Submit(Request request);
  // A block buffer: one written out before, or a new one.
  std::unique_ptr<unsigned char[]> Buffer();
  // Until none of file's writes is pending.
  void WaitFor(const BlockFile* file);
  void ThreadMain();

  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable work_done_;
  std::deque<Request> queue_;                           // guarded by mutex_
  std::vector<std::unique_ptr<unsigned char[]>> free_;  // guarded by mutex_
  std::size_t pending_bytes_ = 0;                       // guarded by mutex_
  bool quit_ = false;                                   // guarded by mutex_
  std::thread thread_;
};

class BlockFile {
 public:
  friend class WriteBehind;
  static constexpr std::size_t kBlockSize = 16 * 1024;
  static constexpr std::size_t kBlocks = 16;

  BlockFile() = default;
  ~BlockFile();  // as Close()
  BlockFile(const BlockFile&) = delete;
  BlockFile& operator=(const BlockFile&) = delete;

  // Creates the file, or truncates it to empty, to be cached in blocks
  // blocks (at least 1); false when it cannot be opened for reading and
  // writing. A file already open is closed first.
  bool Create(const char* path, std::size_t blocks = kBlocks);
  // Creates a file without a name in directory, which disappears when it
  // is closed, also when the process ends without closing it; false when
  // the file system cannot make one.
  bool CreateUnnamed(const char* directory);
  // Writes the changed blocks, then closes the file.
  void Close();
  // Closes the file without writing the changed blocks: for a file that is
  // deleted next.
  void Discard();
  bool is_open() const { return fd_ >= 0; }
  // The open file's descriptor (-1 when none), for calls on the file as a
  // whole, such as giving it a name.
  int descriptor() const { return fd_; }

  long long size() const { return size_; }
  // True when a write to the file failed since it was created.
  bool failed() const { return failed_ || lost_write_.load(std::memory_order_acquire); }

  // Copies the n bytes at offset to dst. When they do not lie wholly
  // within the file (or offset is negative) dst is filled with zeros and
  // the result is false.
  bool Read(long long offset, unsigned char* dst, std::size_t n);
  // Writes n bytes at offset (not negative); the file grows as needed.
  void Write(long long offset, const unsigned char* src, std::size_t n);
  // The n bytes at offset (not negative) as a place in a held block to
  // write them in, when they lie within one block; nullptr when they do not
  // (then Write them). The file grows and the block counts as changed as
  // with Write, so the caller must fill all n bytes before the next call
  // on this file.
  unsigned char* WritableSpan(long long offset, std::size_t n);
  // Writes every changed block to the file.
  void Flush();

  // Reads and writes around the cache, for callers that move many records
  // across the whole file once (the names sort). Flush() and Forget()
  // first, so that no held block disagrees with the file.
  bool ReadDirect(long long offset, unsigned char* dst, std::size_t n) const;
  void WriteDirect(long long offset, const unsigned char* src, std::size_t n);
  // Drops every held block; changed blocks must have been flushed.
  void Forget();
  // Exchanges the files of the two objects, each keeping its own count of
  // blocks. Neither may hold a block (Flush() and Forget() first).
  void SwapFiles(BlockFile& other);
  // Lets writer write the blocks given up for room from now on (nullptr:
  // the file writes them itself again, once the pending ones are done).
  void UseWriteBehind(WriteBehind* writer);

 private:
  struct Block {
    long long index = -1;  // block number in the file; -1 when free
    bool dirty = false;
    unsigned long long used = 0;  // when it was last used, for eviction
    std::unique_ptr<unsigned char[]> bytes;
  };

  Block& Fetch(long long index);
  // Writes a changed block; with hand_over, a block given up for room, a
  // write-behind thread may write it while the block takes a new buffer.
  void WriteBack(Block& block, bool hand_over = false);
  // Until the write-behind thread has written everything of this file.
  void WaitForWrites() const;

  int fd_ = -1;
  long long size_ = 0;       // end of the furthest byte written
  long long disk_size_ = 0;  // bytes the file holds on disk
  bool failed_ = false;
  WriteBehind* write_behind_ = nullptr;
  // Writes handed to write_behind_ and not yet done, and whether one of
  // them failed; changed by its thread.
  mutable std::atomic<int> pending_writes_{0};
  std::atomic<bool> lost_write_{false};
  unsigned long long clock_ = 0;
  Block* last_ = nullptr;  // the block used last, checked first
  std::vector<Block> blocks_ = std::vector<Block>(kBlocks);
};

}  // namespace kinloom

#endif  // KINLOOM_STORE_BLOCK_FILE_H_
