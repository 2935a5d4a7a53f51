// The numbered tables at the top of a features file (symbols "$", attribute
// names "@", attribute texts "&"), the symbol names, and the attributes that
// pad records carry.
#ifndef KELPIE_ODB_FEATURE_TABLES_H
#define KELPIE_ODB_FEATURE_TABLES_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/messages.h"
#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

// Texts in order of first addition, without repeats; a text's number is its
// position. The hash map beside the list gives that number without a search.
struct NameList {
  std::vector<std::string> entries;
  std::unordered_map<std::string, int> positions;

  // The number of the text, or -1.
  int Find(const std::string& text) const;
};

// Table numbers kept by key (a pad shape, a pin type, the bits of a width).
// The pads and lines of a layer come in runs that share their key (the pins
// of one component, the segments of one track), so the last answer is kept
// beside the map and a run asks the map once.
template <typename Key>
class KeptNumbers {
 public:
  bool Has(const Key& key) const { return Find(key) >= 0; }
  void Keep(const Key& key, int number) { numbers_.emplace(key, number); }
  // The number kept for the key, or -1.
  int Find(const Key& key) const {
    if (hasLast_ && key == lastKey_) return lastNumber_;
    const auto found = numbers_.find(key);
    if (found == numbers_.end()) return -1;
    hasLast_ = true;
    lastKey_ = key;
    lastNumber_ = found->second;
    return lastNumber_;
  }

 private:
  std::unordered_map<Key, int> numbers_;
  // The last key found, and its number: a cache that lookups update.
  mutable bool hasLast_ = false;
  mutable Key lastKey_{};
  mutable int lastNumber_ = -1;
};

// What a pad record writes in its attribute list, worked out while the names
// are collected so that writing the records need not visit every pin again.
struct PadAttributes {
  int geometryText;  // the text of its pin type's name (or the blank); -1: the name is empty
  char usage;        // the .pad_usage value
  char drill;        // the .drill value, written on drill layers only
};

struct FeatureTables {
  NameList symbols;
  NameList attributes;  // without their leading point
  NameList texts;
  // Symbol numbers by pad shape and by the bit pattern of a line width, filled
  // while the names are collected: the records of a layer then find their
  // symbol without formatting and hashing its name again.
  KeptNumbers<const PadShape*> shapeSymbols;
  KeptNumbers<std::uint64_t> widthSymbols;
  // Numbers that every pad record writes, kept once the names are collected
  // (-1 before): the text of each pin type's name, and the three attribute
  // names.
  KeptNumbers<const PinType*> pinTypeTexts;
  int geometryAttribute = -1;
  int drillAttribute = -1;
  int padUsageAttribute = -1;
  std::vector<PadAttributes> padAttributes;  // one for each pad of the layer, in order
};

// The lines of a layer as its features file lists them: the layer's own
// lines, then `outlineCopies` times the lines drawn from its contours'
// outlines.
struct LayerLines {
  const RecordList<LineFeature>& own;
  const std::vector<LineFeature>& outlines;
  int outlineCopies;
};

// Symbol names: the standard symbol of a pad shape (a polygon shape's own
// name; an unknown kind reports an error and gives an empty name), and the
// round symbol that draws a line or arc of the given width. Sizes are in
// thousandths of an inch.
std::string PadTypeToName(const PadShape* shape, const Messages& messages);
std::string RoundSymbolName(double width);

// Appends the text unless it is listed already; gives the text's number.
int AddUnique(NameList& list, const std::string& text);
// Fills the tables with the names of the layer's pads, then those of `lines`,
// of the arcs and of the contours' outlines, then the three attribute names;
// and works out the attributes of each pad.
void CollectFeatureNames(FeatureTables& tables, const Layer& layer, const LayerLines& lines,
                         const Messages& messages);
void WriteFeatureTables(FileWriter& writer, const FeatureTables& tables);

// Add the symbol number of a pad shape or line width to the pending line,
// after a blank. An unlisted name is reported; false then.
[[nodiscard]] bool WriteShapeSymbol(FileWriter& writer, const FeatureTables& tables,
                                    const PadShape* shape, const Messages& messages);
[[nodiscard]] bool WriteWidthSymbol(FileWriter& writer, const FeatureTables& tables, double width,
                                    const Messages& messages);
// The attribute list of a pad record: geometry (its pin type's name), pad
// usage and, on drill layers, the drill kind, as "0=1,2=0,1=2". False after
// an empty geometry was reported.
[[nodiscard]] bool WritePadAttributes(FileWriter& writer, const FeatureTables& tables,
                                      const PadAttributes& pad, bool onDrillLayer,
                                      const Messages& messages);

}  // namespace kelpie

#endif
