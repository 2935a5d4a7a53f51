#include "render_board.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "render_components.h"
#include "render_layer.h"
#include "render_sides.h"

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

// A hostile job of very many steps or layers gets pictures of these first.
constexpr std::size_t kMostSteps = 16;
constexpr std::size_t kMostLayers = 256;

// The colours of the layer pictures, on a dark background.
constexpr Colour kBackground{0.10, 0.11, 0.12};
constexpr Colour kBoardArea{0.15, 0.17, 0.19};
constexpr Colour kCopperLayer{0.88, 0.56, 0.25};
constexpr Colour kMaskLayer{0.25, 0.72, 0.40};
constexpr Colour kSilkLayer{0.95, 0.95, 0.92};
constexpr Colour kPasteLayer{0.72, 0.72, 0.76};
constexpr Colour kDrillLayer{0.90, 0.86, 0.55};
constexpr Colour kOtherLayer{0.55, 0.65, 0.95};

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

// Draws the layer's coverage: an 8-bit alpha image of the top view,
// opaque where the layer puts material. A negative layer covers the board
// but for its features.
cairo_surface_t* DrawCoverage(const View& view, const reader::Step& step, const Sheet& sheet,
                              FeaturePainter& painter) {
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_A8, view.width, view.height);
  cairo_t* cairo = cairo_create(image);
  const cairo_matrix_t matrix = view.Matrix();
  cairo_set_matrix(cairo, &matrix);
  Canvas canvas(cairo);
  canvas.SetColour({0, 0, 0});
  if (sheet.negative) FillBoard(canvas, view, step, painter);
  if (sheet.layer->features) painter.Paint(canvas, *sheet.layer->features, sheet.negative);
  cairo_destroy(cairo);
  return image;
}

// The background of a cairo picture, and the view's matrix.
void Background(cairo_t* cairo, const View& view) {
  SetColour(cairo, kBackground);
  cairo_paint(cairo);
  const cairo_matrix_t matrix = view.Matrix();
  cairo_set_matrix(cairo, &matrix);
}

// What a layer picture shows over the layer itself: the components of a
// component layer and the board's outline.
void DrawOverLayer(Canvas& canvas, const View& view, const reader::Step& step, const Sheet& sheet) {
  if (sheet.layer->components) {
    DrawComponents(canvas.cairo(), view, *sheet.layer->components, step.eda ? &*step.eda : nullptr);
  }
  StrokeProfile(canvas, view, step);
}

// The layer picture from its coverage.
void DrawLayerRaster(cairo_t* cairo, const View& view, const reader::Step& step, const Sheet& sheet,
                     FeaturePainter& painter, cairo_surface_t* coverage) {
  Canvas canvas(cairo);
  Background(cairo, view);
  canvas.SetColour(kBoardArea);
  FillBoard(canvas, view, step, painter);
  cairo_identity_matrix(cairo);
  canvas.SetColour(ColourOf(sheet.role));
  cairo_mask_surface(cairo, coverage, 0, 0);
  const cairo_matrix_t matrix = view.Matrix();
  cairo_set_matrix(cairo, &matrix);
  DrawOverLayer(canvas, view, step, sheet);
}

// The layer picture in vectors. A layer that neither clears nor shows
// components is written as plain paths; the others go through cairo's SVG
// surface, which can clear and write text.
bool WriteLayerSvg(const View& view, const reader::Job& job, const reader::Step& step, const Sheet& sheet,
                   const std::string& path, std::string& error) {
  FeaturePainter painter(job, view);
  const reader::Features* features = sheet.layer->features ? &*sheet.layer->features : nullptr;
  const bool clears = sheet.negative || (features != nullptr && painter.Clears(*features));
  if (!clears && !sheet.layer->components) {
    SvgCanvas canvas(view, kBackground);
    canvas.SetColour(kBoardArea);
    FillBoard(canvas, view, step, painter);
    canvas.SetColour(ColourOf(sheet.role));
    if (features != nullptr) painter.Paint(canvas, *features);
    StrokeProfile(canvas, view, step);
    return canvas.Save(path, error);
  }
  const Drawing drawing = [&](cairo_t* cairo) {
    Canvas canvas(cairo);
    Background(cairo, view);
    canvas.SetColour(kBoardArea);
    FillBoard(canvas, view, step, painter);
    if (clears) {
      cairo_push_group_with_content(cairo, CAIRO_CONTENT_ALPHA);
      canvas.SetColour({0, 0, 0});
      if (sheet.negative) FillBoard(canvas, view, step, painter);
      if (features != nullptr) painter.Paint(canvas, *features, sheet.negative);
      cairo_pattern_t* coverage = cairo_pop_group(cairo);
      canvas.SetColour(ColourOf(sheet.role));
      cairo_mask(cairo, coverage);
      cairo_pattern_destroy(coverage);
    } else if (features != nullptr) {
      canvas.SetColour(ColourOf(sheet.role));
      painter.Paint(canvas, *features);
    }
    DrawOverLayer(canvas, view, step, sheet);
  };
  return WriteSvg(view, drawing, path, error);
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

// Runs task(0), task(1), ... task(count - 1) on a few threads.
void RunTasks(std::size_t count, const std::function<void(std::size_t)>& task) {
  const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) task(i);
  };
  std::vector<std::thread> helpers;
  for (std::size_t i = 1; i < threads && i < count; ++i) helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers) helper.join();
}

// One picture's work and its outcome.
struct Task {
  const Sheet* sheet = nullptr;  // null: a side of the board
  Picture picture;
  std::size_t skipped = 0;
  std::string error;
};

bool NeededBySide(const Sheet& sheet) {
  if (sheet.role == Role::kDrill) return true;
  const bool material = sheet.role == Role::kCopper || sheet.role == Role::kMask || sheet.role == Role::kSilk;
  return material && sheet.side != Side::kInner;
}

// The coverage the sides are made of: one image per side and kind of
// layer (and one for all drill layers), each the union of its layers'
// coverage, so that a job of many layers keeps no more than these.
class SideImages {
 public:
  explicit SideImages(const View& view) : view_(view) {}
  ~SideImages() {
    for (cairo_surface_t* image : images_) {
      if (image != nullptr) cairo_surface_destroy(image);
    }
  }
  SideImages(const SideImages&) = delete;
  SideImages& operator=(const SideImages&) = delete;

  // Adds a layer's coverage to the image it belongs to, if any; safe to
  // call from several threads.
  void Add(const Sheet& sheet, cairo_surface_t* coverage) {
    const int slot = SlotOf(sheet.role, sheet.side);
    if (slot < 0) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    cairo_surface_t*& image = images_[static_cast<std::size_t>(slot)];
    if (image == nullptr) image = cairo_image_surface_create(CAIRO_FORMAT_A8, view_.width, view_.height);
    cairo_t* cairo = cairo_create(image);
    cairo_mask_surface(cairo, coverage, 0, 0);
    cairo_destroy(cairo);
  }

  SideCoverage Of(Side side) const {
    SideCoverage coverage;
    auto add = [this](std::vector<cairo_surface_t*>& images, int slot) {
      if (slot >= 0 && images_[static_cast<std::size_t>(slot)] != nullptr)
        images.push_back(images_[static_cast<std::size_t>(slot)]);
    };
    add(coverage.copper, SlotOf(Role::kCopper, side));
    add(coverage.mask, SlotOf(Role::kMask, side));
    add(coverage.silk, SlotOf(Role::kSilk, side));
    add(coverage.drill, SlotOf(Role::kDrill, side));
    return coverage;
  }

 private:
  // 0 to 2 the top's copper, mask and silk, 3 to 5 the bottom's, 6 drill.
  static int SlotOf(Role role, Side side) {
    if (role == Role::kDrill) return 6;
    const int base = side == Side::kTop ? 0 : side == Side::kBottom ? 3 : -1;
    const int kind = role == Role::kCopper ? 0 : role == Role::kMask ? 1 : role == Role::kSilk ? 2 : -1;
    return base < 0 || kind < 0 ? -1 : base + kind;
  }

  View view_;
  std::mutex mutex_;
  std::array<cairo_surface_t*, 7> images_{};
};

void RenderLayer(const reader::Job& job, const reader::Step& step, const View& view, const std::string& directory,
                 SideImages& sides, Task& task) {
  FeaturePainter painter(job, view);
  cairo_surface_t* coverage = DrawCoverage(view, step, *task.sheet, painter);
  sides.Add(*task.sheet, coverage);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, view.width, view.height);
  cairo_t* cairo = cairo_create(image);
  DrawLayerRaster(cairo, view, step, *task.sheet, painter, coverage);
  cairo_destroy(cairo);
  cairo_surface_destroy(coverage);
  task.skipped = painter.skipped();
  if (WritePng(image, directory + "/" + task.picture.png, task.error))
    WriteLayerSvg(view, job, step, *task.sheet, directory + "/" + task.picture.svg, task.error);
  cairo_surface_destroy(image);
}

std::string SideCounts(const std::vector<Task>& tasks, Side side) {
  std::string copper, mask, silk, drill;
  std::size_t skipped = 0;
  for (const Task& task : tasks) {
    if (task.sheet == nullptr || !NeededBySide(*task.sheet)) continue;
    const Sheet& sheet = *task.sheet;
    if (sheet.role != Role::kDrill && sheet.side != side) continue;
    std::string& names = sheet.role == Role::kCopper ? copper
                         : sheet.role == Role::kMask ? mask
                         : sheet.role == Role::kSilk ? silk
                                                     : drill;
    names += (names.empty() ? "" : ", ") + sheet.layer->name;
    skipped += task.skipped;
  }
  auto named = [](const std::string& names) { return names.empty() ? std::string("none") : names; };
  std::string text = "copper " + named(copper) + "; mask " + named(mask) + "; silk " + named(silk) + "; drill " +
                     named(drill);
  if (skipped > 0) text += "; " + std::to_string(skipped) + " features not drawn";
  return text;
}

void RenderSide(const reader::Job& job, const reader::Step& step, const View& view, const SideCoverage& coverage,
                const std::string& directory, Task& task) {
  FeaturePainter painter(job, view);
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, view.width, view.height);
  cairo_t* cairo = cairo_create(image);
  DrawSide(cairo, view, step, painter, coverage);
  cairo_destroy(cairo);
  WritePng(image, directory + "/" + task.picture.png, task.error);
  cairo_surface_destroy(image);
}

// Runs a task, turning a failure to allocate into its error.
void Guarded(Task& task, const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& failure) {
    task.error = "cannot draw " + task.picture.png + ": " + failure.what();
  }
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

  std::vector<Task> layers(std::min(sheets.size(), kMostLayers));
  std::set<std::string> used;
  for (std::size_t i = 0; i < layers.size(); ++i) {
    const Sheet& sheet = sheets[i];
    const std::string name = UniqueName(sheet.layer->name, used);
    layers[i].sheet = &sheet;
    layers[i].picture.title = sheet.layer->name;
    layers[i].picture.kind = sheet.type.empty() ? "layer the matrix does not name" : sheet.type + " layer";
    layers[i].picture.png = layersFolder + "/" + name + ".png";
    layers[i].picture.svg = layersFolder + "/" + name + ".svg";
  }
  SideImages sideImages(top);
  RunTasks(layers.size(), [&](std::size_t i) {
    Guarded(layers[i], [&] { RenderLayer(job, step, top, directory, sideImages, layers[i]); });
  });

  std::vector<Task> sides(2);
  sides[0].picture = {"top side", "composite", folder + "/top.png", "", SideCounts(layers, Side::kTop)};
  sides[1].picture = {"bottom side (seen from below)", "composite", folder + "/bottom.png", "",
                      SideCounts(layers, Side::kBottom)};
  if (layers.size() < sheets.size()) {
    sides[0].picture.counts += "; the " + std::to_string(sheets.size() - layers.size()) + " layers after the first " +
                               std::to_string(kMostLayers) + " are not drawn";
  }
  const SideCoverage topCoverage = sideImages.Of(Side::kTop);
  const SideCoverage bottomCoverage = sideImages.Of(Side::kBottom);
  RunTasks(2, [&](std::size_t i) {
    Guarded(sides[i], [&] {
      RenderSide(job, step, i == 0 ? top : bottom, i == 0 ? topCoverage : bottomCoverage, directory, sides[i]);
    });
  });
  for (Task& task : layers) task.picture.counts = Counts(*task.sheet->layer, task.skipped);

  for (const std::vector<Task>* tasks : {&sides, &layers}) {
    for (const Task& task : *tasks) {
      if (!task.error.empty()) {
        error = task.error;
        return false;
      }
      pictures.push_back(task.picture);
    }
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

std::string UniqueName(const std::string& text, std::set<std::string>& used) {
  const std::string base = SafeName(text);
  std::string name = base;
  for (int n = 2; !used.insert(name).second; ++n) name = base + "-" + std::to_string(n);
  return name;
}

bool RenderOdbJob(const reader::Job& job, const std::string& directory, const std::string& folder,
                  std::vector<Picture>& pictures, std::string& error) {
  std::set<std::string> used;
  for (std::size_t s = 0; s < job.steps.size() && s < kMostSteps; ++s) {
    const reader::Step& step = job.steps[s];
    std::string stepFolder = folder;
    if (job.steps.size() > 1) {
      stepFolder += "/" + UniqueName(step.name, used);
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
