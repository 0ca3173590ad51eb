#include "format/extent.h"

#include <algorithm>

namespace orvella {

std::int64_t BytesIn(const std::vector<Extent>& extents) {
  std::int64_t sum = 0;
  for (const Extent& e : extents) sum += e.to - e.from;
  return sum;
}

void AddMerged(std::vector<Extent>& extents, Extent added) {
  if (added.to <= added.from) return;
  // Most additions come in drive order: join or append at the end.
  if (extents.empty() || extents.back().to < added.from) {
    extents.push_back(added);
    return;
  }
  std::vector<Extent> merged;
  for (const Extent& e : extents) {
    if (e.to < added.from || e.from > added.to) {
      merged.push_back(e);
    } else {
      added.from = std::min(added.from, e.from);
      added.to = std::max(added.to, e.to);
    }
  }
  merged.push_back(added);
  std::sort(merged.begin(), merged.end(), [](const Extent& a, const Extent& b) { return a.from < b.from; });
  extents = std::move(merged);
}

std::vector<Extent> Without(const std::vector<Extent>& from, const std::vector<Extent>& removed) {
  std::vector<Extent> kept;
  auto cut = removed.begin();
  for (const Extent& e : from) {
    std::int64_t start = e.from;
    while (cut != removed.end() && cut->to <= start) ++cut;
    for (auto c = cut; c != removed.end() && c->from < e.to; ++c) {
      if (c->from > start) kept.push_back({start, c->from});
      start = std::max(start, c->to);
    }
    if (start < e.to) kept.push_back({start, e.to});
  }
  return kept;
}

std::vector<Extent> Intersection(const std::vector<Extent>& a, const std::vector<Extent>& b) {
  std::vector<Extent> common;
  auto i = a.begin();
  auto k = b.begin();
  while (i != a.end() && k != b.end()) {
    const std::int64_t from = std::max(i->from, k->from);
    const std::int64_t to = std::min(i->to, k->to);
    if (from < to) common.push_back({from, to});
    if (i->to < k->to) ++i;
    else ++k;
  }
  return common;
}

std::vector<Extent> Within(const std::vector<Extent>& extents, Extent range) {
  std::vector<Extent> inside;
  auto e = std::upper_bound(extents.begin(), extents.end(), range.from,
                            [](std::int64_t at, const Extent& x) { return at < x.to; });
  for (; e != extents.end() && e->from < range.to; ++e)
    inside.push_back({std::max(e->from, range.from), std::min(e->to, range.to)});
  return inside;
}

std::vector<Extent> Bridged(const std::vector<Extent>& extents, std::int64_t gap) {
  std::vector<Extent> bridged;
  for (const Extent& e : extents) {
    if (!bridged.empty() && e.from - bridged.back().to < gap)
      bridged.back().to = e.to;
    else
      bridged.push_back(e);
  }
  return bridged;
}

}  // namespace orvella
