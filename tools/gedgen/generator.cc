#include "tools/gedgen/generator.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace kinloom::gedgen {

namespace {

// splitmix64: small, fast, and the same sequence everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n - 1 (0 when n is 0).
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(Next() % n); }
  int Between(int low, int high) {
    return low + static_cast<int>(Below(static_cast<std::size_t>(high - low + 1)));
  }
  bool PerMille(int chance) { return Below(1000) < static_cast<std::size_t>(chance); }
  // 0 .. n - 1, the low indices far more often than the high ones, as
  // common surnames and much-cited sources are.
  std::size_t Skewed(std::size_t n) {
    const double u = static_cast<double>(Next() >> 11) / 9007199254740992.0;  // [0, 1)
    return std::min(n - 1, static_cast<std::size_t>(u * u * static_cast<double>(n)));
  }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

// A generator of its own for every record, so that the text of a record
// does not depend on how many numbers the records before it drew.
Random RecordRandom(std::uint64_t seed, std::uint64_t kind, std::uint64_t number) {
  Random mix(seed ^ (kind * 0xD1B54A32D192ED03ULL) ^ (number * 0x8CB92BA72F3D8DD7ULL));
  mix.Next();
  return Random(mix.Next());
}

// Texts are ANSEL bytes, written as octal escapes so that a letter after
// an escape cannot be read as part of it. A combining mark stands before
// its letter: 341 grave, 342 acute, 343 circumflex, 344 tilde, 350 umlaut,
// 352 ring, 360 cedilla; 242 is a capital O with stroke, 245 the AE
// ligature, 262 a small o with stroke.
constexpr std::array<const char*, 44> kMaleNames = {
    "John",     "William",  "James",     "Thomas",      "Henry",    "George",       "Charles",
    "Michael",  "Patrick",  "Joseph",    "Jos\342e",    "Ren\342e", "Fran\360cois", "J\350urgen",
    "S\262ren", "Bj\262rn", "Andr\342e", "Nicol\342as", "Johann",   "Friedrich",    "Carl",
    "Heinrich", "Pieter",   "Jan",       "Lars",        "Nils",     "Olof",         "Erik",
    "Antonio",  "Giovanni", "Luis",      "Miguel",      "Pedro",    "Sean",         "Edward",
    "Robert",   "Richard",  "Samuel",    "Daniel",      "Peter",    "Hugh",         "Walter",
    "Martin",   "Jo\343el"};
constexpr std::array<const char*, 40> kFemaleNames = {
    "Mary",      "Anna",     "Elizabeth", "Margaret",   "Catherine", "Sarah",     "Jane",
    "Ellen",     "Bridget",  "Johanna",   "Margarethe", "Mar\342ia", "Ren\342ee", "H\342el\341ene",
    "Zo\350e",   "Ingrid",   "Kirsten",   "Karin",      "Sofia",     "Elena",     "Lucia",
    "Rosa",      "Teresa",   "Agnes",     "Martha",     "Emma",      "Clara",     "Louise",
    "Charlotte", "\352Asa",  "Birgit",    "Frieda",     "Hannah",    "Alice",     "Rose",
    "Nora",      "In\342es", "Ana",       "Eva",        "Ida"};

// Surnames: a list of whole names, then every prefix joined to every
// suffix, which gives trees of a million people thousands of surnames.
constexpr std::array<const char*, 40> kSurnames = {
    "Smith",        "Johnson",     "Halloran",      "M\350uller", "Garc\342ia",  "\242vergaard",
    "\352Aberg",    "\245rlig",    "Kj\262ller",    "Nu\344nez",  "Sch\350afer", "Br\350uckner",
    "Gonz\342alez", "B\342erard",  "L\342opez",     "O'Brien",    "McCarthy",    "Van Dyke",
    "Vance",        "Smith-Jones", "Smith Jones",   "Smithers",   "de la Cruz",  "Murphy",
    "Kelly",        "Walsh",       "Ryan",          "Byrne",      "Nielsen",     "Hansen",
    "Pedersen",     "Lindqvist",   "Bergstr\350om", "Fischer",    "Weber",       "Wagner",
    "Rossi",        "Russo",       "Ferrari",       "Dubois"};
constexpr std::array<const char*, 48> kSurnamePrefixes = {
    "Ab",  "Ber",  "Cal",  "Dun",  "Eck",    "Fal",     "Gar",     "Hal", "Ing", "Jor",
    "Kel", "Lind", "Mor",  "Nor",  "Ost",    "Pet",     "Quin",    "Ros", "Sch", "Thor",
    "Ul",  "Van",  "Wil",  "Yar",  "Zim",    "Bran",    "Cr\350o", "Dal", "Ell", "Fen",
    "Gil", "Hart", "Kirk", "Lang", "Mar",    "Ness",    "Oak",     "Pal", "Rad", "Sand",
    "Tal", "Und",  "Ves",  "Wes",  "\242st", "Bj\342o", "\352Ar",  "St"};
constexpr std::array<const char*, 40> kSurnameSuffixes = {
    "son",       "sen",   "berg",  "ley",   "ton",   "mann", "ard",   "ez",   "ini",   "ova",
    "str\350om", "quist", "by",    "dal",   "holm",  "wood", "field", "ford", "well",  "man",
    "er",        "ing",   "stad",  "rup",   "gaard", "vik",  "land",  "more", "worth", "combe",
    "ham",       "hurst", "ridge", "brook", "stone", "hill", "ach",   "eau",  "elli",  "ovi\360c"};

struct Place {
  const char* town;
  const char* region;
};
constexpr std::array<Place, 36> kPlaces = {{
    {"Cork", "Ireland"},
    {"Galway", "Ireland"},
    {"Boston", "Massachusetts"},
    {"Salem", "Massachusetts"},
    {"New York", "New York"},
    {"Albany", "New York"},
    {"Philadelphia", "Pennsylvania"},
    {"Chicago", "Illinois"},
    {"K\350oln", "Germany"},
    {"M\350unchen", "Bayern, Germany"},
    {"Z\350urich", "Switzerland"},
    {"Malm\350o", "Sk\352ane, Sweden"},
    {"G\350oteborg", "Sweden"},
    {"Montr\342eal", "Qu\342ebec, Canada"},
    {"\352Alesund", "Norway"},
    {"Troms\262", "Norway"},
    {"Bogot\342a", "Colombia"},
    {"Sevilla", "Andaluc\342ia, Spain"},
    {"Lyon", "France"},
    {"Orl\342eans", "France"},
    {"Napoli", "Italy"},
    {"Torino", "Italy"},
    {"Aarhus", "Denmark"},
    {"K\262benhavn", "Denmark"},
    {"London", "England"},
    {"York", "England"},
    {"Glasgow", "Scotland"},
    {"Cardiff", "Wales"},
    {"Rotterdam", "Netherlands"},
    {"Leiden", "Netherlands"},
    {"Krak\342ow", "Poland"},
    {"Praha", "Bohemia"},
    {"Wien", "Austria"},
    {"Lisboa", "Portugal"},
    {"Quebec City", "Canada"},
    {"Sydney", "New South Wales, Australia"},
}};

constexpr std::array<const char*, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

constexpr std::array<const char*, 48> kWords = {
    "farmer", "worked",  "as",       "a",        "cooper", "on",      "the",     "docks",
    "for",    "thirty",  "years",    "and",      "sailed", "from",    "harbour", "in",
    "spring", "with",    "two",      "brothers", "trunk",  "of",      "tools",   "married",
    "at",     "parish",  "church",   "after",    "long",   "winter",  "moved",   "to",
    "city",   "where",   "children", "were",     "born",   "letters", "survive", "family",
    "bible",  "records", "her",      "his",      "mill",   "school",  "teacher", "caf\342e"};

constexpr std::array<const char*, 8> kSourceKinds = {
    "Parish register", "Civil registration",    "Census",       "Church book",
    "Passenger list",  "Cemetery inscriptions", "Land records", "Probate records"};

// How many children a family has, in thousandths: 0 to 9.
constexpr std::array<int, 10> kChildrenPerMille = {100, 150, 250, 200, 120, 80, 50, 30, 15, 5};

constexpr std::int32_t kNone = 0;

struct Person {
  std::int32_t surname = 0;  // index into the surname pool
  std::int16_t birth_year = 0;
  std::uint8_t given = 0;
  bool male = false;
  std::int32_t parent_family = kNone;
  std::array<std::int32_t, 2> spouse_families{};
};

struct Family {
  std::int32_t husband = kNone;
  std::int32_t wife = kNone;
  std::int32_t first_child = kNone;
  std::int32_t child_count = 0;
  std::int16_t marriage_year = 0;
};

// The shape of the tree: who is whose child and spouse. Texts are drawn
// later, record by record.
class Tree {
 public:
  Tree(std::int32_t individuals, std::uint64_t seed)
      : target_(std::max(individuals, 0)), random_(seed), pool_size_(SurnamePoolSize()) {
    people_.reserve(static_cast<std::size_t>(target_));
    // About one in a hundred people belongs to no family.
    const std::int32_t lineage_target = target_ - target_ / 100;
    std::vector<std::int32_t> generation;
    while (Count() < lineage_target) {
      if (generation.empty()) generation = FoundingCouples(lineage_target);
      generation = NextGeneration(generation, lineage_target);
    }
    while (Count() < target_) {
      NewPerson(random_.PerMille(500), RandomSurname(), random_.Between(1700, 1950), kNone);
    }
  }

  const std::vector<Person>& people() const { return people_; }
  const std::vector<Family>& families() const { return families_; }

  static std::size_t SurnamePoolSize() {
    return kSurnames.size() + kSurnamePrefixes.size() * kSurnameSuffixes.size();
  }
  static std::string SurnameText(std::int32_t index) {
    const auto i = static_cast<std::size_t>(index);
    if (i < kSurnames.size()) return kSurnames[i];
    const std::size_t j = i - kSurnames.size();
    return std::string(kSurnamePrefixes[j / kSurnameSuffixes.size()]) +
           kSurnameSuffixes[j % kSurnameSuffixes.size()];
  }

 private:
  std::int32_t Count() const { return static_cast<std::int32_t>(people_.size()); }

  std::int32_t RandomSurname() { return static_cast<std::int32_t>(random_.Skewed(pool_size_)); }

  std::int32_t NewPerson(bool male, std::int32_t surname, int birth_year,
                         std::int32_t parent_family) {
    Person p;
    p.male = male;
    p.surname = surname;
    p.birth_year = static_cast<std::int16_t>(birth_year);
    p.given = static_cast<std::uint8_t>(male ? random_.Below(kMaleNames.size())
                                             : random_.Below(kFemaleNames.size()));
    p.parent_family = parent_family;
    people_.push_back(p);
    return Count();
  }

  Person& At(std::int32_t number) { return people_[static_cast<std::size_t>(number - 1)]; }

  // A family of husband and wife (either may be none), with its children;
  // the children are added to next.
  void NewFamily(std::int32_t husband, std::int32_t wife, std::int32_t limit,
                 std::vector<std::int32_t>& next) {
    Family f;
    f.husband = husband;
    f.wife = wife;
    int oldest = 1500;
    for (std::int32_t spouse : {husband, wife}) {
      if (spouse != kNone) oldest = std::max<int>(oldest, At(spouse).birth_year);
    }
    f.marriage_year = static_cast<std::int16_t>(oldest + random_.Between(18, 32));
    families_.push_back(f);
    const auto number = static_cast<std::int32_t>(families_.size());
    for (std::int32_t spouse : {husband, wife}) {
      if (spouse == kNone) continue;
      auto& slots = At(spouse).spouse_families;
      if (slots[0] == kNone) {
        slots[0] = number;
      } else if (slots[1] == kNone) {
        slots[1] = number;
      }
    }
    int children = 0;
    for (int draw = static_cast<int>(random_.Below(1000)); children < 9; ++children) {
      draw -= kChildrenPerMille[static_cast<std::size_t>(children)];
      if (draw < 0) break;
    }
    const std::int32_t surname =
        husband != kNone ? At(husband).surname : (wife != kNone ? At(wife).surname : 0);
    int year = f.marriage_year;
    for (int i = 0; i < children && Count() < limit; ++i) {
      year += random_.Between(1, 3);
      const std::int32_t child = NewPerson(random_.PerMille(510), surname, year, number);
      Family& family = families_.back();
      if (family.first_child == kNone) family.first_child = child;
      ++family.child_count;
      next.push_back(child);
    }
  }

  std::int32_t MarryIn(const Person& partner) {
    return NewPerson(!partner.male, RandomSurname(), partner.birth_year + random_.Between(-6, 6),
                     kNone);
  }

  std::vector<std::int32_t> FoundingCouples(std::int32_t limit) {
    std::vector<std::int32_t> children;
    const std::int32_t couples = std::max<std::int32_t>(1, limit / 400);
    for (std::int32_t i = 0; i < couples && Count() < limit; ++i) {
      const std::int32_t husband =
          NewPerson(true, RandomSurname(), random_.Between(1550, 1650), kNone);
      const std::int32_t wife = Count() < limit ? MarryIn(At(husband)) : kNone;
      NewFamily(husband, wife, limit, children);
    }
    return children;
  }

  std::vector<std::int32_t> NextGeneration(const std::vector<std::int32_t>& generation,
                                           std::int32_t limit) {
    std::vector<std::int32_t> next;
    for (std::int32_t person : generation) {
      if (Count() >= limit) break;
      if (!random_.PerMille(700)) continue;  // stays single
      const bool male = At(person).male;
      // A few families have one parent only.
      const std::int32_t spouse = random_.PerMille(20) ? kNone : MarryIn(At(person));
      NewFamily(male ? person : spouse, male ? spouse : person, limit, next);
      if (random_.PerMille(70) && Count() < limit) {
        const std::int32_t second = MarryIn(At(person));
        NewFamily(male ? person : second, male ? second : person, limit, next);
      }
    }
    return next;
  }

  std::int32_t target_;
  Random random_;
  std::size_t pool_size_;
  std::vector<Person> people_;
  std::vector<Family> families_;
};

// Buffers lines and hands them to the sink in large pieces.
class Output {
 public:
  Output(const Sink& sink, GeneratorStats& stats) : sink_(sink), stats_(stats) {
    buffer_.reserve(kChunk + 512);
  }
  ~Output() { Flush(); }

  void Line(std::string_view text) {
    buffer_ += text;
    buffer_ += "\r\n";
    ++stats_.lines;
    stats_.bytes += static_cast<std::int64_t>(text.size()) + 2;
    if (buffer_.size() >= kChunk) Flush();
  }
  void Flush() {
    if (buffer_.empty()) return;
    sink_(buffer_);
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  const Sink& sink_;
  GeneratorStats& stats_;
  std::string buffer_;
};

std::string Xref(char letter, std::int64_t number) {
  std::string xref = "@";
  xref += letter;
  xref += std::to_string(number);
  xref += '@';
  return xref;
}

std::string Date(Random& r, int year) {
  const std::string y = std::to_string(year);
  switch (r.Below(20)) {
    case 0:
      return "ABT " + y;
    case 1:
      return "BEF " + y;
    case 2:
      return "AFT " + y;
    case 3:
    case 4:
      return y;
    case 5:
      return std::string(r.Pick(kMonths)) + " " + y;
    default:
      return std::to_string(r.Between(1, 28)) + " " + r.Pick(kMonths) + " " + y;
  }
}

std::string PlaceText(Random& r) {
  const Place& place = r.Pick(kPlaces);
  return std::string(place.town) + ", " + place.region;
}

// Words up to about length characters, never more than limit.
std::string Words(Random& r, std::size_t length, std::size_t limit) {
  std::string text;
  while (text.size() < length) {
    const std::string word = r.Pick(kWords);
    if (text.size() + word.size() + 1 > limit) break;
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

struct Citation {
  bool pointer = false;
  std::int64_t source = 0;
  std::string text;
};

class Writer {
 public:
  Writer(const GeneratorOptions& options, const Tree& tree, Output& out, GeneratorStats& stats)
      : options_(options), tree_(tree), out_(out), stats_(stats) {
    const auto people = static_cast<std::int64_t>(tree.people().size());
    const auto families = static_cast<std::int64_t>(tree.families().size());
    source_count_ = std::max<std::int64_t>(3, people / 40);
    next_note_ = std::max(people, families) + 1;
    Random r = RecordRandom(options.seed, 7, 0);
    for (std::string& text : inline_sources_) {
      const Place& place = r.Pick(kPlaces);
      switch (r.Below(3)) {
        case 0:
          text = std::string("Family bible of ") + r.Pick(kFemaleNames) + " " +
                 Tree::SurnameText(static_cast<std::int32_t>(r.Below(Tree::SurnamePoolSize())));
          break;
        case 1:
          text = std::string("Letter from ") + r.Pick(kMaleNames) + " in " + place.town + ", " +
                 std::to_string(r.Between(1700, 1950));
          break;
        default:
          text = std::string("Told by ") + r.Pick(kFemaleNames) + " " +
                 Tree::SurnameText(static_cast<std::int32_t>(r.Below(Tree::SurnamePoolSize()))) +
                 " of " + place.town;
          break;
      }
    }
  }

  void WriteAll() {
    Header();
    for (std::size_t i = 0; i < tree_.people().size(); ++i) {
      Individual(static_cast<std::int64_t>(i) + 1, tree_.people()[i]);
    }
    for (std::size_t i = 0; i < tree_.families().size(); ++i) {
      FamilyRecord(static_cast<std::int64_t>(i) + 1, tree_.families()[i]);
    }
    for (const auto& [number, individual] : note_records_) NoteRecord(number, individual);
    for (std::int64_t s = 1; s <= source_count_; ++s) SourceRecord(s);
    out_.Line("0 TRLR");
  }

 private:
  void Header() {
    out_.Line("0 HEAD");
    out_.Line("1 SOUR KINLOOM_GEDGEN");
    out_.Line("2 VERS 1.0");
    out_.Line("1 DEST ANY");
    out_.Line("1 DATE 1 JAN 2024");
    out_.Line("1 SUBM @U1@");
    out_.Line("1 GEDC");
    out_.Line("2 VERS 5.5");
    out_.Line("2 FORM LINEAGE-LINKED");
    out_.Line("1 CHAR ANSEL");
    out_.Line("0 @U1@ SUBM");
    out_.Line("1 NAME Generated Tree, seed " + std::to_string(options_.seed));
  }

  Citation Cite(Random& r, int pointer_per_mille, int inline_per_mille) {
    Citation c;
    const int draw = static_cast<int>(r.Below(1000));
    if (draw < pointer_per_mille) {
      c.pointer = true;
      c.source = static_cast<std::int64_t>(r.Skewed(static_cast<std::size_t>(source_count_))) + 1;
    } else if (draw < pointer_per_mille + inline_per_mille) {
      c.text = inline_sources_[r.Skewed(inline_sources_.size())];
    }
    return c;
  }

  void WriteCitation(Random& r, int level, const Citation& c) {
    const std::string lvl = std::to_string(level);
    if (c.pointer) {
      out_.Line(lvl + " SOUR " + Xref('S', c.source));
      out_.Line(std::to_string(level + 1) + " PAGE p. " + std::to_string(r.Between(1, 400)));
    } else if (!c.text.empty()) {
      out_.Line(lvl + " SOUR " + c.text);
    }
  }

  void Event(Random& r, const char* tag, int year, int pointer_per_mille, int inline_per_mille) {
    out_.Line(std::string("1 ") + tag);
    if (!r.PerMille(80)) out_.Line("2 DATE " + Date(r, year));
    if (!r.PerMille(150)) out_.Line("2 PLAC " + PlaceText(r));
    WriteCitation(r, 2, Cite(r, pointer_per_mille, inline_per_mille));
  }

  // An inline note: its first line, then continuation lines under it.
  void InlineNote(Random& r) {
    out_.Line("1 NOTE " + Words(r, static_cast<std::size_t>(r.Between(30, 180)), 200));
    for (int k = r.Between(0, 3); k > 0; --k) {
      if (r.PerMille(500)) {
        out_.Line("2 CONC  " + Words(r, static_cast<std::size_t>(r.Between(20, 150)), 200));
      } else {
        out_.Line("2 CONT " + Words(r, static_cast<std::size_t>(r.Between(20, 150)), 200));
      }
    }
  }

  void Change(Random& r) {
    if (!r.PerMille(500)) return;
    out_.Line("1 CHAN");
    out_.Line("2 DATE " + std::to_string(r.Between(1, 28)) + " " + r.Pick(kMonths) + " " +
              std::to_string(r.Between(1998, 2023)));
    out_.Line("3 TIME " + std::to_string(r.Between(10, 23)) + ":" +
              std::to_string(r.Between(10, 59)) + ":" + std::to_string(r.Between(10, 59)));
  }

  void Individual(std::int64_t number, const Person& p) {
    Random r = RecordRandom(options_.seed, 1, static_cast<std::uint64_t>(number));
    out_.Line("0 " + Xref('I', number) + " INDI");
    ++stats_.individuals;
    std::string given = p.male ? kMaleNames[p.given] : kFemaleNames[p.given];
    if (r.PerMille(300))
      given += std::string(" ") + (p.male ? r.Pick(kMaleNames) : r.Pick(kFemaleNames));
    const std::string surname = Tree::SurnameText(p.surname);
    const int name_form = static_cast<int>(r.Below(1000));
    if (name_form < 2) {
      // no NAME line at all
    } else if (name_form < 12) {
      out_.Line("1 NAME " + given);  // no surname
    } else {
      std::string name = "1 NAME " + given + " /" + surname + "/";
      if (p.male && name_form < 40) name += r.PerMille(500) ? " Jr." : " Sr.";
      out_.Line(name);
      if (name_form < 300) {
        out_.Line("2 GIVN " + given);
        out_.Line("2 SURN " + surname);
      }
    }
    out_.Line(p.male ? "1 SEX M" : "1 SEX F");
    WriteCitation(r, 1, Cite(r, 150, 0));
    if (!r.PerMille(100)) Event(r, "BIRT", p.birth_year, 350, 80);
    const bool living = p.birth_year > 1935 && r.PerMille(700);
    if (!living && !r.PerMille(300)) {
      const int age = r.PerMille(100) ? r.Between(0, 5) : r.Between(20, 95);
      Event(r, "DEAT", p.birth_year + age, 250, 50);
    }
    for (std::int32_t family : p.spouse_families) {
      if (family != kNone) out_.Line("1 FAMS " + Xref('F', family));
    }
    if (p.parent_family != kNone) out_.Line("1 FAMC " + Xref('F', p.parent_family));
    const int note = static_cast<int>(r.Below(1000));
    if (note < 80) {
      InlineNote(r);
      ++stats_.individual_notes;
    } else if (note < 120) {
      const std::int64_t key = next_note_++;
      out_.Line("1 NOTE " + std::string("@NI") + std::to_string(key) + "@");
      note_records_.emplace_back(key, true);
      ++stats_.individual_notes;
    }
    if (r.PerMille(15)) {
      for (int k = 1, photos = r.Between(1, 3); k <= photos; ++k) {
        out_.Line("1 OBJE");
        out_.Line("2 FORM jpg");
        out_.Line("2 FILE C:\\Photos\\Portraits\\Portrait_" + std::to_string(number) + "_" +
                  std::to_string(k) + ".JPG");
        out_.Line("2 TITL " + given + " " + surname + ", " +
                  std::to_string(p.birth_year + r.Between(0, 60)));
        ++stats_.photos;
      }
    }
    Change(r);
  }

  void FamilyRecord(std::int64_t number, const Family& f) {
    Random r = RecordRandom(options_.seed, 2, static_cast<std::uint64_t>(number));
    out_.Line("0 " + Xref('F', number) + " FAM");
    ++stats_.families;
    if (f.husband != kNone) out_.Line("1 HUSB " + Xref('I', f.husband));
    if (f.wife != kNone) out_.Line("1 WIFE " + Xref('I', f.wife));
    if (!r.PerMille(150)) Event(r, "MARR", f.marriage_year, 300, 50);
    for (std::int32_t i = 0; i < f.child_count; ++i) {
      out_.Line("1 CHIL " + Xref('I', f.first_child + i));
    }
    const int note = static_cast<int>(r.Below(1000));
    if (note < 50) {
      InlineNote(r);
      ++stats_.family_notes;
    } else if (note < 80) {
      const std::int64_t key = next_note_++;
      out_.Line("1 NOTE " + Xref('N', key));
      note_records_.emplace_back(key, false);
      ++stats_.family_notes;
    }
    Change(r);
  }

  void NoteRecord(std::int64_t number, bool individual) {
    Random r = RecordRandom(options_.seed, 3, static_cast<std::uint64_t>(number));
    out_.Line("0 @N" + std::string(individual ? "I" : "") + std::to_string(number) + "@ NOTE " +
              Words(r, static_cast<std::size_t>(r.Between(20, 150)), 200));
    ++stats_.note_records;
    for (int k = r.Between(0, 4); k > 0; --k) {
      if (r.PerMille(400)) {
        out_.Line("1 CONC  " + Words(r, static_cast<std::size_t>(r.Between(20, 150)), 200));
      } else {
        out_.Line("1 CONT " + Words(r, static_cast<std::size_t>(r.Between(20, 150)), 200));
      }
    }
  }

  void SourceRecord(std::int64_t number) {
    Random r = RecordRandom(options_.seed, 4, static_cast<std::uint64_t>(number));
    out_.Line("0 " + Xref('S', number) + " SOUR");
    ++stats_.source_records;
    const Place& place = r.Pick(kPlaces);
    const int from = r.Between(1600, 1900);
    out_.Line(std::string("1 TITL ") + r.Pick(kSourceKinds) + " of " + place.town + ", " +
              std::to_string(from) + "-" + std::to_string(from + r.Between(5, 80)));
    if (r.PerMille(100))
      out_.Line(std::string("1 ABBR ") + place.town + " " + std::to_string(from));
    if (r.PerMille(600)) {
      out_.Line(std::string("1 AUTH ") + r.Pick(kMaleNames) + " " +
                Tree::SurnameText(static_cast<std::int32_t>(r.Below(Tree::SurnamePoolSize()))));
    }
    if (r.PerMille(400)) out_.Line(std::string("1 PUBL ") + place.region);
    Change(r);
  }

  const GeneratorOptions& options_;
  const Tree& tree_;
  Output& out_;
  GeneratorStats& stats_;
  std::int64_t source_count_ = 0;
  std::int64_t next_note_ = 1;
  std::array<std::string, 150> inline_sources_;
  std::vector<std::pair<std::int64_t, bool>> note_records_;  // number, of an individual
};

}  // namespace

GeneratorStats GenerateGedcom(const GeneratorOptions& options, const Sink& sink) {
  GeneratorStats stats;
  const Tree tree(options.individuals, options.seed);
  {
    Output out(sink, stats);
    Writer writer(options, tree, out, stats);
    writer.WriteAll();
  }
  return stats;
}

}  // namespace kinloom::gedgen
