// Byte ranges of a drive, and the arithmetic the erase does on lists of
// them: what a run went over, what failed, what was written, what a
// read-back plan covers.
#pragma once

#include <cstdint>
#include <vector>

namespace orvella {

// A half-open byte range [from, to) of the drive.
struct Extent {
  std::int64_t from = 0;
  std::int64_t to = 0;
  bool operator==(const Extent&) const = default;
};

// The bytes a list holds, overlaps not counted twice when it is merged.
std::int64_t BytesIn(const std::vector<Extent>& extents);

// Adds `added` to an ascending list of separate extents, joining it with
// those it touches or overlaps.
void AddMerged(std::vector<Extent>& extents, Extent added);

// The parts of `from` (ascending, separate) outside every extent of
// `removed` (ascending, separate).
std::vector<Extent> Without(const std::vector<Extent>& from, const std::vector<Extent>& removed);

// The parts both ascending, separate lists hold.
std::vector<Extent> Intersection(const std::vector<Extent>& a, const std::vector<Extent>& b);

// The parts of an ascending, separate list that lie within `range`.
std::vector<Extent> Within(const std::vector<Extent>& extents, Extent range);

// An ascending, separate list with each gap narrower than `gap` filled, so
// that neighbours that close in become one extent.
std::vector<Extent> Bridged(const std::vector<Extent>& extents, std::int64_t gap);

}  // namespace orvella
