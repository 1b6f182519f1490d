// The structure check of a compiled help file. chmlib follows the file's
// headers, directory and reset table without checking them (a chunk size
// sizes a buffer on its stack, entries are parsed past their chunk, a zero
// block length divides, the index can loop), so every value it will use is
// checked here first, on a copy of the file in memory.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ChmFile.h"

namespace tarvelon {

namespace {

constexpr std::size_t kItsfV2Length = 0x58;
constexpr std::size_t kItsfV3Length = 0x60;
constexpr std::size_t kItspLength = 0x54;
constexpr std::size_t kPmglHeader = 0x14;
constexpr std::size_t kPmgiHeader = 0x08;
constexpr std::uint64_t kMaxPathLength = 512;     // chmlib's CHM_MAX_PATHLEN
constexpr std::uint32_t kSmallestChunk = 0x100;
constexpr std::uint32_t kLargestChunk = 0x10000;  // chmlib puts a chunk on its stack
constexpr std::uint64_t kLzxFrame = 0x8000;       // the block length every compiler writes
constexpr std::uint64_t kLzxSlack = 6144;         // chmlib's room for one compressed block beyond it
constexpr std::uint64_t kControlDataBuffer = 256; // chmlib reads the control data into this
constexpr std::uint32_t kMaxResetFactor = 256;

constexpr std::string_view kControlData = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr std::string_view kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";
constexpr std::string_view kContent = "::DataSpace/Storage/MSCompressed/Content";
constexpr std::string_view kSpanInfo = "::DataSpace/Storage/MSCompressed/SpanInfo";

struct Bytes {
  std::string_view data;

  bool has(std::uint64_t at, std::uint64_t length) const {
    return at <= data.size() && length <= data.size() - at;
  }
  std::uint32_t u32(std::size_t at) const {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(data[at + std::size_t(k)]);
    return v;
  }
  std::uint64_t u64(std::size_t at) const { return std::uint64_t(u32(at)) | std::uint64_t(u32(at + 4)) << 32; }
};

// A directory entry's number: seven bits a byte, most significant first,
// the top bit set on every byte but the last. False when it runs past `end`
// or beyond 64 bits.
bool readEncodedInt(std::string_view chunk, std::size_t& at, std::size_t end, std::uint64_t& value) {
  value = 0;
  for (int count = 0; count < 10; ++count) {
    if (at >= end) return false;
    const auto byte = static_cast<unsigned char>(chunk[at++]);
    if (value > (UINT64_MAX >> 7)) return false;
    value = value << 7 | (byte & 0x7F);
    if (byte < 0x80) return true;
  }
  return false;
}

struct Entry {
  std::string path;
  std::uint64_t space = 0;
  std::uint64_t start = 0;
  std::uint64_t length = 0;
};

bool sameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto low = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (low(a[i]) != low(b[i])) return false;
  }
  return true;
}

// chmlib takes the first entry of a name, in chunk order.
const Entry* findEntry(const std::vector<Entry>& entries, std::string_view path) {
  for (const Entry& entry : entries) {
    if (sameNoCase(entry.path, path)) return &entry;
  }
  return nullptr;
}

bool addWithin(std::uint64_t a, std::uint64_t b, std::uint64_t limit) { return a <= limit && b <= limit - a; }

}  // namespace

std::string checkChmStructure(std::string_view file) {
  const Bytes bytes{file};
  // The ITSF header.
  if (!bytes.has(0, kItsfV2Length) || file.substr(0, 4) != "ITSF") return "it does not start as a compiled help file";
  const std::uint32_t version = bytes.u32(4);
  const std::uint32_t headerLength = bytes.u32(8);
  if (version != 2 && version != 3) return "its header has an unknown version";
  if (!bytes.has(0, kItsfV3Length)) return "it is too short to hold its header";  // chmlib reads 0x60 bytes
  if (headerLength < (version == 3 ? kItsfV3Length : kItsfV2Length)) return "its header is too short";
  const std::uint64_t dirOffset = bytes.u64(0x48);
  const std::uint64_t dirLength = bytes.u64(0x50);
  std::uint64_t dataOffset = 0;
  if (version == 3) {
    dataOffset = bytes.u64(0x58);
  } else if (addWithin(dirOffset, dirLength, UINT64_MAX)) {
    dataOffset = dirOffset + dirLength;
  } else {
    return "its directory lies outside the file";
  }
  if (dataOffset > file.size()) return "its data lies outside the file";

  // The ITSP header and the directory chunks after it.
  if (!bytes.has(dirOffset, kItspLength)) return "its directory lies outside the file";
  const std::size_t itsp = static_cast<std::size_t>(dirOffset);
  if (file.substr(itsp, 4) != "ITSP" || bytes.u32(itsp + 4) != 1 || bytes.u32(itsp + 8) != kItspLength) {
    return "its directory header is damaged";
  }
  const std::uint32_t chunkLength = bytes.u32(itsp + 0x10);
  const auto indexRoot = static_cast<std::int32_t>(bytes.u32(itsp + 0x1C));
  const auto indexHead = static_cast<std::int32_t>(bytes.u32(itsp + 0x20));
  const std::uint32_t chunkCount = bytes.u32(itsp + 0x2C);  // (chmlib calls 0x28 the count; it is not)
  if (chunkLength < kSmallestChunk || chunkLength > kLargestChunk) return "its directory chunks have a wrong size";
  const std::size_t chunks = itsp + kItspLength;
  if (chunkCount == 0 || chunkCount > (file.size() - chunks) / chunkLength) {
    return "its directory is cut short";
  }
  const auto count = static_cast<std::int64_t>(chunkCount);
  if (indexHead < 0 || indexHead >= count || indexRoot < -1 || indexRoot >= count) {
    return "its directory index points outside the directory";
  }

  std::vector<Entry> entries;
  std::vector<std::vector<std::int64_t>> children(chunkCount);  // PMGI chunk -> chunks it points to
  std::vector<std::int32_t> nextListing(chunkCount, -1);         // PMGL chunk -> next one
  std::vector<char> isListing(chunkCount, 0);
  for (std::uint32_t c = 0; c < chunkCount; ++c) {
    const std::string_view chunk = file.substr(chunks + std::size_t(c) * chunkLength, chunkLength);
    const Bytes chunkBytes{chunk};
    const std::string_view kind = chunk.substr(0, 4);
    const bool listing = kind == "PMGL";
    if (!listing && kind != "PMGI") return "a directory chunk is damaged";
    const std::size_t header = listing ? kPmglHeader : kPmgiHeader;
    const std::uint32_t freeSpace = chunkBytes.u32(4);
    if (freeSpace > chunkLength - header) return "a directory chunk is damaged";
    const std::size_t end = chunkLength - freeSpace;
    if (listing) {
      isListing[c] = 1;
      nextListing[c] = static_cast<std::int32_t>(chunkBytes.u32(0x10));
    }
    std::size_t at = header;
    while (at < end) {
      std::uint64_t nameLength = 0;
      if (!readEncodedInt(chunk, at, end, nameLength) || nameLength > kMaxPathLength || nameLength > end - at) {
        return "a directory entry is damaged";
      }
      Entry entry;
      entry.path = std::string(chunk.substr(at, static_cast<std::size_t>(nameLength)));
      at += static_cast<std::size_t>(nameLength);
      if (listing) {
        if (!readEncodedInt(chunk, at, end, entry.space) || !readEncodedInt(chunk, at, end, entry.start) ||
            !readEncodedInt(chunk, at, end, entry.length)) {
          return "a directory entry is damaged";
        }
        entries.push_back(std::move(entry));
      } else {
        std::uint64_t target = 0;
        if (!readEncodedInt(chunk, at, end, target) || target >= chunkCount) return "the directory index is damaged";
        children[c].push_back(static_cast<std::int64_t>(target));
      }
    }
  }

  // Looking a name up walks the index from its root; it must end.
  if (indexRoot >= 0) {
    std::vector<char> state(chunkCount, 0);  // 0 unseen, 1 on the path, 2 done
    std::vector<std::pair<std::int64_t, std::size_t>> path{{indexRoot, 0}};
    state[std::size_t(indexRoot)] = 1;
    while (!path.empty()) {
      auto& [chunk, next] = path.back();
      if (next < children[std::size_t(chunk)].size()) {
        const std::int64_t child = children[std::size_t(chunk)][next++];
        if (state[std::size_t(child)] == 1) return "the directory index loops";
        if (state[std::size_t(child)] == 0) {
          state[std::size_t(child)] = 1;
          path.emplace_back(child, 0);
        }
      } else {
        state[std::size_t(chunk)] = 2;
        path.pop_back();
      }
    }
  }
  // Listing the file walks the leaf chunks from the first; it must end too.
  {
    std::vector<char> seen(chunkCount, 0);
    std::int64_t chunk = indexHead;
    while (chunk != -1) {
      if (chunk < 0 || chunk >= count || seen[std::size_t(chunk)] || !isListing[std::size_t(chunk)]) {
        return "the directory's chunk list is damaged";
      }
      seen[std::size_t(chunk)] = 1;
      chunk = nextListing[std::size_t(chunk)];
    }
  }

  // Every object must lie inside its section.
  const std::uint64_t dataLength = file.size() - dataOffset;
  for (const Entry& entry : entries) {
    if (entry.space > 1) return "an object lies in an unknown section";
    if (entry.space == 0 && !addWithin(entry.start, entry.length, dataLength)) return "an object lies outside the file";
  }
  const Entry* control = findEntry(entries, kControlData);
  const Entry* reset = findEntry(entries, kResetTable);
  const Entry* content = findEntry(entries, kContent);
  const Entry* span = findEntry(entries, kSpanInfo);
  if (control == nullptr || reset == nullptr || content == nullptr || span == nullptr || control->space != 0 ||
      reset->space != 0 || content->space != 0 || span->space != 0) {
    return "its compressed section is not described";
  }
  if (span->length < 8) return "its compressed section is damaged";

  // The compression's control data.
  if (control->length < 0x18 || control->length > kControlDataBuffer) return "its compression data is damaged";
  const std::size_t controlAt = static_cast<std::size_t>(dataOffset + control->start);
  if (file.substr(controlAt + 4, 4) != "LZXC") return "its compression data is damaged";
  std::uint32_t resetInterval = bytes.u32(controlAt + 0x0C);
  std::uint32_t windowSize = bytes.u32(controlAt + 0x10);
  const std::uint32_t windowsPerReset = bytes.u32(controlAt + 0x14);
  if (bytes.u32(controlAt + 8) == 2) {
    // As chmlib works it out, in 32 bits.
    resetInterval *= 0x8000u;
    windowSize *= 0x8000u;
  }
  const bool powerOfTwo = windowSize != 0 && (windowSize & (windowSize - 1)) == 0;
  if (!powerOfTwo || windowSize < (1u << 15) || windowSize > (1u << 21) || resetInterval == 0 ||
      resetInterval % (windowSize / 2) != 0) {
    return "its compression data is damaged";
  }
  // chmlib divides block numbers by (reset interval / half a window) x
  // windows per reset; kept small, the product is never 0 in 32 bits.
  if (resetInterval / (windowSize / 2) > kMaxResetFactor || windowsPerReset == 0 ||
      windowsPerReset > kMaxResetFactor) {
    return "its compression data is damaged";
  }

  // The reset table: where each compressed block starts.
  if (reset->length < 0x28) return "its compression table is damaged";
  const std::size_t resetAt = static_cast<std::size_t>(dataOffset + reset->start);
  const std::uint32_t tableVersion = bytes.u32(resetAt);
  const std::uint32_t blockCount = bytes.u32(resetAt + 4);
  const std::uint32_t tableOffset = bytes.u32(resetAt + 0x0C);
  const std::uint64_t uncompressedLength = bytes.u64(resetAt + 0x10);
  const std::uint64_t compressedLength = bytes.u64(resetAt + 0x18);
  const std::uint64_t blockLength = bytes.u64(resetAt + 0x20);
  if (tableVersion != 2 || blockLength != kLzxFrame || blockCount == 0) return "its compression table is damaged";
  if (!addWithin(tableOffset, std::uint64_t(blockCount) * 8, reset->length)) return "its compression table is damaged";
  if (compressedLength > content->length) return "its compressed data is cut short";
  if (uncompressedLength > std::uint64_t(blockCount) * blockLength) return "its compression table is damaged";
  std::uint64_t previous = 0;
  for (std::uint32_t b = 0; b < blockCount; ++b) {
    const std::uint64_t start = bytes.u64(resetAt + tableOffset + std::size_t(b) * 8);
    if ((b == 0 && start != 0) || start < previous || start - previous > blockLength + kLzxSlack ||
        start > compressedLength) {
      return "its compression table is damaged";
    }
    previous = start;
  }
  if (compressedLength - previous > blockLength + kLzxSlack) return "its compression table is damaged";
  for (const Entry& entry : entries) {
    if (entry.space == 1 && !addWithin(entry.start, entry.length, uncompressedLength)) {
      return "an object lies outside the compressed data";
    }
  }
  return {};
}

}  // namespace tarvelon
