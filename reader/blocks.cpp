#include <string>

#include "blocks.h"
#include "text.h"

namespace kelpie::reader {

BlockFile ParseBlocks(std::string_view text, const std::string& path, Problems& problems) {
  BlockFile result;
  bool inBlock = false;
  LineReader lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty() || line[0] == '#') continue;
    if (line.ends_with("{")) {
      if (inBlock) problems.Add(path, result.blocks.back().line, "block without its closing }");
      result.blocks.push_back(Block{lines.number(), std::string(Trim(line.substr(0, line.size() - 1))), {}});
      inBlock = true;
    } else if (line == "}") {
      if (!inBlock) problems.Add(path, lines.number(), "} without a block");
      inBlock = false;
    } else if (const std::size_t equals = line.find('='); equals != std::string_view::npos && equals > 0) {
      KeyValue field{lines.number(), std::string(Trim(line.substr(0, equals))),
                     std::string(Trim(line.substr(equals + 1)))};
      (inBlock ? result.blocks.back().fields : result.fields).push_back(std::move(field));
    } else {
      problems.Add(path, lines.number(), "not a KEY=value line: '" + std::string(line) + "'");
    }
  }
  if (inBlock) problems.Add(path, result.blocks.back().line, "block without its closing }");
  return result;
}

const KeyValue* BlockFields::Take(const char* key) {
  for (std::size_t i = 0; i < block_.fields.size(); ++i) {
    if (!used_[i] && block_.fields[i].key == key) {
      used_[i] = true;
      return &block_.fields[i];
    }
  }
  problems_.Add(path_, block_.line, block_.name + " block without " + key);
  return nullptr;
}

void BlockFields::Text(const char* key, std::string& value) {
  if (const KeyValue* field = Take(key)) value = field->value;
}

void BlockFields::Number(const char* key, double& value) {
  const KeyValue* field = Take(key);
  if (field != nullptr && !ParseNumber(field->value, value))
    problems_.Add(path_, field->line, std::string(key) + " is not a finite number: '" + field->value + "'");
}

void BlockFields::Integer(const char* key, int& value) {
  const KeyValue* field = Take(key);
  if (field != nullptr && !ParseInteger(field->value, value))
    problems_.Add(path_, field->line, std::string(key) + " is not a whole number: '" + field->value + "'");
}

void BlockFields::Finish() {
  for (std::size_t i = 0; i < block_.fields.size(); ++i) {
    if (!used_[i]) problems_.Add(path_, block_.fields[i].line, "unknown or repeated key " + block_.fields[i].key);
  }
}

}  // namespace kelpie::reader
