// The record list must keep every record where it was made (hosts hold
// pointers to them), give them back in order across its growing blocks, and
// destroy each exactly once.
#include "model/record_list.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "odb/net_groups.h"

namespace kelpie::test {
namespace {

struct Counted {
  explicit Counted(int value, int& alive) : value(value), alive(&alive) { ++alive; }
  Counted(const Counted&) = delete;
  ~Counted() { --*alive; }
  int value;
  int* alive;
};

TEST(RecordList, KeepsAddressesAndOrderAcrossBlocksAndDestroysEachRecordOnce) {
  using List = RecordList<Counted>;
  // Every growing block, three large ones and a part of a fourth.
  const int count = static_cast<int>(List::kFirstBlock * ((1 << List::kDoublings) - 1) +
                                     3 * List::kLargestBlock + 7);
  int alive = 0;
  {
    List list;
    std::vector<const Counted*> addresses;
    for (int i = 0; i < count; ++i) addresses.push_back(&list.emplace_back(i, alive));
    ASSERT_EQ(list.size(), static_cast<size_t>(count));
    EXPECT_EQ(alive, count);

    int expected = 0;
    for (const Counted& record : std::as_const(list)) {
      ASSERT_EQ(&record, addresses[static_cast<size_t>(expected)]) << expected;
      ASSERT_EQ(record.value, expected);
      ++expected;
    }
    EXPECT_EQ(expected, count);
    for (int i = 0; i < count; ++i)
      ASSERT_EQ(&list[static_cast<size_t>(i)], addresses[static_cast<size_t>(i)]);
    EXPECT_EQ(list.back().value, count - 1);
    EXPECT_THROW(list.at(static_cast<size_t>(count)), std::out_of_range);

    List moved = std::move(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(&moved.front(), addresses.front());
    EXPECT_EQ(alive, count);
  }
  EXPECT_EQ(alive, 0);
}

TEST(RecordList, PositionFinderKnowsEveryElementAndNothingElse) {
  using List = RecordList<std::pair<int, int>>;
  // Two large blocks and a part of a third: the last block is only partly in use.
  const size_t count = List::kFirstBlock * ((1 << List::kDoublings) - 1) +
                       2 * List::kLargestBlock + 5;
  List list;
  for (size_t i = 0; i < count; ++i) list.emplace_back(static_cast<int>(i), 0);
  List other;
  const std::pair<int, int>& foreign = other.emplace_back(0, 0);

  List::PositionFinder positions(list);
  // In order, backwards (every lookup leaves the remembered block) and in
  // strides that jump between blocks.
  for (size_t i = 0; i < count; ++i) ASSERT_EQ(positions.Of(&list[i]), i);
  for (size_t i = count; i-- > 0;) ASSERT_EQ(positions.Of(&list[i]), i);
  for (size_t i = 0; i < count; i += 997) ASSERT_EQ(positions.Of(&list[count - 1 - i]), count - 1 - i);

  EXPECT_EQ(positions.Of(nullptr), kNoPosition);
  EXPECT_EQ(positions.Of(&list[5]), 5U);  // remembers the first block
  EXPECT_EQ(positions.Of(&foreign), kNoPosition);
  // One past the last element: inside the last block, but not in use.
  EXPECT_EQ(positions.Of(&list.back() + 1), kNoPosition);
  // An address inside an element is no element.
  const auto* inside = reinterpret_cast<const std::pair<int, int>*>(
      reinterpret_cast<const char*>(&list[3]) + sizeof(int));
  EXPECT_EQ(positions.Of(inside), kNoPosition);
}

TEST(Groups, KeepTheOrderOfEachGroupAndDropItemsOfNoGroup) {
  const std::vector<std::pair<int, char>> items = {{2, 'a'}, {0, 'b'}, {-1, 'x'}, {2, 'c'},
                                                   {3, 'y'}, {0, 'd'}, {2, 'e'}};
  Groups<char> groups;
  groups.Build(3, [&](const auto& visit) {
    for (const auto& [group, item] : items) visit(group, item);
  });
  const auto text = [&](int group) {
    const auto of = groups.Of(group);
    return std::string(of.begin(), of.end());
  };
  EXPECT_EQ(text(0), "bd");
  EXPECT_EQ(text(1), "");
  EXPECT_EQ(text(2), "ace");
  EXPECT_EQ(text(3), "");
  EXPECT_EQ(text(-1), "");
}

}  // namespace
}  // namespace kelpie::test
