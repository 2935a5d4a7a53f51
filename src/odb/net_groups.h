// Records of one file grouped by net (or by pin), built once per file. The
// EDA data, the netlist and their kin list "every feature of this net" for
// every net; grouping first lets each record be visited once instead of once
// per net, while every group keeps the order in which the design holds its
// records.
#ifndef KELPIE_ODB_NET_GROUPS_H
#define KELPIE_ODB_NET_GROUPS_H

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "model/records.h"

namespace kelpie {

// Whether the pin is one of the step's pins (a component of one step may be
// given pins while another step is current).
inline bool IsPinOf(const Step& step, const Pin* pin) {
  return pin != nullptr && static_cast<size_t>(pin->indexInStep) < step.pins.size() &&
         &step.pins[static_cast<size_t>(pin->indexInStep)] == pin;
}

// A position a RecordList finder gave, as a group number: -1 for none. A
// finder over a step's nets matches nets by identity: two nets of equal name
// are two nets, and a net handle of another step (layers are shared by all
// steps) belongs to no net of this one.
inline int PositionOrNone(size_t position) {
  return position == kNoPosition ? -1 : static_cast<int>(position);
}

// Items sorted into numbered groups; each group holds its items in the order
// in which they were given.
template <typename T>
class Groups {
 public:
  // A stable counting sort in two passes over the items, linear in items plus
  // groups, with no list of the items besides the result: `forEach(visit)`
  // must call visit(group, item) for every item, the same way both times. An
  // item of a group outside 0 .. groupCount-1 belongs to none.
  template <typename ForEach>
  void Build(int groupCount, const ForEach& forEach) {
    const auto inRange = [groupCount](int group) { return group >= 0 && group < groupCount; };
    // Each group's size, one place to the right, then the running sums:
    // where each group begins.
    starts_.assign(static_cast<size_t>(groupCount) + 1, 0);
    forEach([&](int group, const T&) {
      if (inRange(group)) ++starts_[static_cast<size_t>(group) + 1];
    });
    for (size_t g = 1; g < starts_.size(); ++g) starts_[g] += starts_[g - 1];
    // The items placed with each group's start as its cursor; a cursor ends
    // where the next group begins, so the starts are then shifted back by one.
    // The list is left unfilled until then: every place in it is written
    // once, and filling it first would only touch the memory twice.
    items_ = std::make_unique_for_overwrite<T[]>(starts_.back());
    forEach([&](int group, const T& item) {
      if (inRange(group)) items_[starts_[static_cast<size_t>(group)]++] = item;
    });
    for (size_t g = starts_.size() - 1; g > 0; --g) starts_[g] = starts_[g - 1];
    starts_[0] = 0;
  }

  // The items of one group; empty for a group number outside the range.
  std::span<const T> Of(int group) const {
    if (group < 0 || static_cast<size_t>(group) + 1 >= starts_.size()) return {};
    const size_t first = starts_[static_cast<size_t>(group)];
    const size_t last = starts_[static_cast<size_t>(group) + 1];
    return std::span<const T>(items_.get() + first, last - first);
  }

 private:
  // Where each group begins in items_, and the end of the last one. Positions
  // fit 32 bits: 2^32 features would take well over 100 GB of design.
  std::vector<std::uint32_t> starts_;
  std::unique_ptr<T[]> items_;
};

}  // namespace kelpie

#endif
