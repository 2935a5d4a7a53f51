// The writers of the ODB++ job tree, one unit per file kind. Each takes the
// directory it writes under and returns true when it failed; the job stops at
// the first failure.
#ifndef KELPIE_ODB_ODB_WRITERS_H
#define KELPIE_ODB_ODB_WRITERS_H

#include <string>

#include "model/records.h"
#include "output/file_writer.h"

namespace kelpie {

struct FeatureTables;

// What a record writer of a features file works on. Writers of other files
// (profile, symbols, EDA pin outlines) pass a context without a layer.
struct FeatureContext {
  Layer* layer = nullptr;
  FeatureTables* tables = nullptr;
};

// Job level: {job}\symbols, {job}\matrix, {job}\fonts, {job}\misc.
bool WriteSymbols(const std::string& jobDirectory);
bool WriteMatrix(const std::string& jobDirectory);
// One STEP record and one LAYER record of the matrix (a layer with an unset
// attribute is refused).
bool WriteMatrixEntry(cFileWriter& writer, MatrixStep* entry);
bool WriteMatrixLayer(cFileWriter& writer, Layer* layer);
bool WriteFonts(const std::string& jobDirectory);
bool WriteMiscAttrList(const std::string& miscDirectory);
bool WriteMiscInfo(const std::string& miscDirectory);
bool WriteMiscJobName(const std::string& miscDirectory);
bool WriteMiscLastRead(const std::string& miscDirectory);
bool WriteMiscLastSave(const std::string& miscDirectory);

// The misc files, and every step in the server's order.
bool WriteMisc(const std::string& jobDirectory);
bool WriteSteps(const std::string& jobDirectory);
bool WriteStep(const std::string& stepsDirectory, Step* step);

// Step level: {job}\steps\{step}.
bool WriteProfile(const std::string& stepDirectory, Step* step);
bool WriteStepAttrList(const std::string& stepDirectory);
bool WriteStepHeader(const std::string& stepDirectory);
// Pass 1: features, tools and attrlist of every layer; pass 2: components.
bool WriteLayers(const std::string& stepDirectory, Step* step, int pass);
bool WriteEdaData(const std::string& stepDirectory, Step* step);
bool WriteComponents(const std::string& layerDirectory, Step* step, Layer* layer);
bool WriteNetlist(const std::string& stepDirectory, Step* step);

// One contour as "OB"/"OS"/"OE" records, inside "S P 0" ... "SE" when it is
// its own surface. Points are turned clockwise by `angle` and moved by
// (dx, dy). A contour with a width is first stroked as lines onto the
// context's layer (only when there is one).
bool WriteContourFeature(FeatureContext& context, cFileWriter& writer, Contour* contour,
                         bool ownSurface, int* counter, double dx, double dy, double angle);

}  // namespace kelpie

#endif
