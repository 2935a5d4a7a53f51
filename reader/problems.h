// What the reader and the checks find wrong, each at a file and a line.
#ifndef KELPIE_READER_PROBLEMS_H
#define KELPIE_READER_PROBLEMS_H

#include <string>
#include <vector>

namespace kelpie::reader {

struct Problem {
  std::string path;  // as shown to the user: the source's name and the path inside it
  int line = 0;      // 1-based; 0 for the file as a whole
  std::string message;
};

// Problems in the order found. Shown as "path:line: message" (or
// "path: message" for a whole file).
class Problems {
 public:
  void Add(std::string path, int line, std::string message);
  const std::vector<Problem>& list() const { return list_; }
  bool empty() const { return list_.empty(); }
  std::size_t size() const { return list_.size(); }

 private:
  std::vector<Problem> list_;
};

std::string Show(const Problem& problem);

}  // namespace kelpie::reader

#endif  // KELPIE_READER_PROBLEMS_H
