// RecordList: the list that owns the design's records. Like std::deque it
// never moves an element once added (the host holds raw pointers to records
// as handles), but it keeps its elements in few large blocks instead of many
// 512-byte ones: the blocks double in size from kFirstBlock elements up to
// kLargestBlock elements and stay at that size after. A walk over a list of
// a million pads then reads memory front to back, which the processor can
// fetch ahead, and the list costs no allocation overhead per few elements.
#ifndef KELPIE_MODEL_RECORD_LIST_H
#define KELPIE_MODEL_RECORD_LIST_H

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace kelpie {

// What RecordList's PositionFinder answers for an address that is none of
// the list's elements.
inline constexpr size_t kNoPosition = static_cast<size_t>(-1);

template <typename T>
class RecordList {
 public:
  static constexpr size_t kFirstBlock = 16;
  static constexpr int kDoublings = 8;  // blocks of up to 16 << 8 = 4096 elements
  static constexpr size_t kLargestBlock = kFirstBlock << kDoublings;

  template <bool kConst>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = std::conditional_t<kConst, const T*, T*>;
    using reference = std::conditional_t<kConst, const T&, T&>;

    Iterator() = default;
    reference operator*() const { return *at_; }
    pointer operator->() const { return at_; }
    Iterator& operator++() {
      ++index_;
      if (++at_ == blockEnd_ && index_ < list_->size_) EnterBlock(++block_);
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }
    // A mutable iterator converts to a constant one.
    operator Iterator<true>() const { return Iterator<true>(list_, index_); }

   private:
    friend class RecordList;
    template <bool>
    friend class Iterator;
    using List = std::conditional_t<kConst, const RecordList, RecordList>;
    Iterator(List* list, size_t index) : list_(list), index_(index) {
      if (index_ < list_->size_) {
        const Position position = Locate(index_);
        EnterBlock(position.block);
        at_ += position.offset;
      }
    }
    void EnterBlock(size_t block) {
      block_ = block;
      at_ = list_->blocks_[block];
      blockEnd_ = at_ + BlockCapacity(block);
    }

    List* list_ = nullptr;
    size_t index_ = 0;
    size_t block_ = 0;
    pointer at_ = nullptr;
    pointer blockEnd_ = nullptr;
  };
  using iterator = Iterator<false>;
  using const_iterator = Iterator<true>;
  using value_type = T;

  RecordList() = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;
  RecordList(RecordList&& other) noexcept
      : blocks_(std::exchange(other.blocks_, {})), size_(std::exchange(other.size_, 0)) {}
  RecordList& operator=(RecordList&& other) noexcept {
    if (this != &other) {
      clear();
      blocks_ = std::exchange(other.blocks_, {});
      size_ = std::exchange(other.size_, 0);
    }
    return *this;
  }
  ~RecordList() { clear(); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  T& operator[](size_t index) { return *Address(index); }
  const T& operator[](size_t index) const { return *Address(index); }
  T& at(size_t index) { return index < size_ ? (*this)[index] : OutOfRange(); }
  const T& at(size_t index) const { return index < size_ ? (*this)[index] : OutOfRange(); }
  T& front() { return (*this)[0]; }
  const T& front() const { return (*this)[0]; }
  T& back() { return (*this)[size_ - 1]; }
  const T& back() const { return (*this)[size_ - 1]; }

  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, size_); }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size_); }

  // Finds the positions of elements from their addresses alone, without
  // reading them: for a walk over records that point into this list when the
  // elements pointed to are too many to stay in cache. It remembers the block
  // of the last element found, as neighbours tend to be asked for in turn.
  // The list must not grow while a finder is in use.
  class PositionFinder {
   public:
    explicit PositionFinder(const RecordList& list) {
      size_t first = 0;
      for (size_t block = 0; block < list.blocks_.size(); ++block) {
        const size_t count = std::min(BlockCapacity(block), list.size_ - first);
        const auto start = reinterpret_cast<std::uintptr_t>(list.blocks_[block]);
        spans_.push_back({start, count * sizeof(T), first});
        first += count;
      }
      std::sort(spans_.begin(), spans_.end(),
                [](const Span& a, const Span& b) { return a.start < b.start; });
    }

    // The position of `element` in the list, or kNoPosition when it is not
    // one of the list's elements (null included).
    size_t Of(const T* element) {
      const auto address = reinterpret_cast<std::uintptr_t>(element);
      if (address - last_.start >= last_.bytes) {
        // The last span starting at or before the address.
        const auto after =
            std::upper_bound(spans_.begin(), spans_.end(), address,
                             [](std::uintptr_t a, const Span& span) { return a < span.start; });
        if (after == spans_.begin()) return kNoPosition;
        const Span& span = *std::prev(after);
        if (address - span.start >= span.bytes) return kNoPosition;
        last_ = span;
      }
      const std::uintptr_t offset = address - last_.start;
      if (offset % sizeof(T) != 0) return kNoPosition;
      return last_.firstIndex + offset / sizeof(T);
    }

   private:
    struct Span {
      std::uintptr_t start;  // the block's address
      std::uintptr_t bytes;  // the part of it in use
      size_t firstIndex;     // the position of its first element
    };
    std::vector<Span> spans_;
    Span last_{0, 0, 0};
  };

  template <typename... Args>
  T& emplace_back(Args&&... args) {
    const Position position = Locate(size_);
    if (position.block == blocks_.size()) {
      blocks_.reserve(blocks_.size() + 1);  // so that the push below cannot throw
      blocks_.push_back(AllocateBlock(BlockCapacity(position.block)));
    }
    T* slot = blocks_[position.block] + position.offset;
    ::new (static_cast<void*>(slot)) T(std::forward<Args>(args)...);
    ++size_;
    return *slot;
  }
  void push_back(const T& value) { emplace_back(value); }
  void push_back(T&& value) { emplace_back(std::move(value)); }

  void clear() {
    for (size_t index = 0; index < size_; ++index) Address(index)->~T();
    for (size_t block = 0; block < blocks_.size(); ++block)
      ::operator delete(blocks_[block], kBlockAlignment);
    blocks_.clear();
    size_ = 0;
  }

 private:
  // Blocks start on a cache line, so that a 64-byte record takes exactly one.
  static constexpr std::align_val_t kBlockAlignment{std::max<size_t>(64, alignof(T))};
  static T* AllocateBlock(size_t capacity) {
    return static_cast<T*>(::operator new(capacity * sizeof(T), kBlockAlignment));
  }

  struct Position {
    size_t block;
    size_t offset;
  };

  static constexpr size_t BlockCapacity(size_t block) {
    return kFirstBlock << (block < kDoublings ? block : kDoublings);
  }
  // Blocks 0 .. kDoublings-1 double in size and together hold
  // kFirstBlock * (2^kDoublings - 1) elements; every block after holds
  // kLargestBlock.
  static Position Locate(size_t index) {
    constexpr size_t kGrowing = kFirstBlock * ((size_t{1} << kDoublings) - 1);
    if (index < kGrowing) {
      const size_t block = static_cast<size_t>(std::bit_width(index / kFirstBlock + 1)) - 1;
      return {block, index - kFirstBlock * ((size_t{1} << block) - 1)};
    }
    const size_t beyond = index - kGrowing;
    return {kDoublings + beyond / kLargestBlock, beyond % kLargestBlock};
  }
  [[noreturn]] static T& OutOfRange() { throw std::out_of_range("RecordList::at"); }
  T* Address(size_t index) const {
    const Position position = Locate(index);
    return blocks_[position.block] + position.offset;
  }

  std::vector<T*> blocks_;
  size_t size_ = 0;
};

}  // namespace kelpie

#endif
