// The pieces of an explorer's views kept once drawn, within a limit of
// memory: the piece used longest ago goes first when a new one would pass
// it. Not thread-safe: one thread (the window's) keeps it.
#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

#include "render/ExploreView.h"

namespace tarvelon {

// A piece as drawn in one colouring: the colouring's number, given by the
// owner, changes whenever the colours do.
struct PieceId {
  PieceKey key;
  std::uint64_t colouring = 0;
  bool operator==(const PieceId&) const = default;
};

struct PieceIdHash {
  std::size_t operator()(const PieceId& id) const {
    std::size_t h = std::hash<std::uint64_t>()(id.colouring);
    for (const int part : {id.key.level, id.key.column, id.key.row}) {
      h ^= std::hash<int>()(part) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    }
    return h;
  }
};

template <typename Picture>
class PieceCache {
 public:
  explicit PieceCache(std::size_t limitBytes) : limit_(limitBytes) {}

  // The piece, marked as just used; nullptr when it is not kept.
  const Picture* find(const PieceId& id) {
    const auto found = index_.find(id);
    if (found == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, found->second);
    return &found->second->picture;
  }
  bool contains(const PieceId& id) const { return index_.count(id) != 0; }

  // Keeps `picture` as the piece `id`, of `bytes` bytes, dropping the
  // pieces used longest ago until all fit the limit. A piece larger than
  // the limit is not kept.
  void put(const PieceId& id, Picture picture, std::size_t bytes) {
    erase(id);
    if (bytes > limit_) return;
    order_.push_front(Entry{id, std::move(picture), bytes});
    index_.emplace(id, order_.begin());
    bytes_ += bytes;
    trim();
  }

  void erase(const PieceId& id) {
    const auto found = index_.find(id);
    if (found == index_.end()) return;
    bytes_ -= found->second->bytes;
    order_.erase(found->second);
    index_.erase(found);
  }
  void clear() {
    order_.clear();
    index_.clear();
    bytes_ = 0;
  }

  void setLimit(std::size_t limitBytes) {
    limit_ = limitBytes;
    trim();
  }
  std::size_t limit() const { return limit_; }
  std::size_t bytes() const { return bytes_; }
  std::size_t size() const { return index_.size(); }

 private:
  struct Entry {
    PieceId id;
    Picture picture;
    std::size_t bytes = 0;
  };
  void trim() {
    while (bytes_ > limit_ && !order_.empty()) {
      bytes_ -= order_.back().bytes;
      index_.erase(order_.back().id);
      order_.pop_back();
    }
  }

  std::size_t limit_;
  std::size_t bytes_ = 0;
  std::list<Entry> order_;  // most recently used first
  std::unordered_map<PieceId, typename std::list<Entry>::iterator, PieceIdHash> index_;
};

}  // namespace tarvelon
