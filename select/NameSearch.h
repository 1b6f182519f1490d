// One search over both lists of names: the 212 features of the Map Area
// menu and the IAU names of Mars. What is typed is matched without regard
// to case or diacritics, against the whole name and against each of its
// words; when little or nothing matches, the closest spellings are offered.
// No Qt.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "select/Gazetteer.h"
#include "select/PlaceNames.h"

namespace tarvelon {

// How a name matches, best first.
enum class NameRank {
  Equal,      // the whole name is the text
  Start,      // the name starts with it
  WordStart,  // a later word of the name starts with it
  Within,     // the name holds it somewhere else
  Close,      // a misspelling: a word of the name, or the name, within a few edits of it
};

// One name found: a menu feature or an IAU name, never both.
struct NameMatch {
  const FeatureRow* feature = nullptr;
  const NamedPlace* place = nullptr;
  std::string_view name;  // the caption or the IAU name, UTF-8
  NameRank rank = NameRank::Equal;
  int distance = 0;  // edits from the text, for NameRank::Close

  bool isPlace() const { return place != nullptr; }
};

// The order of the results:
//   - by rank, Equal first, Close last;
//   - within a rank, the menu features before the IAU names (they are what
//     the Map Area menu draws), the menu features in menu order, the IAU
//     names larger first (albedo features, which have no size, after the
//     rest), then alphabetically (folded), then by feature_id;
//   - close spellings by their number of edits, then in that order.
// An empty text lists everything: menu features in menu order, then the
// IAU names alphabetically (folded).
//
// Close spellings are looked for when fewer than kFewMatches names match
// the text itself, and only for texts of three or more letters. A name is
// close when the text is within max(2, length / 4) edits (1 for three
// letters) of a start of the name or of one of its later words: a start
// that ends at the end of a word, or one at least as long as the text (the
// text may be a name half typed). At most kMostClose are offered.
class NameSearch {
 public:
  static constexpr std::size_t kFewMatches = 5;
  static constexpr std::size_t kMostClose = 10;

  // The 212 menu features and the built-in IAU names.
  NameSearch();
  // Any features and places; both must outlive the search.
  NameSearch(std::span<const FeatureRow> features, const PlaceNames& places);

  std::vector<NameMatch> find(std::string_view text) const;

  // Names searched: features and places together.
  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    const FeatureRow* feature = nullptr;
    const NamedPlace* place = nullptr;
    std::string folded;
    std::vector<unsigned short> wordStarts;  // byte offsets into folded, 0 first
  };

  NameMatch matchOf(const Entry& entry, NameRank rank, int distance = 0) const;

  std::vector<Entry> entries_;         // in the order results take within a rank
  std::vector<std::size_t> listing_;   // the order of the empty text's list
};

// The edits (insertions, deletions, replacements of a byte) that turn
// `text` into the nearest start of `name` that ends at the end of a word or
// is at least as long as the text; more than `most` when every one needs
// more.
int editsToStart(std::string_view text, std::string_view name, int most);

}  // namespace tarvelon
