// The feature painter on small features files: where pads, lines, arcs and
// surfaces put material, probed pixel by pixel in a coverage image of the
// square from (-1, -1) to (1, 1) inch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "parse.h"
#include "render_layer.h"

namespace kelpie::check {
namespace {

struct Probe {
  double x;
  double y;
  bool covered;
};

class Painted {
 public:
  explicit Painted(const std::string& features, const reader::Job& job = reader::Job()) {
    reader::Problems problems;
    features_ = reader::ParseFeatures(features, "features", problems);
    EXPECT_TRUE(problems.empty()) << reader::Show(problems.list().front());
    Box box;
    box.Add({-1, -1});
    box.Add({1, 1});
    view_ = FitView(box, 400, false);
    image_ = cairo_image_surface_create(CAIRO_FORMAT_A8, view_.width, view_.height);
    cairo_t* cairo = cairo_create(image_);
    const cairo_matrix_t matrix = view_.Matrix();
    cairo_set_matrix(cairo, &matrix);
    Canvas canvas(cairo);
    canvas.SetColour({0, 0, 0});
    FeaturePainter painter(job, view_);
    painter.Paint(canvas, features_);
    skipped_ = painter.skipped();
    cairo_destroy(cairo);
    cairo_surface_flush(image_);
  }
  ~Painted() { cairo_surface_destroy(image_); }
  Painted(const Painted&) = delete;
  Painted& operator=(const Painted&) = delete;

  bool Covered(double x, double y) const {
    const cairo_matrix_t matrix = view_.Matrix();
    cairo_matrix_transform_point(&matrix, &x, &y);
    const unsigned char* data = cairo_image_surface_get_data(image_);
    const int stride = cairo_image_surface_get_stride(image_);
    return data[static_cast<int>(y) * stride + static_cast<int>(x)] > 127;
  }

  void Expect(const std::vector<Probe>& probes) const {
    for (const Probe& probe : probes) {
      EXPECT_EQ(Covered(probe.x, probe.y), probe.covered) << "at (" << probe.x << ", " << probe.y << ")";
    }
  }

  std::size_t skipped() const { return skipped_; }

 private:
  reader::Features features_;
  View view_;
  cairo_surface_t* image_ = nullptr;
  std::size_t skipped_ = 0;
};

// A user symbol "flag": a square of 0.04 centred 0.12 to the right of its
// origin, so that every turn and mirror of it lands somewhere else.
reader::Job FlagJob() {
  reader::Job job;
  reader::Problems problems;
  job.symbols.push_back({"flag", reader::ParseFeatures(
                                     "S P 0\nOB 0.1 -0.02 I\nOS 0.14 -0.02\nOS 0.14 0.02\nOS 0.1 0.02\nOS 0.1 -0.02\n"
                                     "OE\nSE\n",
                                     "symbols/flag/features", problems),
                         std::nullopt});
  return job;
}

TEST(Painter, UserSymbolIsMirroredFirstThenTurnedClockwise) {
  const reader::Job job = FlagJob();
  struct Case {
    const char* orientation;
    double x;
    double y;
  };
  const double diagonal = 0.12 / std::sqrt(2.0);
  const Case cases[] = {
      {"0", 0.12, 0},   {"1", 0, -0.12}, {"2", -0.12, 0},           {"3", 0, 0.12},
      {"4", -0.12, 0},  {"5", 0, 0.12},  {"8 45", diagonal, -diagonal}, {"9 90", 0, 0.12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orientation);
    const Painted painted("$0 flag\nP 0 0 0 P 0 " + std::string(c.orientation) + "\n", job);
    EXPECT_TRUE(painted.Covered(c.x, c.y));
    EXPECT_FALSE(painted.Covered(-c.x, -c.y));
    EXPECT_FALSE(painted.Covered(0, 0));
  }
}

TEST(Painter, StandardSymbolsTurnWithTheirPad) {
  Painted("$0 rect200x50\nP 0 0 0 P 0 1\n").Expect({{0, 0.08, true}, {0.08, 0, false}, {0, -0.08, true}});
  Painted("$0 oval200x50\nP 0 0 0 P 0 8 90\n").Expect({{0, 0.09, true}, {0.09, 0, false}});
  Painted("$0 rect200x50\nP 0 0 0 P 0 8 45\n").Expect({{0.05, -0.05, true}, {0.05, 0.05, false}});
}

// Pads of any shape, mirrored or not, gathered into one path: where they
// overlap each other they still add up.
TEST(Painter, OverlappingShapesAddUp) {
  for (const char* shape : {"r200", "s200", "rect200x150", "oval200x100", "di200x200", "oct200x200x50", "hex_l200x150x40",
                            "hex_s150x200x40"}) {
    SCOPED_TRACE(shape);
    const std::string table = "$0 r200\n$1 " + std::string(shape) + "\n";
    Painted(table + "P 0 0 0 P 0 0\nP 0.03 0 1 P 0 0\n").Expect({{0.01, 0, true}, {0.02, 0.01, true}});
    Painted(table + "P 0 0 1 P 0 4\nP 0.03 0 1 P 0 0\n").Expect({{0.01, 0, true}, {0.02, 0.01, true}});
  }
}

TEST(Painter, DonutLeavesItsMiddleOpen) {
  Painted("$0 donut_r400x200\nP 0 0 0 P 0 0\n").Expect({{0, 0, false}, {0.15, 0, true}, {0, -0.15, true}, {0.25, 0, false}});
}

TEST(Painter, NegativeFeaturesClearWhatLiesBeneath) {
  Painted(
      "$0 r200\n$1 r20\nS P 0\nOB -0.5 -0.5 I\nOS 0.5 -0.5\nOS 0.5 0.5\nOS -0.5 0.5\nOS -0.5 -0.5\nOE\nSE\n"
      "P 0 0 0 N 0 0\nL -0.4 0.3 0.4 0.3 1 N 0\nP 0.3 -0.3 0 P 0 0\n")
      .Expect({{0, 0, false}, {0.2, 0, true}, {0, 0.3, false}, {0, 0.35, true}, {0.3, -0.3, true}});
}

TEST(Painter, NegativePadOfAUserSymbolClears) {
  const reader::Job job = FlagJob();
  Painted("$0 flag\n$1 r400\nP 0 0 1 P 0 0\nP 0 0 0 N 0 0\n", job).Expect({{0.12, 0, false}, {-0.12, 0, true}});
}

TEST(Painter, HolesCutOnlyTheirOwnIsland) {
  // The hole runs the same way round as its island.
  Painted(
      "S P 0\nOB -0.6 -0.6 I\nOS -0.6 0.6\nOS 0.6 0.6\nOS 0.6 -0.6\nOS -0.6 -0.6\nOE\n"
      "OB -0.3 -0.3 H\nOS -0.3 0.3\nOS 0.3 0.3\nOS 0.3 -0.3\nOS -0.3 -0.3\nOE\nSE\n")
      .Expect({{-0.5, 0, true}, {0, 0, false}});
  // An island with a hole, then an island over that hole, then one overlapping the first.
  Painted(
      "S P 0\nOB -0.6 -0.6 I\nOS -0.6 0.6\nOS 0.6 0.6\nOS 0.6 -0.6\nOS -0.6 -0.6\nOE\n"
      "OB -0.3 -0.3 H\nOS 0.3 -0.3\nOS 0.3 0.3\nOS -0.3 0.3\nOS -0.3 -0.3\nOE\n"
      "OB -0.1 -0.1 I\nOS -0.1 0.1\nOS 0.1 0.1\nOS 0.1 -0.1\nOS -0.1 -0.1\nOE\n"
      "OB 0.5 0.5 I\nOS 0.5 0.8\nOS 0.8 0.8\nOS 0.8 0.5\nOS 0.5 0.5\nOE\nSE\n")
      .Expect({{-0.5, 0, true}, {-0.2, 0, false}, {0, 0, true}, {0.55, 0.55, true}, {0.7, 0.7, true}});
}

TEST(Painter, ArcsRunTheWayTheySay) {
  const double d = 0.5 / std::sqrt(2.0);
  Painted("$0 r20\nA 0.5 0 0 0.5 0 0 0 P 0 N\n").Expect({{d, d, true}, {-d, -d, false}, {-0.5, 0, false}});
  Painted("$0 r20\nA 0.5 0 0 0.5 0 0 0 P 0 Y\n").Expect({{d, d, false}, {-d, -d, true}, {-0.5, 0, true}});
  // Ending where it starts: a whole circle.
  Painted("$0 r20\nA 0.5 0 0.5 0 0 0 0 P 0 Y\n").Expect({{0, 0.5, true}, {-0.5, 0, true}, {0, -0.5, true}});
  // A surface edge that is an arc, clockwise from (0.5, 0) to (-0.5, 0): the lower half disc.
  Painted("S P 0\nOB 0.5 0 I\nOC -0.5 0 0 0 Y\nOS 0.5 0\nOE\nSE\n").Expect({{0, -0.3, true}, {0, 0.3, false}});
}

TEST(Painter, LineEndsFollowTheSymbol) {
  Painted("$0 r200\nL -0.5 0 0.5 0 0 P 0\n").Expect({{0.59, 0, true}, {0.58, 0.08, false}, {0, 0.09, true}});
  Painted("$0 s200\nL -0.5 0 0.5 0 0 P 0\n").Expect({{0.59, 0, true}, {0.58, 0.08, true}, {0.62, 0, false}});
  // A square swept along a diagonal covers the corners of both end squares.
  Painted("$0 s200\nL -0.4 -0.4 0.4 0.4 0 P 0\n").Expect({{0.49, 0.31, true}, {0.31, 0.49, true}, {0.4, -0.2, false}});
}

// An arc whose circle is thousands of times the picture would cost cairo
// millions of pieces: its chord stands in. (Drawn true, this
// counter-clockwise arc would leave the picture at once.)
TEST(Painter, DrawsAHugeArcAsItsChord) {
  const double radius = std::hypot(0.5, 1000.0);
  ASSERT_GT(radius * 192, kLargestPixels);
  Painted("$0 r20\nA -0.5 0 0.5 0 0 -1000 0 P 0 N\n").Expect({{0, 0, true}, {-0.3, 0, true}, {0, 0.1, false}});
}

TEST(View, HostileBoxesStillGiveAPicture) {
  Box box;
  box.Add({std::numeric_limits<double>::quiet_NaN(), 0});
  box.Add({-1e300, 0});
  box.Add({1e300, 1});
  box.Add({0, std::numeric_limits<double>::infinity()});
  const View view = FitView(box, kPictureSize, false);
  EXPECT_EQ(view.width, kPictureSize);
  EXPECT_GE(view.height, 1);
  EXPECT_GT(view.scale, 0);
  EXPECT_TRUE(std::isfinite(view.scale));
}

TEST(Painter, LeavesOutWhatItCannotDraw) {
  const double huge = 1e300;
  const Painted painted("$0 r20\n$1 nosuchsymbol\nP 0 0 1 P 0 0\nL 0 0 " + std::to_string(huge) +
                        " 0 0 P 0\nP -0.5 -0.5 0 P 0 0\n");
  EXPECT_EQ(painted.skipped(), 2u);
  EXPECT_TRUE(painted.Covered(-0.5, -0.5));
  EXPECT_FALSE(painted.Covered(0.5, 0));
}

}  // namespace
}  // namespace kelpie::check
