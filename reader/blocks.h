// Files made of "KEY=value" lines and "NAME {" ... "}" blocks of them: the
// matrix and the drill tools files.
#ifndef KELPIE_READER_BLOCKS_H
#define KELPIE_READER_BLOCKS_H

#include <string>
#include <string_view>
#include <vector>

#include "job.h"
#include "problems.h"

namespace kelpie::reader {

struct Block {
  int line = 0;  // of "NAME {"
  std::string name;
  std::vector<KeyValue> fields;
};

struct BlockFile {
  std::vector<KeyValue> fields;  // outside any block
  std::vector<Block> blocks;
};

BlockFile ParseBlocks(std::string_view text, const std::string& path, Problems& problems);

// Takes the fields of a block by key: each Text/Number/Integer call looks a
// key up; at the end, Finish reports keys that were missing or unknown.
class BlockFields {
 public:
  BlockFields(const Block& block, const std::string& path, Problems& problems)
      : block_(block), path_(path), problems_(problems), used_(block.fields.size(), false) {}
  void Text(const char* key, std::string& value);
  void Number(const char* key, double& value);
  void Integer(const char* key, int& value);
  void Finish();

 private:
  const KeyValue* Take(const char* key);

  const Block& block_;
  const std::string& path_;
  Problems& problems_;
  std::vector<bool> used_;
};

}  // namespace kelpie::reader

#endif  // KELPIE_READER_BLOCKS_H
