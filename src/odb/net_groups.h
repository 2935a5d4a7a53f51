// Records of one file grouped by net (or by pin), built once per file. The
// EDA data, the netlist and their kin list "every feature of this net" for
// every net; grouping first lets each record be visited once instead of once
// per net, while every group keeps the order in which the design holds its
// records.
#ifndef KELPIE_ODB_NET_GROUPS_H
#define KELPIE_ODB_NET_GROUPS_H

#include <span>
#include <vector>

#include "model/records.h"

namespace kelpie {

// The net's position in the step's nets, or -1 when the net is null or not
// one of this step's nets. Nets are matched by identity: two nets of equal
// name are two nets, and a net handle of another step (layers are shared by
// all steps) belongs to no net of this one.
inline int StepNetNumber(const Step& step, const Net* net) {
  if (net == nullptr || net->index < 0 || static_cast<size_t>(net->index) >= step.nets.size())
    return -1;
  return &step.nets[static_cast<size_t>(net->index)] == net ? net->index : -1;
}

// Whether the pin is one of the step's pins (a component of one step may be
// given pins while another step is current).
inline bool IsPinOf(const Step& step, const Pin* pin) {
  return pin != nullptr && static_cast<size_t>(pin->indexInStep) < step.pins.size() &&
         &step.pins[static_cast<size_t>(pin->indexInStep)] == pin;
}

// Items sorted into numbered groups. Add every item, then Build once; each
// group then holds its items in the order in which they were added.
template <typename T>
class Groups {
 public:
  void Reserve(size_t items) { entries_.reserve(items); }
  void Add(int group, const T& item) { entries_.push_back({group, item}); }

  // A stable counting sort: linear in items plus groups.
  void Build(int groupCount) {
    // Each group's size, then the running sums: where each group ends.
    starts_.assign(static_cast<size_t>(groupCount) + 1, 0);
    for (const Entry& entry : entries_) ++starts_[static_cast<size_t>(entry.group)];
    for (size_t g = 1; g < starts_.size(); ++g) starts_[g] += starts_[g - 1];
    // The items placed from the last one back, each group filled from its
    // end, so that every group keeps the order of addition and its counter
    // ends where the group begins.
    items_.resize(entries_.size());
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry)
      items_[--starts_[static_cast<size_t>(entry->group)]] = entry->item;
    entries_.clear();
    entries_.shrink_to_fit();
  }

  // The items of one group; empty for a group number outside the range.
  std::span<const T> Of(int group) const {
    if (group < 0 || static_cast<size_t>(group) + 1 >= starts_.size()) return {};
    const size_t first = starts_[static_cast<size_t>(group)];
    const size_t last = starts_[static_cast<size_t>(group) + 1];
    return std::span<const T>(items_.data() + first, last - first);
  }

 private:
  struct Entry {
    int group;
    T item;
  };
  std::vector<Entry> entries_;
  std::vector<size_t> starts_;
  std::vector<T> items_;
};

}  // namespace kelpie

#endif
