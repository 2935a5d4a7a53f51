// The importer's parts that the rule boards cannot pin down: the 2.5 µm
// bound on polylines that stand for curves, outline pieces that join within
// the tolerance, and how the tokenizer reads strings and places.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "kicad/geometry.h"
#include "kicad/outline.h"
#include "kicad/sexpr.h"

namespace kelpie::host::kicad {
namespace {

constexpr double kPi = std::numbers::pi;

// How far the polyline strays from the curve at most: the distance of the
// curve's samples to the nearest segment.
double Deviation(const Polyline& line, const std::function<Vec(double)>& curve) {
  auto toSegment = [](Vec p, Vec a, Vec b) {
    const Vec d = b - a;
    const double length = d.x * d.x + d.y * d.y;
    const double t = length > 0 ? std::clamp(((p.x - a.x) * d.x + (p.y - a.y) * d.y) / length, 0.0, 1.0) : 0.0;
    return Distance(p, a + d * t);
  };
  double worst = 0;
  for (int i = 0; i <= 4000; ++i) {
    const Vec p = curve(i / 4000.0);
    double nearest = INFINITY;
    for (size_t k = 1; k < line.size(); ++k) nearest = std::min(nearest, toSegment(p, line[k - 1], line[k]));
    worst = std::max(worst, nearest);
  }
  return worst;
}

TEST(KicadGeometry, ArcsAndCurvesStayWithinTheChordError) {
  for (const double radius : {0.05, 0.8, 25.0, 1000.0}) {
    for (const double sweep : {kPi / 7, -kPi, 2 * kPi}) {
      const Arc arc{{3, -4}, radius, 0.3, sweep};
      Polyline line;
      AppendArc(arc, true, line);
      EXPECT_LE(Deviation(line, [&](double t) { return PointOnArc(arc, t); }), kChordError) << radius << " " << sweep;
      // Not needlessly fine either: twice the chords would do with half the error.
      EXPECT_GT(Deviation(line, [&](double t) { return PointOnArc(arc, t); }), kChordError / 8) << radius;
    }
  }
  const Vec p0{0, 0}, p1{0, 30}, p2{40, 30}, p3{40, -5};
  Polyline curve;
  AppendBezier(p0, p1, p2, p3, curve);
  const auto bezier = [&](double t) {
    const double u = 1 - t;
    return p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t);
  };
  EXPECT_LE(Deviation(curve, bezier), kChordError);
  EXPECT_EQ(curve.front().x, p0.x);
  EXPECT_EQ(curve.back().y, p3.y);
}

TEST(KicadGeometry, ArcThroughThreePointsFindsCentreAndTurn) {
  Arc arc;
  ASSERT_TRUE(ArcThrough({1, 0}, {0, 1}, {-1, 0}, arc));
  EXPECT_NEAR(arc.center.x, 0, 1e-12);
  EXPECT_NEAR(arc.center.y, 0, 1e-12);
  EXPECT_NEAR(arc.sweep, kPi, 1e-12);
  ASSERT_TRUE(ArcThrough({1, 0}, {0, -1}, {-1, 0}, arc));
  EXPECT_NEAR(arc.sweep, -kPi, 1e-12);
  EXPECT_FALSE(ArcThrough({0, 0}, {1, 1}, {2, 2}, arc));
}

TEST(KicadOutline, PiecesJoinWithinTheToleranceOnly) {
  // A square of four lines whose corners are 5 µm apart, and a chain whose
  // last corner misses by 20 µm.
  const OutlineLoops joined = JoinOutline({{{{0, 0}, {10, 0}}, false},
                                           {{{10, 10}, {10.005, 0}}, false},  // given backwards
                                           {{{10, 10}, {0, 10.005}}, false},
                                           {{{0, 10}, {0, 0.004}}, false},
                                           {{{20, 0}, {30, 0}}, false},
                                           {{{30, 0}, {30, 10}}, false},
                                           {{{30, 10}, {20, 0.02}}, false},
                                           {{{50, 50}, {51, 50}, {51, 51}}, true}});
  ASSERT_EQ(joined.loops.size(), 2u);
  EXPECT_EQ(joined.loops[0].size(), 4u);
  EXPECT_EQ(joined.loops[1].size(), 3u);  // the closed piece as it is
  EXPECT_EQ(joined.openChains, 1);
}

TEST(KicadTokenizer, ReadsStringsWordsAndPlaces) {
  const std::string text = "(a \"x\\\"y\\n\\101\\x42\" b-1.5\n  (c))";
  Document document;
  size_t offset = 0;
  std::string error;
  ASSERT_TRUE(document.Parse(text, {}, offset, error)) << error;
  const Expr root = document.Root();
  EXPECT_EQ(root.Head(), "a");
  EXPECT_TRUE(root.At(1).IsString());
  EXPECT_EQ(root.At(1).Text(), "x\"y\nAB");
  EXPECT_TRUE(root.At(2).IsAtom());
  EXPECT_EQ(root.At(2).Text(), "b-1.5");
  Expr c = root;
  ASSERT_TRUE(root.Find("c", c));
  const Location place = document.Locate(c.offset());
  EXPECT_EQ(place.line, 2u);
  EXPECT_EQ(place.column, 3u);
  ParseLimits shallow;
  shallow.maxDepth = 1;
  EXPECT_FALSE(document.Parse(text, shallow, offset, error));
  EXPECT_EQ(error, "at most 1 lists nested in one another");
  EXPECT_EQ(offset, text.find("(c"));
}

}  // namespace
}  // namespace kelpie::host::kicad
