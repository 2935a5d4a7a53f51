#include "sexpr.h"

#include <algorithm>
#include <array>

namespace kelpie::host::kicad {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the escapes of the string body [from, to) onto out.
void DecodeEscapes(const char* from, const char* to, std::string& out) {
  while (from < to) {
    const char c = *from++;
    if (c != '\\' || from == to) {
      out.push_back(c);
      continue;
    }
    const char e = *from++;
    switch (e) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case 'a': out.push_back('\a'); break;
      case 'b': out.push_back('\b'); break;
      case 'f': out.push_back('\f'); break;
      case 'v': out.push_back('\v'); break;
      case 'x': {
        int value = 0;
        int digits = 0;
        while (digits < 2 && from < to && HexValue(*from) >= 0) {
          value = value * 16 + HexValue(*from++);
          ++digits;
        }
        out.push_back(digits > 0 ? static_cast<char>(value) : 'x');
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          int value = e - '0';
          for (int digits = 1; digits < 3 && from < to && *from >= '0' && *from <= '7'; ++digits)
            value = value * 8 + (*from++ - '0');
          out.push_back(static_cast<char>(value));
        } else {
          out.push_back(e);  // \\, \" and anything unknown stand for themselves
        }
    }
  }
}

}  // namespace

bool Expr::Get(std::size_t i, Expr& child) const {
  std::size_t seen = 0;
  for (auto it = begin(); it != end(); ++it) {
    if (seen++ == i) {
      child = *it;
      return true;
    }
  }
  return false;
}

bool Expr::Has(std::size_t i) const {
  Expr child = *this;
  return Get(i, child);
}

Expr Expr::At(std::size_t i) const {
  Expr child = *this;
  Get(i, child);
  return child;
}

bool Expr::Find(std::string_view head, Expr& found) const {
  for (const Expr child : *this) {
    if (child.IsList() && child.Head() == head) {
      found = child;
      return true;
    }
  }
  return false;
}

bool Document::Parse(std::string_view text, const ParseLimits& limits, std::size_t& errorOffset, std::string& error,
                     const Verbatim* verbatim) {
  text_ = text;
  decoded_.clear();
  decodedStrings_.clear();
  nodes_.clear();
  auto fail = [&](std::size_t at, std::string what) {
    errorOffset = at;
    error = std::move(what);
    nodes_.clear();
    return false;
  };
  const std::size_t size = text_.size();
  auto unclosed = [&](std::uint32_t list) {
    const Location start = Locate(nodes_[list].offset());
    return fail(size, "')' to close the list opened at line " + std::to_string(start.line) + ", column " +
                          std::to_string(start.column));
  };
  if (size > limits.maxBytes || size > Node::kOffsetMask)
    return fail(0, "a file of at most " + std::to_string(limits.maxBytes >> 20) + " MB (this one has " +
                       std::to_string(size) + " bytes)");
  nodes_.reserve(size / 3 + 16);  // real boards hold a token in every 7 or 8 bytes
  const char* const data = text_.data();
  std::vector<std::uint32_t> open;
  std::size_t i = 0;
  while (true) {
    while (i < size && ClassOf(data[i]) == kBlankChar) ++i;
    if (i == size) break;
    if (nodes_.size() >= limits.maxNodes)
      return fail(i, "at most " + std::to_string(limits.maxNodes) + " tokens in a file");
    const std::uint8_t kind = ClassOf(data[i]);
    const auto index = static_cast<std::uint32_t>(nodes_.size());
    if (kind == kOpenChar) {
      if (open.size() >= limits.maxDepth)
        return fail(i, "at most " + std::to_string(limits.maxDepth) + " lists nested in one another");
      nodes_.emplace_back(Node::kList, i, 0);
      ++i;
      std::size_t word = i;
      while (word < size && ClassOf(data[word]) == kWordChar) ++word;
      const std::string_view head(data + i, word - i);
      if (verbatim == nullptr || head != verbatim->head) {
        open.push_back(index);
        continue;
      }
      // A verbatim list: its head, then the content that the caller reads.
      nodes_.emplace_back(Node::kAtom, i, head.size());
      const std::size_t end = word + verbatim->read(text_.substr(word), static_cast<std::uint32_t>(i - 1));
      if (end >= size || data[end] != ')') return unclosed(index);
      nodes_[index].value = static_cast<std::uint32_t>(nodes_.size());
      i = end + 1;
      continue;
    }
    if (kind == kCloseChar) {
      if (open.empty()) return fail(i, "'(' before ')'");
      nodes_[open.back()].value = index;
      open.pop_back();
      ++i;
      if (!open.empty()) continue;
      // The board is complete; only blanks may follow.
      while (i < size && ClassOf(data[i]) == kBlankChar) ++i;
      if (i < size) return fail(i, "the end of the file after the board's closing ')'");
      break;
    }
    if (open.empty()) return fail(i, "'(' at the start of the file");
    if (kind == kQuoteChar) {
      std::size_t j = i + 1;
      bool escaped = false;
      while (j < size && data[j] != '"') {
        if (data[j] == '\\') {
          escaped = true;
          ++j;
        }
        ++j;
      }
      if (j >= size) return fail(i, "'\"' to end the string that starts here");
      if (escaped) {
        const auto start = static_cast<std::uint32_t>(decoded_.size());
        DecodeEscapes(data + i + 1, data + j, decoded_);
        nodes_.emplace_back(Node::kDecodedString, i, decodedStrings_.size());
        decodedStrings_.push_back({start, static_cast<std::uint32_t>(decoded_.size() - start)});
      } else {
        nodes_.emplace_back(Node::kString, i + 1, j - i - 1);
      }
      i = j + 1;
    } else {
      std::size_t j = i + 1;
      while (j < size && ClassOf(data[j]) == kWordChar) ++j;
      nodes_.emplace_back(Node::kAtom, i, j - i);
      i = j;
    }
  }
  if (!open.empty()) return unclosed(open.back());
  if (nodes_.empty()) return fail(size, "'(' at the start of the file");
  return true;
}

Location Document::Locate(std::size_t offset) const {
  Location location;
  const std::size_t limit = offset < text_.size() ? offset : text_.size();
  for (std::size_t i = 0; i < limit; ++i) {
    if (text_[i] == '\n') {
      ++location.line;
      location.column = 1;
    } else {
      ++location.column;
    }
  }
  return location;
}

}  // namespace kelpie::host::kicad
