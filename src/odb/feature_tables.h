// The numbered tables at the top of a features file (symbols "$", attribute
// names "@", attribute texts "&") and the attributes that pad records carry.
#ifndef KELPIE_ODB_FEATURE_TABLES_H
#define KELPIE_ODB_FEATURE_TABLES_H

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

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

struct FeatureTables {
  NameList symbols;
  NameList attributes;  // without their leading point
  NameList texts;
  // Symbol numbers by pad shape and by the bit pattern of a line width, filled
  // while the names are collected: the records of a layer then find their
  // symbol without formatting and hashing its name again.
  std::unordered_map<const PadShape*, int> shapeSymbols;
  std::unordered_map<std::uint64_t, int> widthSymbols;
};

// Appends the text unless it is listed already; gives the text's number.
int AddUnique(NameList& list, const std::string& text);
// Fills the tables with every name the layer's records will need.
bool CollectFeatureNames(FeatureTables& tables, Layer* layer);
bool WriteFeatureTables(FeatureTables& tables, cFileWriter& writer);
bool WriteNameTable(cFileWriter& writer, const NameList& list, const std::string& prefix,
                    const std::string& namePrefix);
// Adds the name's number to the pending line, after a blank when withBlank;
// an unlisted name is an error. True = failed.
bool WriteNameIndex(cFileWriter& writer, const NameList& list, bool withBlank,
                    const std::string& name);
// Adds the number itself, as WriteNameIndex does once it found it.
bool WriteTableNumber(cFileWriter& writer, int number, bool withBlank);
// "<attribute number>=<text number>" for a text attribute.
bool WriteTextAttribute(FeatureTables& tables, cFileWriter& writer,
                        const std::string& attributeName, const std::string& value);
// Value of the .pad_usage attribute: toeprint, via, or global/local fiducial.
std::string PadUsageValue(const PadFeature* pad);
// Value of the .drill attribute of a pad on a drill layer.
std::string DrillValue(const PadFeature* pad);

// The key under which widthSymbols keeps a width: equal bits give equal names.
std::uint64_t WidthKey(double width);

}  // namespace kelpie

#endif
