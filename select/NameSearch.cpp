#include "select/NameSearch.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace tarvelon {

namespace {

// Letters, digits and apostrophes ("Ma'adim") belong to a word; bytes of
// letters that folding keeps as they are (Greek, say) too.
bool inWord(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '\'';
}

std::vector<unsigned short> wordStartsOf(std::string_view folded) {
  std::vector<unsigned short> starts;
  for (std::size_t i = 0; i < folded.size() && i < 0xFFFF; ++i) {
    if (inWord(folded[i]) && (i == 0 || !inWord(folded[i - 1]))) starts.push_back(static_cast<unsigned short>(i));
  }
  if (starts.empty() || starts.front() != 0) starts.insert(starts.begin(), 0);
  return starts;
}

int allowedEdits(std::size_t length) {
  if (length < 3) return -1;
  if (length == 3) return 1;
  return std::max(2, static_cast<int>(length / 4));
}

}  // namespace

int editsToStart(std::string_view text, std::string_view name, int most) {
  // Rows over the text, columns over the name; a start longer than the text
  // by more than `most` bytes cannot be within `most` edits.
  const std::size_t columns = std::min(name.size(), text.size() + static_cast<std::size_t>(std::max(most, 0)));
  thread_local std::vector<int> previous, current;
  previous.resize(columns + 1);
  current.resize(columns + 1);
  std::iota(previous.begin(), previous.end(), 0);
  for (std::size_t r = 1; r <= text.size(); ++r) {
    current[0] = static_cast<int>(r);
    int rowBest = current[0];
    for (std::size_t c = 1; c <= columns; ++c) {
      const int replace = previous[c - 1] + (text[r - 1] == name[c - 1] ? 0 : 1);
      current[c] = std::min({replace, previous[c] + 1, current[c - 1] + 1});
      rowBest = std::min(rowBest, current[c]);
    }
    if (rowBest > most) return most + 1;  // every later row is worse still
    std::swap(previous, current);
  }
  // A start that stops inside a word must be as long as the text: "valles
  // mar" is not three edits from "valles", though it is from "valles reg".
  int best = most + 1;
  for (std::size_t c = 0; c <= columns; ++c) {
    if (c >= text.size() || c == name.size() || !inWord(name[c])) best = std::min(best, previous[c]);
  }
  return best;
}

NameSearch::NameSearch() : NameSearch(featureRows(), PlaceNames::builtIn()) {}

NameSearch::NameSearch(std::span<const FeatureRow> features, const PlaceNames& places) {
  entries_.reserve(features.size() + places.size());
  for (const FeatureRow& row : features) {
    Entry entry{&row, nullptr, foldName(row.caption), {}};
    entry.wordStarts = wordStartsOf(entry.folded);
    entries_.push_back(std::move(entry));
  }
  const std::size_t firstPlace = entries_.size();
  for (const NamedPlace& place : places.all()) {
    Entry entry{nullptr, &place, foldName(place.name), {}};
    entry.wordStarts = wordStartsOf(entry.folded);
    entries_.push_back(std::move(entry));
  }
  const auto placeEntries = entries_.begin() + static_cast<std::ptrdiff_t>(firstPlace);
  std::stable_sort(placeEntries, entries_.end(), [](const Entry& a, const Entry& b) {
    const double sizeA = a.place->isAlbedo() ? -1 : a.place->diameterKm;
    const double sizeB = b.place->isAlbedo() ? -1 : b.place->diameterKm;
    return std::tie(sizeB, a.folded, a.place->id) < std::tie(sizeA, b.folded, b.place->id);
  });
  listing_.resize(entries_.size());
  std::iota(listing_.begin(), listing_.end(), 0);
  std::stable_sort(listing_.begin() + static_cast<std::ptrdiff_t>(firstPlace), listing_.end(),
                   [this](std::size_t a, std::size_t b) {
                     return std::tie(entries_[a].folded, entries_[a].place->id) <
                            std::tie(entries_[b].folded, entries_[b].place->id);
                   });
}

NameMatch NameSearch::matchOf(const Entry& entry, NameRank rank, int distance) const {
  NameMatch match;
  match.feature = entry.feature;
  match.place = entry.place;
  match.name = entry.feature != nullptr ? std::string_view(entry.feature->caption) : std::string_view(entry.place->name);
  match.rank = rank;
  match.distance = distance;
  return match;
}

std::vector<NameMatch> NameSearch::find(std::string_view text) const {
  const std::string wanted = foldName(text);
  std::vector<NameMatch> found;
  if (wanted.empty()) {
    found.reserve(listing_.size());
    for (const std::size_t index : listing_) found.push_back(matchOf(entries_[index], NameRank::Equal));
    return found;
  }

  // One pass in entry order, each name into the bucket of its best rank.
  constexpr int kTextRanks = 4;
  std::vector<std::size_t> ranked[kTextRanks];
  std::vector<bool> matched(entries_.size(), false);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    const std::size_t at = entry.folded.find(wanted);
    if (at == std::string::npos) continue;
    NameRank rank = NameRank::Within;
    if (at == 0) {
      rank = entry.folded.size() == wanted.size() ? NameRank::Equal : NameRank::Start;
    } else {
      for (std::size_t from = at; from != std::string::npos; from = entry.folded.find(wanted, from + 1)) {
        if (std::binary_search(entry.wordStarts.begin(), entry.wordStarts.end(), from)) {
          rank = NameRank::WordStart;
          break;
        }
      }
    }
    ranked[static_cast<int>(rank)].push_back(i);
    matched[i] = true;
  }
  std::size_t count = 0;
  for (const auto& bucket : ranked) count += bucket.size();
  found.reserve(count + kMostClose);
  for (int r = 0; r < kTextRanks; ++r) {
    for (const std::size_t index : ranked[r]) found.push_back(matchOf(entries_[index], static_cast<NameRank>(r)));
  }

  const int most = allowedEdits(wanted.size());
  if (count >= kFewMatches || most < 0) return found;
  // Misspellings: the fewest edits to the start of the name or of any of
  // its words.
  std::vector<std::pair<int, std::size_t>> close;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (matched[i]) continue;
    const Entry& entry = entries_[i];
    int best = most + 1;
    for (const unsigned short start : entry.wordStarts) {
      best = std::min(best, editsToStart(wanted, std::string_view(entry.folded).substr(start), std::min(most, best)));
      if (best == 1) break;  // nothing closer but the text itself, which matched above
    }
    if (best <= most) close.emplace_back(best, i);
  }
  std::stable_sort(close.begin(), close.end());
  if (close.size() > kMostClose) close.resize(kMostClose);
  for (const auto& [distance, index] : close) found.push_back(matchOf(entries_[index], NameRank::Close, distance));
  return found;
}

}  // namespace tarvelon
