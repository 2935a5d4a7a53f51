// The two files of the IDF export and the helpers they share. Every writer
// returns true when it failed; the job stops at the first failure.
#ifndef KELPIE_IDF_IDF_WRITERS_H
#define KELPIE_IDF_IDF_WRITERS_H

#include <string>

#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

// IDF files are written in millimetres; the model holds inches.
constexpr double kMillimetresPerInch = 25.4;

// Board file (".emn"): header, board outline, drilled holes, placement.
bool WriteBoardFile(const std::string& fileName);
bool WriteBoardOutline(cFileWriter& writer);
bool WriteDrilledHoles(cFileWriter& writer);
bool WritePlacement(cFileWriter& writer);

// Library file (".emp"): one electrical section per component.
bool WriteLibraryFile(const std::string& fileName);
bool WriteElectricalSections(cFileWriter& writer);
bool WritePackageOutline(cFileWriter& writer, PackageType& package);

// The name that stands for a component's package and part number: its part
// name, or its package type's name when the host gave none.
const std::string& IdfPartName(const Component& component);
// The moment of writing as 2026/12/04.18:05:09, read afresh at each call.
std::string IdfDateStamp();
// The second header line of either file, e.g. BOARD_FILE 3.0 "..." <date> 1.
void WriteIdfFileLine(cFileWriter& writer, const std::string& fileKind);
// One closed loop as "0 X Y 0" lines in millimetres, walked counter-clockwise
// whichever way the host gave it, the closing point included.
void WriteIdfLoop(cFileWriter& writer, const PointList& points);

}  // namespace kelpie

#endif
