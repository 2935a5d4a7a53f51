// The rules of the design database beyond storing what the host passes:
// positions in lists, side marks, replaced outlines, and what features take
// from their pin, surface or pad shape. (That every slot stores its own
// arguments is checked in tests/abi.)
#include <gtest/gtest.h>

#include "recording_host.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

const double kTriX[] = {0, 1, 1};
const double kTriY[] = {0, 0, 1};

struct Board {
  ServerFixture f;
  IKELPIE* s = f.server;
  KELPIE* k = static_cast<KELPIE*>(f.server);
  Layer* top = s->AddLayer("top", 0, kLayerComponentTop, kPolarityPositive, kContextBoard);
  Layer* bottom = s->AddLayer("bot", 0, kLayerComponentBottom, kPolarityPositive, kContextBoard);
  Layer* copper = s->AddLayer("cu", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  Step* step = s->AddStep("pcb", kTriX, kTriY, 3);
};

TEST(Design, PositionsInLists) {
  Board b;
  MatrixStep* first = b.s->AddMatrixStep(b.step, 0, 0);
  b.step->name = "renamed";
  MatrixStep* second = b.s->AddMatrixStep(b.step, 0, 0);  // the same step again
  EXPECT_EQ(first->column, 1);
  EXPECT_EQ(first->name, "pcb");  // a copy taken at that moment
  EXPECT_EQ(second->column, 2);
  EXPECT_EQ(second->name, "renamed");

  b.s->AddPackageType("p0", 0, 1, 0, 1);
  b.s->AddPackageType("p1", 0, 1, 0, 1);
  PackageType* p2 = b.s->AddPackageType("p2", 0, 1, 0, 1);
  EXPECT_EQ(p2->index, 2);
  PinType* pinType = b.s->AddPinType("pt");
  b.s->AddPackagePin(p2, pinType, "1", 0, 0, 0, 9);
  b.s->AddPackagePin(p2, pinType, "1", 0, 0, 0, 9);  // no duplicate check
  EXPECT_EQ(p2->pins[0].index, 0);
  EXPECT_EQ(p2->pins[1].index, 1);

  EXPECT_EQ(b.s->AddNet("GND")->index, 0);
  EXPECT_EQ(b.s->AddNet("GND")->index, 1);  // same name, both kept

  Component* u1 = b.s->AddComponent(b.top, p2, "U1", "", 0, 0, 0, 0);
  Component* u2 = b.s->AddComponent(b.top, p2, "U2", "", 0, 0, 0, 0);
  Component* u3 = b.s->AddComponent(b.bottom, p2, "U3", "", 0, 0, 0, 0);
  Component* u4 = b.s->AddComponent(b.top, p2, "U4", "", 0, 0, 0, 0);
  EXPECT_EQ(u1->indexOnLayer, 0);
  EXPECT_EQ(u2->indexOnLayer, 1);
  EXPECT_EQ(u4->indexOnLayer, 2);
  EXPECT_EQ(u3->indexOnLayer, 0);
  EXPECT_TRUE(p2->usedOnTop && p2->usedOnBottom);

  Pin* via = b.s->AddPin(pinType, 0, 0, 0, 0, 4, nullptr);
  Pin* p1 = b.s->AddComponentPin(u1, pinType, 0, 0, 0, 0, 1, nullptr);
  Pin* p3 = b.s->AddComponentPin(u3, pinType, 0, 0, 0, 0, 1, nullptr);
  Pin* p1b = b.s->AddComponentPin(u1, pinType, 0, 0, 0, 0, 1, nullptr);
  EXPECT_EQ(via->indexInComponent, -1);
  EXPECT_EQ(via->component, nullptr);
  EXPECT_EQ(via->subnetIndex, -1);
  EXPECT_EQ(p1b->indexInComponent, 1);
  EXPECT_EQ(p3->indexInComponent, 0);
  EXPECT_EQ(u1->pins, (std::vector<Pin*>{p1, p1b}));
  // The step keeps every pin, free or not, in order of addition.
  ASSERT_EQ(b.step->pins.size(), 4u);
  EXPECT_EQ(&b.step->pins[0], via);
  EXPECT_EQ(&b.step->pins[2], p3);
}

TEST(Design, ShapesAndOutlines) {
  Board b;
  PadShape* poly = b.s->AddPolygonPadShape("poly", kTriX, kTriY, 3);
  EXPECT_EQ(poly->kind, 4);
  EXPECT_EQ(poly->width, 0);
  EXPECT_FALSE(poly->plated);
  EXPECT_EQ(poly->outline.points.Count(), 4);  // closed
  EXPECT_EQ(b.s->AddPadShape("rect", 2, 1, 1, 0, 0)->outline.points.Count(), 0);

  PackageType* package = b.s->AddPackageType("pkg", 0, 1, 0, 1);
  EXPECT_EQ(package->outline, nullptr);
  const double sx[] = {0, 0, 2, 2};
  const double sy[] = {0, 2, 2, 0};
  b.s->SetPackageOutline(package, kTriX, kTriY, 3, 0.1);
  b.s->SetPackageOutline(package, sx, sy, 4, 0.25);
  ASSERT_NE(package->outline, nullptr);
  EXPECT_EQ(package->outline->points.Count(), 5);
  EXPECT_EQ(package->outline->points.xs[2], 2);
  EXPECT_EQ(package->height, 0.25);
}

TEST(Design, FeaturesTakeWhatTheirOperationGives) {
  Board b;
  Net* net = b.s->AddNet("n");
  PadShape* shape = b.s->AddPadShape("s", 2, 0.08, 0.02, 0, 0);
  Pin* withNet = b.s->AddPin(nullptr, 3, 4, 0, 0, 0, net);
  Pin* noNet = b.s->AddPin(nullptr, 5, 6, 0, 0, 0, nullptr);

  b.s->AddPinPad(b.copper, shape, withNet);
  b.s->AddPinPad(b.copper, shape, noNet);
  b.s->AddPad(b.copper, shape, 9, 10);
  ASSERT_EQ(b.copper->pads.size(), 3u);
  EXPECT_EQ(b.copper->pads[0].x, 3);  // position and net from the pin
  EXPECT_EQ(b.copper->pads[0].y, 4);
  EXPECT_EQ(b.copper->pads[0].net, net);
  EXPECT_EQ(b.copper->pads[1].net, nullptr);
  EXPECT_EQ(b.copper->pads[2].pin, nullptr);
  EXPECT_EQ(b.copper->pads[2].net, nullptr);

  b.s->AddLine(b.copper, 1, 2, 3, 4, 0.01, net);
  b.s->AddLine(b.copper, 1, 2, 3, 4, 0.01, net);  // identical lines both kept
  b.s->AddShapeLine(b.copper, shape, 0, 0, 1, 0);
  ASSERT_EQ(b.copper->lines.size(), 3u);
  EXPECT_EQ(b.copper->lines[2].width, 0.08);  // the shape's width
  EXPECT_EQ(b.copper->lines[2].net, nullptr);
  EXPECT_TRUE(b.copper->lines[2].positive);

  // A full circle: one clockwise arc from and to its leftmost point.
  b.s->AddCircle(b.copper, 1, 2, 0.5, 0.01, 0);
  const ArcFeature& circle = b.copper->arcs.back();
  EXPECT_EQ(circle.xs, 0.5);
  EXPECT_EQ(circle.ys, 2);
  EXPECT_EQ(circle.xe, 0.5);
  EXPECT_EQ(circle.ye, 2);
  EXPECT_EQ(circle.xc, 1);
  EXPECT_EQ(circle.yc, 2);
  EXPECT_TRUE(circle.clockwise);
  EXPECT_EQ(circle.net, nullptr);

  b.s->AddContour(b.copper, kTriX, kTriY, 3, 0.005, 0);
  Surface* surface = b.s->AddSurface(b.copper, net);
  EXPECT_EQ(surface->layer, b.copper);
  b.s->AddSurfaceContour(surface, kTriX, kTriY, 3, 1);
  ASSERT_EQ(b.copper->contours.size(), 2u);
  const Contour& outline = b.copper->contours[0];
  EXPECT_EQ(outline.points.Count(), 4);
  EXPECT_EQ(outline.width, 0.005);
  EXPECT_FALSE(outline.flagA);
  EXPECT_TRUE(outline.flagB);
  EXPECT_EQ(outline.surface, nullptr);
  EXPECT_EQ(outline.featureIndex, -1);
  const Contour& area = b.copper->contours[1];
  EXPECT_EQ(area.surface, surface);  // on the surface's own layer
  EXPECT_EQ(area.width, 0);
  EXPECT_TRUE(area.flagA && area.flagB);
  EXPECT_TRUE(b.f.sink.Errors().empty());
}

}  // namespace
}  // namespace kelpie::test
