#include "odb/layer_features.h"

#include "odb/contour_records.h"
#include "odb/drill_tools.h"
#include "odb/feature_tables.h"

namespace kelpie {

namespace {

[[nodiscard]] bool WritePadRecord(FileWriter& writer, const FeatureTables& tables,
                                  const PadFeature& pad, const PadAttributes& attributes,
                                  bool onDrillLayer, const Messages& messages) {
  writer.BeginLine("P");
  writer.AddNumber(pad.x);
  writer.AddNumber(pad.y);
  if (!WriteShapeSymbol(writer, tables, pad.shape, messages)) return false;
  writer.AddField("P");   // polarity
  writer.AddField("0");   // dcode
  writer.AddField("0;");  // orientation, then the attributes
  if (!WritePadAttributes(writer, tables, attributes, onDrillLayer, messages)) return false;
  writer.EndLine("");
  return true;
}

[[nodiscard]] bool WriteLineRecord(FileWriter& writer, const FeatureTables& tables,
                                   const LineFeature& line, const Messages& messages) {
  writer.BeginLine("L");
  writer.AddNumber(line.xs);
  writer.AddNumber(line.ys);
  writer.AddNumber(line.xe);
  writer.AddNumber(line.ye);
  if (!WriteWidthSymbol(writer, tables, line.width, messages)) return false;
  writer.AddField(line.positive ? "P" : "N");
  writer.EndLine("0");
  return true;
}

[[nodiscard]] bool WriteArcRecord(FileWriter& writer, const FeatureTables& tables,
                                  const ArcFeature& arc, const Messages& messages) {
  writer.BeginLine("A");
  writer.AddNumber(arc.xs);
  writer.AddNumber(arc.ys);
  writer.AddNumber(arc.xe);
  writer.AddNumber(arc.ye);
  writer.AddNumber(arc.xc);
  writer.AddNumber(arc.yc);
  if (!WriteWidthSymbol(writer, tables, arc.width, messages)) return false;
  writer.AddField("P");  // arcs are always drawn positive
  writer.AddField("0");
  writer.EndLine(arc.clockwise ? "Y" : "N");
  return true;
}

// The body of a features file after its tables, in the order of the feature
// numbers: lone contours, surfaces, pads, lines (the outline lines last),
// arcs.
[[nodiscard]] bool WriteFeatureRecords(FileWriter& writer, const FeatureTables& tables,
                                       const Layer& layer, const LayerPlan& plan,
                                       const LayerLines& lines, const Messages& messages) {
  for (const Contour* contour : plan.loneContours) WriteContourSurface(writer, *contour);
  for (int s = 0; s < static_cast<int>(layer.surfaces.size()); ++s) {
    writer.WriteLine("S P 0");
    for (const Contour* contour : plan.surfaceContours.Of(s)) WriteContourRecords(writer, *contour);
    writer.WriteLine("SE");
  }
  const bool onDrillLayer = layer.kind == LayerKind::kDrill;
  size_t padNumber = 0;
  for (const PadFeature& pad : layer.pads) {
    const PadAttributes& attributes = tables.padAttributes[padNumber++];
    if (!WritePadRecord(writer, tables, pad, attributes, onDrillLayer, messages)) return false;
  }
  for (const LineFeature& line : lines.own) {
    if (!WriteLineRecord(writer, tables, line, messages)) return false;
  }
  for (int copy = 0; copy < lines.outlineCopies; ++copy) {
    for (const LineFeature& line : lines.outlines) {
      if (!WriteLineRecord(writer, tables, line, messages)) return false;
    }
  }
  for (const ArcFeature& arc : layer.arcs) {
    if (!WriteArcRecord(writer, tables, arc, messages)) return false;
  }
  return true;
}

[[nodiscard]] bool WriteFeatures(const OutputTarget& target, const Design& design,
                                 const Layer& layer, const LayerPlan& plan, int stepNumber,
                                 const std::string& directory) {
  FileWriter writer(target, directory, "features", true);
  writer.WriteLine("#" + layer.name);
  FeatureTables tables;
  // The outline lines the steps before this one drew are lines of the layer
  // by now; this step draws them once more as it writes the contours.
  CollectFeatureNames(tables, layer, LayerLines{layer.lines, plan.outlineLines, stepNumber},
                      target.messages);
  WriteFeatureTables(writer, tables);
  WriteDrillTools(target, design.boardThickness, layer, directory);
  const LayerLines lines{layer.lines, plan.outlineLines, stepNumber + 1};
  const bool written = WriteFeatureRecords(writer, tables, layer, plan, lines, target.messages);
  writer.Close();
  return written;
}

void WriteLayerAttrList(const OutputTarget& target, const std::string& directory) {
  static const char* const kLines[] = {".out_mirror = no",
                                       ".lpol_done = no",
                                       ".cu_base = no",
                                       ".comment = ",
                                       ".inp_file = ",
                                       ".eda_layers = 1",
                                       ".layer_class = ",
                                       ".out_angle = 0.0",
                                       ".out_polarity = positive",
                                       ".layer_hdi_type = buildup",
                                       ".out_x_scale = 1",
                                       ".out_y_scale = 1",
                                       ".out_comp = 0",
                                       ".et_adjacency = 20",
                                       ".layer_dielectric = 0.0001",
                                       ".copper_weight = 1"};
  WriteFixedFile(target, directory, "attrlist", true, kLines);
}

}  // namespace

bool WriteLayerFiles(const OutputTarget& target, const Design& design, const Layer& layer,
                     const LayerPlan& plan, int stepNumber, const std::string& layerDirectory) {
  if (!WriteFeatures(target, design, layer, plan, stepNumber, layerDirectory)) return false;
  WriteLayerAttrList(target, layerDirectory);
  return true;
}

}  // namespace kelpie
