#include "render_components.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render_layer.h"

namespace kelpie::check {
namespace {

constexpr Colour kBody{0.55, 0.70, 0.95};
constexpr Colour kPin{0.85, 0.55, 0.25, 0.85};
constexpr Colour kToeprint{1, 1, 1};
constexpr Colour kName{0.92, 0.92, 0.92};

void AddOutline(cairo_t* cairo, const reader::Outline& outline) {
  switch (outline.kind) {
    case reader::OutlineKind::kRectangle:
      cairo_rectangle(cairo, outline.corner.x, outline.corner.y, outline.width, outline.height);
      break;
    case reader::OutlineKind::kCircle:
      if (!Drawable(cairo, outline.radius)) break;
      cairo_new_sub_path(cairo);
      cairo_arc(cairo, outline.center.x, outline.center.y, outline.radius, 0, 2 * std::numbers::pi);
      break;
    case reader::OutlineKind::kSquare:
      cairo_rectangle(cairo, outline.center.x - outline.radius, outline.center.y - outline.radius,
                      2 * outline.radius, 2 * outline.radius);
      break;
    case reader::OutlineKind::kContour:
      for (const reader::Contour& contour : outline.contours) AddContour(cairo, contour);
      break;
  }
}

void DrawPackage(cairo_t* cairo, const reader::Package& package, double pixel) {
  SetColour(cairo, kPin);
  for (const reader::PackagePin& pin : package.pins) {
    for (const reader::Outline& outline : pin.outlines) AddOutline(cairo, outline);
  }
  cairo_fill(cairo);
  SetColour(cairo, kBody);
  for (const reader::Outline& outline : package.outlines) AddOutline(cairo, outline);
  cairo_set_line_width(cairo, 1.5 * pixel);
  cairo_stroke(cairo);
}

}  // namespace

void DrawLabel(cairo_t* cairo, reader::Point at, const std::string& text, double pixels) {
  double x = at.x;
  double y = at.y;
  cairo_user_to_device(cairo, &x, &y);
  cairo_save(cairo);
  cairo_identity_matrix(cairo);
  cairo_select_font_face(cairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cairo, pixels);
  cairo_text_extents_t extents;
  cairo_text_extents(cairo, text.c_str(), &extents);
  cairo_move_to(cairo, x - extents.x_bearing - extents.width / 2, y - extents.y_bearing - extents.height / 2);
  cairo_show_text(cairo, text.c_str());
  cairo_restore(cairo);
}

void DrawComponents(cairo_t* cairo, const View& view, const reader::ComponentsFile& components,
                    const reader::EdaData* eda) {
  const double pixel = 1 / view.scale;
  cairo_save(cairo);
  cairo_set_fill_rule(cairo, CAIRO_FILL_RULE_EVEN_ODD);
  for (const reader::Component& component : components.components) {
    if (!view.Reaches(component.at)) continue;
    const reader::Package* package = nullptr;
    if (eda != nullptr && component.package >= 0 && static_cast<std::size_t>(component.package) < eda->packages.size())
      package = &eda->packages[static_cast<std::size_t>(component.package)];
    double size = 0.1;  // board units, for the name when there is no package
    if (package != nullptr) {
      cairo_save(cairo);
      // Mirrored in x first, then turned clockwise, then moved.
      cairo_translate(cairo, component.at.x, component.at.y);
      cairo_rotate(cairo, -component.rotation * std::numbers::pi / 180);
      if (component.mirrored) cairo_scale(cairo, -1, 1);
      DrawPackage(cairo, *package, pixel);
      cairo_restore(cairo);
      size = std::min(package->xMax - package->xMin, package->yMax - package->yMin);
    }
    SetColour(cairo, kToeprint);
    cairo_set_line_width(cairo, pixel);
    for (const reader::Toeprint& toeprint : component.toeprints) {
      if (!view.Reaches(toeprint.at)) continue;
      const double arm = 3 * pixel;
      cairo_move_to(cairo, toeprint.at.x - arm, toeprint.at.y);
      cairo_line_to(cairo, toeprint.at.x + arm, toeprint.at.y);
      cairo_move_to(cairo, toeprint.at.x, toeprint.at.y - arm);
      cairo_line_to(cairo, toeprint.at.x, toeprint.at.y + arm);
    }
    cairo_stroke(cairo);
    SetColour(cairo, kName);
    DrawLabel(cairo, component.at, component.reference, std::clamp(0.4 * size * view.scale, 7.0, 18.0));
  }
  cairo_restore(cairo);
}

}  // namespace kelpie::check
