#include "canvas.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <algorithm>

namespace kelpie::check {

void Canvas::SetColour(Colour colour) { check::SetColour(cairo_, colour); }

void Canvas::SetOperator(cairo_operator_t op) { cairo_set_operator(cairo_, op); }

void Canvas::Fill(cairo_fill_rule_t rule) {
  cairo_set_fill_rule(cairo_, rule);
  cairo_fill(cairo_);
}

void Canvas::Stroke(double width, cairo_line_cap_t cap) {
  cairo_set_line_width(cairo_, width);
  cairo_set_line_cap(cairo_, cap);
  cairo_stroke(cairo_);
}

namespace {

// The paths are built on a context whose drawing is never looked at.
cairo_t* PathContext(const View& view) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cairo = cairo_create(surface);
  cairo_surface_destroy(surface);
  const cairo_matrix_t matrix = view.Matrix();
  cairo_set_matrix(cairo, &matrix);
  return cairo;
}

// Two decimals, trailing zeros dropped: "12.5", "-3", "0".
void AppendNumber(std::string& text, double value) {
  char digits[32];
  const auto [end, failed] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
  if (failed != std::errc()) {
    text += '0';
    return;
  }
  const char* last = end;
  while (last[-1] == '0') --last;
  if (last[-1] == '.') --last;
  const std::string_view number(digits, static_cast<std::size_t>(last - digits));
  text += number == "-0" ? "0" : number;
}

void AppendPoint(std::string& text, const cairo_path_data_t& point) {
  AppendNumber(text, point.point.x);
  text += ' ';
  AppendNumber(text, point.point.y);
}

std::string Hex(Colour colour) {
  char text[8];
  auto byte = [](double value) { return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255)); };
  std::snprintf(text, sizeof text, "#%02x%02x%02x", byte(colour.red), byte(colour.green), byte(colour.blue));
  return text;
}

}  // namespace

SvgCanvas::SvgCanvas(const View& view, Colour background) : Canvas(PathContext(view)), scale_(view.scale) {
  const std::string width = std::to_string(view.width);
  const std::string height = std::to_string(view.height);
  text_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width +
          "\" height=\"" + height + "\" viewBox=\"0 0 " + width + " " + height + "\">\n<rect width=\"" + width +
          "\" height=\"" + height + "\" fill=\"" + Hex(background) + "\"/>\n";
}

SvgCanvas::~SvgCanvas() { cairo_destroy(cairo_); }

void SvgCanvas::SetColour(Colour colour) {
  colour_ = Hex(colour);
  opacity_ = colour.alpha;
}

void SvgCanvas::SetOperator(cairo_operator_t) {}

void SvgCanvas::Fill(cairo_fill_rule_t rule) {
  text_ += "<path fill=\"" + colour_ + "\"";
  if (opacity_ < 1) {
    text_ += " fill-opacity=\"";
    AppendNumber(text_, opacity_);
    text_ += "\"";
  }
  if (rule == CAIRO_FILL_RULE_EVEN_ODD) text_ += " fill-rule=\"evenodd\"";
  AppendPathData();
}

void SvgCanvas::Stroke(double width, cairo_line_cap_t cap) {
  text_ += "<path fill=\"none\" stroke=\"" + colour_ + "\" stroke-linejoin=\"round\" stroke-width=\"";
  AppendNumber(text_, width * scale_);
  text_ += cap == CAIRO_LINE_CAP_ROUND    ? "\" stroke-linecap=\"round\""
           : cap == CAIRO_LINE_CAP_SQUARE ? "\" stroke-linecap=\"square\""
                                          : "\"";
  AppendPathData();
}

void SvgCanvas::AppendPathData() {
  cairo_save(cairo_);
  cairo_identity_matrix(cairo_);  // the path in pixels
  cairo_path_t* path = cairo_copy_path(cairo_);
  cairo_restore(cairo_);
  cairo_new_path(cairo_);
  text_ += " d=\"";
  if (path->status == CAIRO_STATUS_SUCCESS) {
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
      const cairo_path_data_t* data = &path->data[i];
      switch (data->header.type) {
        case CAIRO_PATH_MOVE_TO:
          text_ += 'M';
          AppendPoint(text_, data[1]);
          break;
        case CAIRO_PATH_LINE_TO:
          text_ += 'L';
          AppendPoint(text_, data[1]);
          break;
        case CAIRO_PATH_CURVE_TO:
          text_ += 'C';
          for (int k = 1; k <= 3; ++k) {
            AppendPoint(text_, data[k]);
            text_ += k < 3 ? " " : "";
          }
          break;
        case CAIRO_PATH_CLOSE_PATH:
          text_ += 'Z';
          break;
      }
    }
  }
  cairo_path_destroy(path);
  text_ += "\"/>\n";
}

bool SvgCanvas::Save(const std::string& path, std::string& error) const {
  return WriteFile(path, {text_, "</svg>\n"}, error);
}

}  // namespace kelpie::check
