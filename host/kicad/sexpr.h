// S-expressions as KiCad writes them: lists in parentheses, bare atoms
// (words and numbers) and quoted strings with backslash escapes.
//
// Parse turns the whole text into a flat array of nodes in document order:
// a list is followed by its descendants, and each node knows where its
// subtree ends, so that the children of a list are walked without pointers
// and an unknown list is skipped in one step. Nodes keep byte offsets into
// the text; line and column are worked out only for a message.
#ifndef KELPIE_HOST_KICAD_SEXPR_H
#define KELPIE_HOST_KICAD_SEXPR_H

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelpie::host::kicad {

// How the tokenizer sees a byte: part of a word, a blank, or one of the
// three characters that end a word.
enum CharClass : std::uint8_t { kWordChar, kBlankChar, kOpenChar, kCloseChar, kQuoteChar };

constexpr std::array<std::uint8_t, 256> MakeCharClasses() {
  std::array<std::uint8_t, 256> classes{};
  for (const char c : {' ', '\t', '\n', '\r', '\f', '\v'}) classes[static_cast<unsigned char>(c)] = kBlankChar;
  classes['('] = kOpenChar;
  classes[')'] = kCloseChar;
  classes['"'] = kQuoteChar;
  return classes;
}
inline constexpr std::array<std::uint8_t, 256> kCharClasses = MakeCharClasses();

inline std::uint8_t ClassOf(char c) { return kCharClasses[static_cast<unsigned char>(c)]; }

// Eight bytes a node: a large board has millions of them.
struct Node {
  enum Kind : std::uint32_t { kList, kAtom, kString, kDecodedString };
  static constexpr std::uint32_t kOffsetMask = (1u << 30) - 1;

  Node(Kind kind, std::size_t offset, std::size_t value)
      : place(static_cast<std::uint32_t>(offset) | kind << 30), value(static_cast<std::uint32_t>(value)) {}
  Kind kind() const { return static_cast<Kind>(place >> 30); }
  std::uint32_t offset() const { return place & kOffsetMask; }  // where the token starts ('(' for a list)

  std::uint32_t place;  // the offset, with the kind in the top two bits
  // A list: the index just past its subtree. An atom or a string: its length
  // in the text. A decoded string: its place among the decoded strings.
  std::uint32_t value;
};

// Limits that keep a hostile file from exhausting the machine (files of up
// to 1 GB can be addressed).
struct ParseLimits {
  std::size_t maxBytes = std::size_t{256} << 20;
  std::size_t maxDepth = 100;
  std::size_t maxNodes = std::size_t{64} << 20;
};

class Document;

// A node of a document: a list, an atom or a string. Cheap to copy.
class Expr {
 public:
  Expr(const Document& document, std::uint32_t index) : document_(&document), index_(index) {}

  bool IsList() const;
  bool IsAtom() const;    // a bare word or number
  bool IsString() const;  // a quoted string
  // The text of an atom or a string (escapes decoded); empty for a list.
  std::string_view Text() const;
  // The first element of a list when it is an atom ("pad" in (pad ...)).
  std::string_view Head() const;
  std::uint32_t offset() const;

  // Children of a list, the head included.
  class Iterator {
   public:
    Iterator(const Document& document, std::uint32_t index) : document_(&document), index_(index) {}
    Expr operator*() const { return Expr(*document_, index_); }
    Iterator& operator++();
    bool operator!=(const Iterator& other) const { return index_ != other.index_; }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    const Document* document_;
    std::uint32_t index_;
  };
  Iterator begin() const;
  Iterator end() const;

  // The child at position i (0 is the head), or nothing.
  bool Has(std::size_t i) const;
  Expr At(std::size_t i) const;  // requires Has(i)
  bool Get(std::size_t i, Expr& child) const;  // false when there is no such child
  // The first child list whose head is the word, if any.
  bool Find(std::string_view head, Expr& found) const;

 private:
  const Document* document_;
  std::uint32_t index_;
};

struct Location {
  std::size_t line = 1;
  std::size_t column = 1;
};

class Document {
 public:
  // A list whose content the caller reads itself, straight from the text,
  // while the document is parsed (long point lists are read faster so).
  // read gets the text after the head word and the offset of the list's
  // '(', and returns how many bytes the content takes, up to the list's
  // closing ')'; it may throw to end the parse. In the document the list
  // holds its head only.
  struct Verbatim {
    std::string_view head;
    std::function<std::size_t(std::string_view rest, std::uint32_t listOffset)> read;
  };

  // Parses text, which must outlive the document's use; on failure returns
  // false with the byte offset of the problem and what was expected there.
  bool Parse(std::string_view text, const ParseLimits& limits, std::size_t& errorOffset, std::string& error,
             const Verbatim* verbatim = nullptr);

  Expr Root() const { return Expr(*this, 0); }
  std::string_view text() const { return text_; }
  std::size_t NodeCount() const { return nodes_.size(); }

  // Line and column (both from 1; the column counts bytes) of a byte offset.
  Location Locate(std::size_t offset) const;

 private:
  friend class Expr;
  std::uint32_t After(std::uint32_t index) const;
  struct Decoded {
    std::uint32_t start;
    std::uint32_t length;
  };
  std::string_view text_;
  std::string decoded_;  // strings whose escapes were decoded, one after the other
  std::vector<Decoded> decodedStrings_;
  std::vector<Node> nodes_;
};

// The accessors are inline: the reader calls them for every token.

inline bool Expr::IsList() const { return document_->nodes_[index_].kind() == Node::kList; }
inline bool Expr::IsAtom() const { return document_->nodes_[index_].kind() == Node::kAtom; }
inline bool Expr::IsString() const {
  const Node::Kind kind = document_->nodes_[index_].kind();
  return kind == Node::kString || kind == Node::kDecodedString;
}

inline std::string_view Expr::Text() const {
  const Node& node = document_->nodes_[index_];
  switch (node.kind()) {
    case Node::kList:
      return {};
    case Node::kDecodedString: {
      const Document::Decoded& decoded = document_->decodedStrings_[node.value];
      return std::string_view(document_->decoded_).substr(decoded.start, decoded.length);
    }
    default:
      return std::string_view(document_->text_.data() + node.offset(), node.value);
  }
}

inline std::string_view Expr::Head() const {
  const Node& node = document_->nodes_[index_];
  if (node.kind() != Node::kList || index_ + 1 >= node.value) return {};
  const Expr head(*document_, index_ + 1);
  return head.IsAtom() ? head.Text() : std::string_view();
}

inline std::uint32_t Expr::offset() const { return document_->nodes_[index_].offset(); }

// The node after a subtree: a list ends where its value says, others at once.
inline std::uint32_t Document::After(std::uint32_t index) const {
  const Node& node = nodes_[index];
  return node.kind() == Node::kList ? node.value : index + 1;
}

inline Expr::Iterator& Expr::Iterator::operator++() {
  index_ = document_->After(index_);
  return *this;
}

inline Expr::Iterator Expr::begin() const { return Iterator(*document_, IsList() ? index_ + 1 : index_); }
inline Expr::Iterator Expr::end() const { return Iterator(*document_, IsList() ? document_->After(index_) : index_); }

}  // namespace kelpie::host::kicad

#endif  // KELPIE_HOST_KICAD_SEXPR_H
