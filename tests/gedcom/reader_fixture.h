// A run in a scratch directory for tests of the GEDCOM reader: write a
// GEDCOM text, read it with ReadGedcom, and compare what landed in the work
// files as one readable dump (Dump) and the run log as one text (LogText).
//
// Dump lists, in this order, each non-empty index file as "name: e0 e1 ..."
// (entry n is the slot, or first note line, of number n) and each record
// of each data file in slot order, printing only fields that are set:
//   indv 1: #1 "John /Smith/" sex 'M' birth "1 JAN 1900" "Boston" fams 1 note 1
//   fam 1: #1 husb 1 marr "1920"
//   inote 1: owner 1 kind 52 "Farmer"
//   src 1: #3 "Parish register"
//   photo 1: #1 owner 1 "a.jpg" "Title"
//
// Header-only, like the page fixture.
#ifndef KINLOOM_TESTS_GEDCOM_READER_FIXTURE_H_
#define KINLOOM_TESTS_GEDCOM_READER_FIXTURE_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "gedcom/reader.h"
#include "run/run.h"
#include "store/coding.h"
#include "store/records.h"
#include "support/scratch_dir.h"

namespace kinloom::testing {

// Lines joined with "\n" after each.
inline std::string Gedcom(std::initializer_list<std::string_view> lines,
                          std::string_view line_end = "\n") {
  std::string out;
  for (std::string_view line : lines) {
    out += line;
    out += line_end;
  }
  return out;
}

inline std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += ch;
    } else {
      static const char* const kHex = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out + "\"";
}

class ReaderTest : public ::testing::Test {
 protected:
  ReaderTest() {
    run_.settings.gedfile = "tree.ged";
    run_.settings.notes = 'Y';
    run_.settings.sources = 'Y';
    run_.settings.photos = 'Y';
    run_.settings.pedigreeall = 'N';
  }

  // Writes bytes as the GEDCOM file, opens the work files and reads it.
  int Read(const std::string& bytes) {
    WriteFile("tree.ged", bytes);
    if (run_.store.Open()) ADD_FAILURE() << "work files cannot be opened";
    return ReadGedcom(run_);
  }

  static std::string LogText() { return ReadText("kinloom.log"); }

  // Every index file and record, as described at the top of this file.
  std::string Dump() {
    run_.store.Flush();
    std::string out;
    for (const char* name : {"indv", "fam", "src", "inote", "fnote", "photo"}) {
      out += DumpIndex(name);
    }
    DumpRecords<IndividualRecord>("indv", out);
    DumpRecords<FamilyRecord>("fam", out);
    DumpRecords<SourceRecord>("src", out);
    DumpRecords<NoteLine>("inote", out);
    DumpRecords<NoteLine>("fnote", out);
    DumpRecords<PhotoRecord>("photo", out);
    return out;
  }

  // The record of number n, read back through the store.
  IndividualRecord Individual(std::int32_t n) {
    IndividualRecord record;
    run_.store.GetIndividual(n, record);
    return record;
  }
  FamilyRecord Family(std::int32_t n) {
    FamilyRecord record;
    run_.store.GetFamily(n, record);
    return record;
  }

  static std::string DumpIndex(const std::string& name) {
    const std::string bytes = ReadFile(name + ".idx");
    if (bytes.empty()) return "";
    std::string out = name + ".idx:";
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4) {
      out += " " + std::to_string(
                       DecodeFixed32(reinterpret_cast<const unsigned char*>(bytes.data() + at)));
    }
    return out + "\n";
  }

  static std::string List(std::string_view label, const RecordList& list) {
    std::string out;
    for (std::int32_t n : list) {
      if (n == 0) break;
      out += " " + std::to_string(n);
    }
    return out.empty() ? "" : " " + std::string(label) + out;
  }

  static std::string Describe(const IndividualRecord& r) {
    std::string out = "#" + std::to_string(r.number) + " " + Quoted(r.name);
    out += " sex " + Quoted(std::string(1, r.sex));
    if (r.source) out += " src " + std::to_string(r.source);
    if (!r.birthDate.empty() || !r.birthPlace.empty() || r.birthSource) {
      out += " birth " + Quoted(r.birthDate) + " " + Quoted(r.birthPlace);
      if (r.birthSource) out += " src " + std::to_string(r.birthSource);
    }
    if (!r.deathDate.empty() || !r.deathPlace.empty() || r.deathSource) {
      out += " death " + Quoted(r.deathDate) + " " + Quoted(r.deathPlace);
      if (r.deathSource) out += " src " + std::to_string(r.deathSource);
    }
    out += List("fams", r.spouseFamilies) + List("famc", r.parentFamilies);
    if (r.note) out += " note " + std::to_string(r.note);
    return out + List("photos", r.photos);
  }
  static std::string Describe(const FamilyRecord& r) {
    std::string out = "#" + std::to_string(r.number);
    if (r.husband) out += " husb " + std::to_string(r.husband);
    if (r.wife) out += " wife " + std::to_string(r.wife);
    if (!r.marriageDate.empty() || !r.marriagePlace.empty() || r.marriageSource) {
      out += " marr " + Quoted(r.marriageDate);
      if (!r.marriagePlace.empty()) out += " " + Quoted(r.marriagePlace);
      if (r.marriageSource) out += " src " + std::to_string(r.marriageSource);
    }
    out += List("chil", r.children);
    if (r.note) out += " note " + std::to_string(r.note);
    return out;
  }
  static std::string Describe(const SourceRecord& r) {
    return "#" + std::to_string(r.number) + " " + Quoted(r.title);
  }
  static std::string Describe(const NoteLine& r) {
    return "owner " + std::to_string(r.owner) + " kind " + std::to_string(r.kind) + " " +
           Quoted(r.text);
  }
  static std::string Describe(const PhotoRecord& r) {
    return "#" + std::to_string(r.number) + " owner " + std::to_string(r.owner) + " " +
           Quoted(r.file) + " " + Quoted(r.title);
  }

  template <typename Record>
  static void DumpRecords(const std::string& name, std::string& out) {
    const std::string bytes = ReadFile(name + ".dat");
    int slot = 0;
    for (std::size_t at = 0; at + Record::kSize <= bytes.size(); at += Record::kSize) {
      Record record;
      Decode(reinterpret_cast<const unsigned char*>(bytes.data() + at), record);
      out += name + " " + std::to_string(++slot) + ": " + Describe(record) + "\n";
    }
  }

  ScratchDir scratch_;
  kinloom::Run run_;
};

}  // namespace kinloom::testing

#endif  // KINLOOM_TESTS_GEDCOM_READER_FIXTURE_H_
