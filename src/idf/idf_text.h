// What the two IDF files share: their names, units, header line and loops.
#ifndef KELPIE_IDF_IDF_TEXT_H
#define KELPIE_IDF_IDF_TEXT_H

#include <string>
#include <vector>

#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

// IDF files are written in millimetres; the model holds inches.
constexpr double kMillimetresPerInch = 25.4;

// The name as IDF readers take it: only 0-9 a-z A-Z - _ . + are kept, in
// their case.
std::string LegalIdfName(const std::string& text);
// The name that stands for a component's package and part number: its part
// name, or its package type's name when the host gave none.
const std::string& IdfPartName(const Component& component);
// The moment of writing as 2026/12/04.18:05:09, read afresh at each call.
std::string IdfDateStamp();
// The second header line of either file, e.g. BOARD_FILE 3.0 "..." <date> 1.
void WriteIdfFileLine(FileWriter& writer, const std::string& fileKind);
// Begins a line with the part's name twice, each quoted: "name" "name".
void BeginPartNameLine(FileWriter& writer, const std::string& name);
// One closed loop as "0 X Y 0" lines in millimetres, walked counter-clockwise
// whichever way the host gave it, the closing point included.
void WriteIdfLoop(FileWriter& writer, const PointList& points);
// The same lines as texts, for a loop that is written many times over.
std::vector<std::string> IdfLoopLines(const PointList& points);

}  // namespace kelpie

#endif
