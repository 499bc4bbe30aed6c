// References between families and individuals that name no record: the
// cross-reference check notes each one, and when the user chose to publish
// such a tree anyway (SKIPMISSING), the records that hold them are
// rewritten without them, so that every later phase sees a family without
// that husband, wife or child and an individual without that family.
//
// Only the records that hold such a reference are kept here, so a tree
// without one costs nothing beyond the check itself.
#ifndef KINLOOM_STORE_MISSING_RECORDS_H_
#define KINLOOM_STORE_MISSING_RECORDS_H_

#include <cstdint>
#include <vector>

#include "store/work_files.h"

namespace kinloom {

class MissingRecords {
 public:
  // One reference without a record, held by family or individual number.
  void NoteInFamily(std::int32_t family) { Note(families_, family); }
  void NoteInIndividual(std::int32_t individual) { Note(individuals_, individual); }

  // References noted since the last Clear.
  [[nodiscard]] long found() const { return found_; }
  // References noted before the last Skip, which are therefore gone.
  [[nodiscard]] long skipped() const { return skipped_; }

  // Rewrites every record noted so that it names only stored records: a
  // husband or wife without a record becomes none (0), and list entries
  // without a record leave their list, the later entries moving up in
  // their order (entries of 0 among them too).
  void Skip(WorkFiles& store);

  void Clear() { *this = MissingRecords(); }

 private:
  void Note(std::vector<std::int32_t>& holders, std::int32_t number) {
    ++found_;
    // A record's references are checked one after another, so one entry
    // per record; a record met again later (a number stored twice) is
    // rewritten twice, to the same effect.
    if (holders.empty() || holders.back() != number) holders.push_back(number);
  }

  std::vector<std::int32_t> families_;
  std::vector<std::int32_t> individuals_;
  long found_ = 0;
  long skipped_ = 0;
};

}  // namespace kinloom

#endif  // KINLOOM_STORE_MISSING_RECORDS_H_
