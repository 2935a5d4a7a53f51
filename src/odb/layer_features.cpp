#include "odb/layer_features.h"

#include <unordered_map>

#include "model/design.h"
#include "odb/drill_tools.h"
#include "odb/feature_tables.h"
#include "output/text.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

const std::string kBlank = " ";
const std::string kGeometry = "geometry";
const std::string kPadUsage = "pad_usage";
const std::string kDrill = "drill";

// The symbol number of a pad's shape or of a line width: found by pointer or
// by width bits when the names were collected, otherwise (a shape kind
// without a standard name, which reports itself again) by its name.
bool WriteShapeSymbol(FeatureTables& tables, cFileWriter& writer, const PadShape* shape) {
  auto found = tables.shapeSymbols.find(shape);
  if (found != tables.shapeSymbols.end()) return WriteTableNumber(writer, found->second, true);
  return WriteNameIndex(writer, tables.symbols, true, PadTypeToName(shape));
}

bool WriteWidthSymbol(FeatureTables& tables, cFileWriter& writer, double width) {
  auto found = tables.widthSymbols.find(WidthKey(width));
  if (found != tables.widthSymbols.end()) return WriteTableNumber(writer, found->second, true);
  return WriteNameIndex(writer, tables.symbols, true, RoundSymbolName(width));
}

// The contours of every surface of a layer, in layer order, gathered once
// per file so that writing a surface does not walk all of the layer's
// contours: the contours of surface s are members[first[s]] up to
// members[first[s + 1]].
struct SurfaceMembers {
  std::vector<std::size_t> first;
  std::vector<Contour*> members;
};

SurfaceMembers GroupContoursBySurface(Layer& layer) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::unordered_map<const Surface*, std::size_t> position;
  position.reserve(layer.surfaces.size());
  for (const Surface& surface : layer.surfaces) position.emplace(&surface, position.size());

  SurfaceMembers group;
  group.first.assign(layer.surfaces.size() + 1, 0);
  std::vector<std::size_t> owner;
  owner.reserve(layer.contours.size());
  for (const Contour& contour : layer.contours) {
    std::size_t at = kNone;
    if (contour.surface != nullptr) {
      auto found = position.find(contour.surface);
      if (found != position.end()) at = found->second;
    }
    owner.push_back(at);
    if (at != kNone) ++group.first[at + 1];
  }
  for (std::size_t s = 1; s < group.first.size(); ++s) group.first[s] += group.first[s - 1];
  group.members.resize(group.first.back());
  std::vector<std::size_t> next(group.first.begin(), group.first.end() - 1);
  std::size_t i = 0;
  for (Contour& contour : layer.contours) {
    const std::size_t at = owner[i++];
    if (at != kNone) group.members[next[at]++] = &contour;
  }
  return group;
}

// The body of a features file after its tables: lone contours, surfaces,
// pads, lines (stroked outlines last), arcs.
bool WriteFeatureRecords(FeatureContext& context, cFileWriter& writer, Layer* layer) {
  int counter = 0;
  for (Contour& contour : layer->contours) {
    if (contour.surface != nullptr) continue;
    if (WriteContourFeature(context, writer, &contour, true, &counter, 0, 0, 0)) return true;
  }

  const SurfaceMembers group = GroupContoursBySurface(*layer);
  std::size_t s = 0;
  for (Surface& surface : layer->surfaces) {
    // A surface is one feature; each of its contours carries its index.
    surface.featureIndex = counter;
    writer.WriteLine("S P 0");
    for (std::size_t k = group.first[s]; k < group.first[s + 1]; ++k) {
      if (WriteContourFeature(context, writer, group.members[k], false, &counter, 0, 0, 0))
        return true;
    }
    writer.WriteLine("SE");
    ++counter;
    ++s;
  }

  for (PadFeature& pad : layer->pads) {
    if (WritePadRecord(context, writer, &pad, layer, &counter)) return true;
  }
  for (LineFeature& line : layer->lines) {
    if (WriteLineRecord(context, writer, &line, &counter)) return true;
  }
  for (ArcFeature& arc : layer->arcs) {
    if (WriteArcRecord(context, writer, &arc, &counter)) return true;
  }
  return false;
}

}  // namespace

bool WriteLayers(const std::string& stepDirectory, Step* step, int pass) {
  const std::string layersPath = stepDirectory + "\\layers";
  for (Layer& layer : currentServer->layers.layers) {
    if (WriteLayerDirectory(layersPath, step, &layer, pass)) return true;
  }
  return false;
}

bool WriteLayerDirectory(const std::string& layersPath, Step* step, Layer* layer, int pass) {
  const std::string directory = layersPath + "\\" + layer->name;
  if (pass == 1) {
    return WriteLayerFeatures(directory, "features", step, layer) ||
           WriteLayerAttrList(directory, step, layer);
  }
  if (pass == 2) return WriteComponents(directory, step, layer);
  return false;
}

bool WriteLayerFeatures(const std::string& directory, const std::string& fileName, Step*,
                        Layer* layer) {
  cFileWriter writer(directory, fileName, true);
  FeatureTables tables;
  FeatureContext context{layer, &tables};

  bool failed = writer.WriteLine("#" + layer->name);
  if (!failed) {
    CollectFeatureNames(tables, layer);
    failed = WriteFeatureTables(tables, writer);
  }
  if (!failed) {
    DrillToolList tools;
    // The features file is left as it is, unclosed: the writer reports that
    // itself when it goes.
    if (WriteDrillTools(tools, directory, layer)) return true;
    failed = WriteFeatureRecords(context, writer, layer);
  }
  writer.Close();
  return failed;
}

bool WriteLayerAttrList(const std::string& directory, Step*, Layer*) {
  static const char* const kLines[] = {
      ".out_mirror = no",        ".lpol_done = no",         ".cu_base = no",
      ".comment = ",             ".inp_file = ",            ".eda_layers = 1",
      ".layer_class = ",         ".out_angle = 0.0",        ".out_polarity = positive",
      ".layer_hdi_type = buildup", ".out_x_scale = 1",      ".out_y_scale = 1",
      ".out_comp = 0",           ".et_adjacency = 20",      ".layer_dielectric = 0.0001",
      ".copper_weight = 1"};
  cFileWriter writer(directory, "attrlist", true);
  for (const char* line : kLines) writer.WriteLine(line);
  writer.Close();
  return false;
}

bool WriteContourFeature(FeatureContext& context, cFileWriter& writer, Contour* contour,
                         bool ownSurface, int* counter, double dx, double dy, double angle) {
  // Only a features file has a layer to take the stroked outline. The other
  // callers (profile, symbols, pin outlines) draw filled outlines without a
  // width; a width reaching them is ignored rather than drawn on no layer.
  if (contour->width > 0 && context.layer != nullptr) {
    if (StrokeContour(context, contour)) return true;
  }
  if (!contour->flagA) return false;

  contour->featureIndex = *counter;
  if (ownSurface) writer.WriteLine("S P 0");
  // Islands run clockwise and holes counter-clockwise, however the host
  // gave the points.
  const bool island = contour->flagB;
  PointList& points = contour->points;
  SetWalkOrder(points, island);
  const int count = points.Count();
  int at = points.walkStart;
  for (int i = 0; i < count; ++i) {
    if (writer.BeginLine(i == 0 ? "OB" : "OS")) return true;
    if (at < 0 || at >= count) {
      SendError("Poly point read error");
      return true;
    }
    double x = points.xs[static_cast<std::size_t>(at)];
    double y = points.ys[static_cast<std::size_t>(at)];
    at += points.walkStep;
    RotatePoint(x, y, angle);
    writer.AddNumber(dx + x);
    writer.AddNumber(dy + y);
    if (i == 0) writer.AddField(island ? "I" : "H");
    writer.EndLine("");
  }
  writer.WriteLine("OE");
  if (ownSurface) {
    writer.WriteLine("SE");
    ++*counter;
  }
  return false;
}

bool StrokeContour(FeatureContext& context, Contour* contour) {
  PointList& points = contour->points;
  SetWalkOrder(points, true);
  const int count = points.Count();
  int at = points.walkStart;
  double previousX = 0;
  double previousY = 0;
  for (int i = 0; i < count; ++i) {
    if (at < 0 || at >= count) {
      SendError("Poly point read error");
      return true;
    }
    double x = points.xs[static_cast<std::size_t>(at)];
    double y = points.ys[static_cast<std::size_t>(at)];
    at += points.walkStep;
    RotatePoint(x, y, 0);
    if (i >= 1) {
      AddLineFeature(*context.layer, x, y, previousX, previousY, contour->width, contour->net,
                     contour->flagB);
    }
    previousX = x;
    previousY = y;
  }
  return false;
}

bool WritePadRecord(FeatureContext& context, cFileWriter& writer, PadFeature* pad, Layer* layer,
                    int* counter) {
  FeatureTables& tables = *context.tables;
  pad->featureIndex = (*counter)++;
  if (writer.BeginLine("P")) return true;
  writer.AddNumber(pad->x);
  writer.AddNumber(pad->y);
  if (WriteShapeSymbol(tables, writer, pad->shape)) return true;
  writer.AddField("P");   // polarity
  writer.AddField("0");   // dcode
  writer.AddField("0;");  // orientation, then the attributes
  const Pin* pin = pad->pin;
  const std::string& geometry =
      pin != nullptr && pin->pinType != nullptr ? pin->pinType->name : kBlank;
  if (WriteTextAttribute(tables, writer, kGeometry, geometry)) return true;
  writer.Append(",");
  if (WriteNameIndex(writer, tables.attributes, false, kPadUsage)) return true;
  writer.Append("=");
  writer.Append(PadUsageValue(pad));
  if (layer->type == kLayerDrill) {
    writer.Append(",");
    if (WriteNameIndex(writer, tables.attributes, false, kDrill)) return true;
    writer.Append("=");
    writer.Append(DrillValue(pad));
  }
  return writer.EndLine("");
}

bool WriteLineRecord(FeatureContext& context, cFileWriter& writer, LineFeature* line,
                     int* counter) {
  line->featureIndex = (*counter)++;
  if (writer.BeginLine("L")) return true;
  writer.AddNumber(line->xs);
  writer.AddNumber(line->ys);
  writer.AddNumber(line->xe);
  writer.AddNumber(line->ye);
  if (WriteWidthSymbol(*context.tables, writer, line->width)) return true;
  writer.AddField(line->positive ? "P" : "N");
  return writer.EndLine("0");
}

bool WriteArcRecord(FeatureContext& context, cFileWriter& writer, ArcFeature* arc, int* counter) {
  arc->featureIndex = (*counter)++;
  if (writer.BeginLine("A")) return true;
  writer.AddNumber(arc->xs);
  writer.AddNumber(arc->ys);
  writer.AddNumber(arc->xe);
  writer.AddNumber(arc->ye);
  writer.AddNumber(arc->xc);
  writer.AddNumber(arc->yc);
  if (WriteWidthSymbol(*context.tables, writer, arc->width)) return true;
  writer.AddField("P");  // arcs are always drawn positive
  writer.AddField("0");
  return writer.EndLine(arc->clockwise ? "Y" : "N");
}

// Symbol sizes are in thousandths of an inch.
std::string PadTypeToName(const PadShape* shape) {
  const int kind = shape != nullptr ? shape->kind : 0;
  std::string name;
  switch (kind) {
    case 1:
      return RoundSymbolName(shape->width);
    case 2:
    case 3:
      name = "rect";
      AppendNumberText(name, shape->width * 1000);
      name += 'x';
      AppendNumberText(name, shape->height * 1000);
      return name;
    case 4:
      return shape->name;  // the symbol written under the job's symbols directory
    default:
      SendError("PadTypeToName: type not yet implemented");
      return name;
  }
}

std::string RoundSymbolName(double width) {
  std::string name = "r";
  AppendNumberText(name, width * 1000);
  return name;
}

std::vector<std::size_t> CountLayerLines(const LayerStack& stack) {
  std::vector<std::size_t> counts;
  counts.reserve(stack.layers.size());
  for (const Layer& layer : stack.layers) counts.push_back(layer.lines.size());
  return counts;
}

void RemoveStrokedLines(LayerStack& stack, const std::vector<std::size_t>& counts) {
  std::size_t i = 0;
  for (Layer& layer : stack.layers) {
    if (i >= counts.size()) break;
    const std::size_t keep = counts[i++];
    // Stroked lines are only ever appended, so they are exactly the tail.
    if (layer.lines.size() > keep)
      layer.lines.erase(layer.lines.begin() + static_cast<std::ptrdiff_t>(keep), layer.lines.end());
  }
}

}  // namespace kelpie
