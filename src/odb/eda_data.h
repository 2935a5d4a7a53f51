// The EDA data of a step ({step}\eda\data): layers, nets with their subnets,
// packages with their pins and pin outlines. WriteEdaData itself is declared
// with the other file writers in odb_writers.h.
#ifndef KELPIE_ODB_EDA_DATA_H
#define KELPIE_ODB_EDA_DATA_H

#include <deque>

#include "model/records.h"
#include "odb/net_groups.h"
#include "output/file_writer.h"

namespace kelpie {

// A feature as the EDA data quotes it: layer number and feature index.
struct FeatureRef {
  int layerNumber;
  int featureIndex;
};

// What belongs to each net of a step, gathered once per file from every
// layer (in layer order, each layer's features in list order). The feature
// indices are those that the features files gave.
struct EdaNetIndex {
  EdaNetIndex(const Step& step, const std::deque<Layer>& layers);

  Groups<FeatureRef> traces;  // lines, by net number
  Groups<int> pins;           // positions in step.pins, by net number
  Groups<FeatureRef> pads;    // pads, by position of their pin in step.pins
  Groups<FeatureRef> planes;  // surfaces, by net number
};

// "HDR Valor", the LYR line and every net record.
bool WriteEdaHeader(cFileWriter& writer, Step* step);
// One NET record with its subnets; numbers the subnets of the net's
// component pins. The index must have been built for this step.
bool WriteNetRecord(cFileWriter& writer, Step* step, Net* net, const EdaNetIndex& index);
// One PKG record with its pins; gives unclassified pin types their kind.
bool WritePackageRecord(cFileWriter& writer, PackageType* package);
// A rectangular pin pad: "RC" when it lies along the axes, else a contour.
bool WriteRectPinOutline(cFileWriter& writer, PadShape* shape, PackagePin* pin);
// "CT", the contour turned counter-clockwise by angle and moved by (x, y), "CE".
bool WriteContourOutline(cFileWriter& writer, Contour* contour, double x, double y, double angle);

}  // namespace kelpie

#endif
