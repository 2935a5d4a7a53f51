#include "render_board.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <set>
#include <system_error>

#include "render_components.h"
#include "render_layer.h"

namespace kelpie::check {
namespace {

// What a layer is for, as the matrix types it.
enum class Role { kCopper, kMask, kSilk, kPaste, kDrill, kComponent, kOther };
// Where it lies: above the first copper layer, below the last, or between.
enum class Side { kTop, kInner, kBottom };

struct Sheet {
  const reader::Layer* layer = nullptr;
  std::string type;  // the matrix TYPE; empty for a layer the matrix does not name
  bool negative = false;
  Role role = Role::kOther;
  Side side = Side::kInner;
};

// The colours of the layer pictures, on a dark background.
constexpr Colour kBackground{0.10, 0.11, 0.12};
constexpr Colour kBoardArea{0.15, 0.17, 0.19};
constexpr Colour kProfileLine{0.60, 0.60, 0.60};
constexpr Colour kCopperLayer{0.88, 0.56, 0.25};
constexpr Colour kMaskLayer{0.25, 0.72, 0.40};
constexpr Colour kSilkLayer{0.95, 0.95, 0.92};
constexpr Colour kPasteLayer{0.72, 0.72, 0.76};
constexpr Colour kDrillLayer{0.90, 0.86, 0.55};
constexpr Colour kOtherLayer{0.55, 0.65, 0.95};
// The colours of the board seen from a side.
constexpr Colour kLaminate{0.55, 0.50, 0.32};
constexpr Colour kCopper{0.72, 0.45, 0.20};
constexpr Colour kSolderMask{0.0, 0.33, 0.12, 0.78};
constexpr Colour kFinish{0.86, 0.72, 0.33};
constexpr Colour kSilk{0.96, 0.96, 0.93};

Role RoleOf(const std::string& type) {
  if (type == "SIGNAL" || type == "POWER_GROUND" || type == "MIXED") return Role::kCopper;
  if (type == "SOLDER_MASK") return Role::kMask;
  if (type == "SILK_SCREEN") return Role::kSilk;
  if (type == "SOLDER_PASTE") return Role::kPaste;
  if (type == "DRILL") return Role::kDrill;
  if (type == "COMPONENT") return Role::kComponent;
  return Role::kOther;
}

Colour ColourOf(Role role) {
  switch (role) {
    case Role::kCopper:
      return kCopperLayer;
    case Role::kMask:
      return kMaskLayer;
    case Role::kSilk:
      return kSilkLayer;
    case Role::kPaste:
      return kPasteLayer;
    case Role::kDrill:
      return kDrillLayer;
    case Role::kComponent:
    case Role::kOther:
      break;
  }
  return kOtherLayer;
}

// The step's layers with what the matrix says of each. The side follows
// from the rows: the first copper row is the top, the last the bottom;
// rows before the first copper are on the top side, rows after the last
// on the bottom side.
std::vector<Sheet> SheetsOf(const reader::Job& job, const reader::Step& step) {
  std::vector<Sheet> sheets;
  std::vector<int> rows;
  int firstCopper = INT_MAX;
  int lastCopper = INT_MIN;
  for (const reader::Layer& layer : step.layers) {
    Sheet sheet;
    sheet.layer = &layer;
    int row = 0;
    if (job.matrix) {
      for (const reader::MatrixLayer& entry : job.matrix->layers) {
        if (entry.name != layer.name) continue;
        sheet.type = entry.type;
        sheet.negative = entry.polarity == "NEGATIVE";
        row = entry.row;
        break;
      }
    }
    sheet.role = RoleOf(sheet.type);
    if (sheet.role == Role::kCopper) {
      firstCopper = std::min(firstCopper, row);
      lastCopper = std::max(lastCopper, row);
    }
    sheets.push_back(sheet);
    rows.push_back(row);
  }
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    if (sheets[i].type.empty() || firstCopper == INT_MAX) continue;
    if (rows[i] <= firstCopper) {
      sheets[i].side = Side::kTop;
    } else if (rows[i] >= lastCopper) {
      sheets[i].side = Side::kBottom;
    }
  }
  return sheets;
}

Box BoxOf(const reader::Step& step) {
  Box box;
  if (step.profile) AddToBox(*step.profile, box);
  if (!box.empty) return box;
  for (const reader::Layer& layer : step.layers) {
    if (layer.features) AddToBox(*layer.features, box);
  }
  return box;
}

void FillBoard(cairo_t* cairo, const View& view, const reader::Step& step, FeaturePainter& painter) {
  if (step.profile) {
    painter.Paint(cairo, *step.profile);
    return;
  }
  cairo_rectangle(cairo, view.box.minX, view.box.minY, view.box.maxX - view.box.minX, view.box.maxY - view.box.minY);
  cairo_fill(cairo);
}

void StrokeProfile(cairo_t* cairo, const View& view, const reader::Step& step) {
  if (!step.profile) return;
  for (const reader::Feature& feature : step.profile->features) {
    if (feature.kind != reader::FeatureKind::kSurface) continue;
    for (const reader::Contour& contour : ContoursOf(*step.profile, feature)) {
      if (view.Reaches(contour.start)) AddContour(cairo, contour);
    }
  }
  SetColour(cairo, kProfileLine);
  cairo_set_line_width(cairo, 1.5 / view.scale);
  cairo_stroke(cairo);
}

// The area that layers cover, as an alpha mask in the view's space. A
// negative layer covers the board but for its features.
cairo_pattern_t* Coverage(cairo_t* cairo, const View& view, const reader::Step& step, FeaturePainter& painter,
                          const std::vector<const Sheet*>& sheets) {
  cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
  for (const Sheet* sheet : sheets) {
    if (!sheet->layer->features) continue;
    cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
    cairo_set_source_rgb(cairo, 0, 0, 0);
    if (sheet->negative) FillBoard(cairo, view, step, painter);
    painter.Paint(cairo, *sheet->layer->features, sheet->negative);
    cairo_pop_group_to_source(cairo);
    cairo_paint(cairo);
  }
  return cairo_pop_group(cairo);
}

void Background(cairo_t* cairo, const View& view) {
  SetColour(cairo, kBackground);
  cairo_paint(cairo);
  const cairo_matrix_t matrix = view.Matrix();
  cairo_set_matrix(cairo, &matrix);
}

void PaintThrough(cairo_t* cairo, Colour colour, cairo_pattern_t* coverage) {
  SetColour(cairo, colour);
  cairo_mask(cairo, coverage);
}

void DrawLayer(cairo_t* cairo, const View& view, const reader::Job& job, const reader::Step& step, const Sheet& sheet,
               std::size_t& skipped) {
  FeaturePainter painter(job, view);
  Background(cairo, view);
  SetColour(cairo, kBoardArea);
  FillBoard(cairo, view, step, painter);
  cairo_pattern_t* coverage = Coverage(cairo, view, step, painter, {&sheet});
  PaintThrough(cairo, ColourOf(sheet.role), coverage);
  cairo_pattern_destroy(coverage);
  if (sheet.layer->components) {
    DrawComponents(cairo, view, *sheet.layer->components, step.eda ? &*step.eda : nullptr);
  }
  StrokeProfile(cairo, view, step);
  skipped = painter.skipped();
}

// The layers that make up one side of the board.
struct SideSheets {
  std::vector<const Sheet*> copper, mask, silk, drill;
};

SideSheets SheetsOfSide(const std::vector<Sheet>& sheets, Side side) {
  SideSheets result;
  for (const Sheet& sheet : sheets) {
    if (sheet.role == Role::kDrill) result.drill.push_back(&sheet);
    if (sheet.side != side) continue;
    if (sheet.role == Role::kCopper) result.copper.push_back(&sheet);
    if (sheet.role == Role::kMask) result.mask.push_back(&sheet);
    if (sheet.role == Role::kSilk) result.silk.push_back(&sheet);
  }
  return result;
}

// The board from one side: laminate, copper, solder mask with its
// openings, the finish on the copper that the openings bare, silk, the
// drilled holes and the outline.
void DrawSide(cairo_t* cairo, const View& view, const reader::Job& job, const reader::Step& step,
              const SideSheets& sheets, std::size_t& skipped) {
  FeaturePainter painter(job, view);
  Background(cairo, view);
  SetColour(cairo, kLaminate);
  FillBoard(cairo, view, step, painter);
  cairo_pattern_t* copper = Coverage(cairo, view, step, painter, sheets.copper);
  PaintThrough(cairo, kCopper, copper);
  if (!sheets.mask.empty()) {
    cairo_pattern_t* openings = Coverage(cairo, view, step, painter, sheets.mask);
    cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
    cairo_set_source_rgb(cairo, 0, 0, 0);
    FillBoard(cairo, view, step, painter);
    cairo_set_operator(cairo, CAIRO_OPERATOR_DEST_OUT);
    cairo_mask(cairo, openings);
    cairo_pattern_t* mask = cairo_pop_group(cairo);
    PaintThrough(cairo, kSolderMask, mask);
    cairo_pattern_destroy(mask);
    cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
    cairo_set_source_rgb(cairo, 0, 0, 0);
    cairo_mask(cairo, copper);
    cairo_set_operator(cairo, CAIRO_OPERATOR_IN);
    cairo_mask(cairo, openings);
    cairo_pattern_t* bare = cairo_pop_group(cairo);
    PaintThrough(cairo, kFinish, bare);
    cairo_pattern_destroy(bare);
    cairo_pattern_destroy(openings);
  }
  cairo_pattern_destroy(copper);
  cairo_pattern_t* silk = Coverage(cairo, view, step, painter, sheets.silk);
  PaintThrough(cairo, kSilk, silk);
  cairo_pattern_destroy(silk);
  cairo_pattern_t* holes = Coverage(cairo, view, step, painter, sheets.drill);
  PaintThrough(cairo, kBackground, holes);
  cairo_pattern_destroy(holes);
  StrokeProfile(cairo, view, step);
  skipped = painter.skipped();
}

std::string Counts(const reader::Layer& layer, std::size_t skipped) {
  std::size_t counts[4] = {};
  std::size_t negative = 0;
  if (layer.features) {
    for (const reader::Feature& feature : layer.features->features) {
      ++counts[static_cast<int>(feature.kind)];
      if (feature.polarity == reader::Polarity::kNegative) ++negative;
    }
  }
  static const char* const kNames[4][2] = {{"pad", "pads"}, {"line", "lines"}, {"arc", "arcs"}, {"surface", "surfaces"}};
  std::string text;
  auto add = [&text](std::size_t count, const char* singular, const char* plural) {
    text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + (count == 1 ? singular : plural);
  };
  for (int kind = 0; kind < 4; ++kind) add(counts[kind], kNames[kind][0], kNames[kind][1]);
  if (negative > 0) add(negative, "negative", "negative");
  if (layer.components) add(layer.components->components.size(), "component", "components");
  if (skipped > 0) add(skipped, "feature not drawn", "features not drawn");
  return text;
}

std::string Names(const std::vector<const Sheet*>& sheets) {
  std::string text;
  for (const Sheet* sheet : sheets) text += (text.empty() ? "" : ", ") + sheet->layer->name;
  return text.empty() ? "none" : text;
}

std::string SideCounts(const SideSheets& sheets, std::size_t skipped) {
  std::string text = "copper " + Names(sheets.copper) + "; mask " + Names(sheets.mask) + "; silk " +
                     Names(sheets.silk) + "; drill " + Names(sheets.drill);
  if (skipped > 0) text += "; " + std::to_string(skipped) + " features not drawn";
  return text;
}

bool RenderStep(const reader::Job& job, const reader::Step& step, const std::string& directory,
                const std::string& folder, std::vector<Picture>& pictures, std::string& error) {
  const std::string layersFolder = folder + "/layers";
  std::error_code failure;
  std::filesystem::create_directories(directory + "/" + layersFolder, failure);
  if (failure) {
    error = "cannot create " + directory + "/" + layersFolder + ": " + failure.message();
    return false;
  }
  const std::vector<Sheet> sheets = SheetsOf(job, step);
  const Box box = BoxOf(step);
  const View top = FitView(box, kPictureSize, false);
  const View bottom = FitView(box, kPictureSize, true);
  const struct {
    const char* name;
    const char* title;
    Side side;
    const View& view;
  } sides[] = {{"top.png", "top side", Side::kTop, top}, {"bottom.png", "bottom side (seen from below)", Side::kBottom, bottom}};
  for (const auto& side : sides) {
    const SideSheets sideSheets = SheetsOfSide(sheets, side.side);
    std::size_t skipped = 0;
    const Drawing drawing = [&](cairo_t* cairo) { DrawSide(cairo, side.view, job, step, sideSheets, skipped); };
    const std::string png = folder + "/" + side.name;
    if (!WritePicture(side.view, drawing, directory + "/" + png, "", error)) return false;
    pictures.push_back({side.title, "composite", png, "", SideCounts(sideSheets, skipped)});
  }
  std::set<std::string> used;
  for (const Sheet& sheet : sheets) {
    std::string name = SafeName(sheet.layer->name);
    for (int n = 2; !used.insert(name).second; ++n) name = SafeName(sheet.layer->name) + "-" + std::to_string(n);
    const std::string png = layersFolder + "/" + name + ".png";
    const std::string svg = layersFolder + "/" + name + ".svg";
    std::size_t skipped = 0;
    const Drawing drawing = [&](cairo_t* cairo) { DrawLayer(cairo, top, job, step, sheet, skipped); };
    if (!WritePicture(top, drawing, directory + "/" + png, directory + "/" + svg, error)) return false;
    const std::string kind = sheet.type.empty() ? "layer the matrix does not name" : sheet.type + " layer";
    pictures.push_back({sheet.layer->name, kind, png, svg, Counts(*sheet.layer, skipped)});
  }
  return true;
}

}  // namespace

std::string SafeName(const std::string& text) {
  std::string name;
  for (const char c : text) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '_' || c == '.' || c == '+';
    name += kept ? c : '_';
  }
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  return name;
}

bool RenderOdbJob(const reader::Job& job, const std::string& directory, const std::string& folder,
                  std::vector<Picture>& pictures, std::string& error) {
  std::set<std::string> used;
  for (const reader::Step& step : job.steps) {
    std::string stepFolder = folder;
    if (job.steps.size() > 1) {
      std::string name = SafeName(step.name);
      for (int n = 2; !used.insert(name).second; ++n) name = SafeName(step.name) + "-" + std::to_string(n);
      stepFolder += "/" + name;
    }
    const std::size_t first = pictures.size();
    if (!RenderStep(job, step, directory, stepFolder, pictures, error)) return false;
    if (job.steps.size() > 1) {
      for (std::size_t i = first; i < pictures.size(); ++i) pictures[i].title = step.name + ": " + pictures[i].title;
    }
  }
  return true;
}

}  // namespace kelpie::check
