#include "render_view.h"

#include <cairo-svg.h>
#include <png.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace kelpie::check {

void Box::Add(reader::Point point) {
  // Beyond this a board is not drawable anyway, and sizes stay finite.
  constexpr double kFar = 1e7;
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return;
  point.x = std::clamp(point.x, -kFar, kFar);
  point.y = std::clamp(point.y, -kFar, kFar);
  if (empty) {
    minX = maxX = point.x;
    minY = maxY = point.y;
    empty = false;
    return;
  }
  minX = std::min(minX, point.x);
  maxX = std::max(maxX, point.x);
  minY = std::min(minY, point.y);
  maxY = std::max(maxY, point.y);
}

void Box::Add(reader::Point center, double radius) {
  Add({center.x - radius, center.y - radius});
  Add({center.x + radius, center.y + radius});
}

cairo_matrix_t View::Matrix() const {
  cairo_matrix_t matrix;
  const double x0 = fromBelow ? box.maxX * scale : -box.minX * scale;
  cairo_matrix_init(&matrix, fromBelow ? -scale : scale, 0, 0, -scale, x0, box.maxY * scale);
  return matrix;
}

bool View::Reaches(reader::Point point) const {
  const double reach = 1e6 / scale;
  return point.x >= box.minX - reach && point.x <= box.maxX + reach && point.y >= box.minY - reach &&
         point.y <= box.maxY + reach;
}

View FitView(Box box, int longSide, bool fromBelow) {
  if (box.empty) box.Add({0, 0});
  if (box.maxX - box.minX <= 0 && box.maxY - box.minY <= 0) {
    box.Add({box.minX - 0.5, box.minY - 0.5});
    box.Add({box.maxX + 0.5, box.maxY + 0.5});
  }
  const double margin = 0.02 * std::max(box.maxX - box.minX, box.maxY - box.minY);
  box.minX -= margin;
  box.minY -= margin;
  box.maxX += margin;
  box.maxY += margin;
  View view;
  view.fromBelow = fromBelow;
  const double width = box.maxX - box.minX;
  const double height = box.maxY - box.minY;
  view.scale = longSide / std::max(width, height);
  view.width = std::max(1, static_cast<int>(std::lround(width * view.scale)));
  view.height = std::max(1, static_cast<int>(std::lround(height * view.scale)));
  view.box = box;
  return view;
}

void AddToBox(const reader::Features& features, Box& box) {
  for (const reader::Feature& feature : features.features) {
    switch (feature.kind) {
      case reader::FeatureKind::kPad:
        box.Add(feature.start);
        break;
      case reader::FeatureKind::kLine:
        box.Add(feature.start);
        box.Add(feature.end);
        break;
      case reader::FeatureKind::kArc:
        box.Add(feature.center, std::hypot(feature.start.x - feature.center.x, feature.start.y - feature.center.y));
        break;
      case reader::FeatureKind::kSurface:
        for (const reader::Contour& contour : features.ContoursOf(feature)) {
          box.Add(contour.start);
          for (const reader::Segment& segment : contour.segments) box.Add(segment.end);
        }
        break;
    }
  }
}

void SetColour(cairo_t* cairo, Colour colour) {
  cairo_set_source_rgba(cairo, colour.red, colour.green, colour.blue, colour.alpha);
}

std::string PartPath(const std::string& path) { return path + ".part"; }

bool Publish(const std::string& path, std::string& error) {
  std::error_code failure;
  std::filesystem::rename(PartPath(path), path, failure);
  if (!failure) return true;
  error = "cannot write " + path + ": " + failure.message();
  std::filesystem::remove(PartPath(path), failure);
  return false;
}

bool WriteFile(const std::string& path, std::initializer_list<std::string_view> pieces, std::string& error) {
  std::ofstream file(PartPath(path), std::ios::binary | std::ios::trunc);
  for (const std::string_view piece : pieces) file.write(piece.data(), static_cast<std::streamsize>(piece.size()));
  file.close();
  if (!file) {
    error = "cannot write " + path;
    std::error_code ignored;
    std::filesystem::remove(PartPath(path), ignored);
    return false;
  }
  return Publish(path, error);
}

namespace {

bool Failed(cairo_status_t status, const std::string& path, std::string& error) {
  if (status == CAIRO_STATUS_SUCCESS) return false;
  error = "cannot write " + path + ": " + cairo_status_to_string(status);
  std::error_code ignored;
  std::filesystem::remove(PartPath(path), ignored);
  return true;
}

// Runs the drawing on a surface and reports the first error of either.
cairo_status_t Draw(cairo_surface_t* surface, const Drawing& drawing) {
  cairo_t* cairo = cairo_create(surface);
  drawing(cairo);
  const cairo_status_t status = cairo_status(cairo);
  cairo_destroy(cairo);
  return status;
}

// libpng reports errors by a long jump back here, so this function holds
// nothing that needs destroying.
bool Encode(std::FILE* file, png_bytepp rows, int width, int height) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_write_info(png, info);
  // Cairo keeps a pixel as one 32-bit word 0xXXRRGGBB.
  if constexpr (std::endian::native == std::endian::little) {
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
  } else {
    png_set_filler(png, 0, PNG_FILLER_BEFORE);
  }
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePng(cairo_surface_t* image, const std::string& path, std::string& error) {
  cairo_surface_flush(image);
  if (Failed(cairo_surface_status(image), path, error)) return false;
  const int width = cairo_image_surface_get_width(image);
  const int height = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) rows[static_cast<std::size_t>(y)] = data + static_cast<std::ptrdiff_t>(y) * stride;
  std::FILE* file = std::fopen(PartPath(path).c_str(), "wb");
  if (file == nullptr) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool encoded = Encode(file, rows.data(), width, height);
  const bool closed = std::fclose(file) == 0;
  if (!encoded || !closed) {
    error = "cannot write " + path;
    std::error_code ignored;
    std::filesystem::remove(PartPath(path), ignored);
    return false;
  }
  return Publish(path, error);
}

bool WriteSvg(const View& view, const Drawing& drawing, const std::string& path, std::string& error) {
  cairo_surface_t* surface = cairo_svg_surface_create(PartPath(path).c_str(), view.width, view.height);
  cairo_status_t status = cairo_surface_status(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = Draw(surface, drawing);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  return !Failed(status, path, error) && Publish(path, error);
}

bool WritePicture(const View& view, const Drawing& drawing, const std::string& pngPath, const std::string& svgPath,
                  std::string& error) {
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, view.width, view.height);
  cairo_status_t status = cairo_surface_status(image);
  if (status == CAIRO_STATUS_SUCCESS) status = Draw(image, drawing);
  const bool written = !Failed(status, pngPath, error) && WritePng(image, pngPath, error);
  cairo_surface_destroy(image);
  return written && (svgPath.empty() || WriteSvg(view, drawing, svgPath, error));
}

}  // namespace kelpie::check
