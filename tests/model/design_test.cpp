// What the interface stores: library records, instances and layer features.
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

TEST(Design, StepsAndMatrixSteps) {
  Board b;
  EXPECT_EQ(b.step->profile.points.Count(), 4);
  EXPECT_DOUBLE_EQ(b.step->profile.points.turnSum, -225);  // counter-clockwise
  MatrixStep* first = b.s->AddMatrixStep(b.step, 1.5, 2.5);
  b.step->name = "renamed";
  MatrixStep* second = b.s->AddMatrixStep(b.step, 0, 0);  // no duplicate check
  EXPECT_EQ(first->column, 1);
  EXPECT_EQ(first->name, "pcb");  // a copy taken at that moment
  EXPECT_EQ(second->column, 2);
  EXPECT_EQ(second->name, "renamed");
  EXPECT_EQ(second->step, b.step);
  EXPECT_EQ(b.k->matrixSteps.size(), 2u);
}

TEST(Design, LibraryRecords) {
  Board b;
  PadShape* rect = b.s->AddPadShape("rect", 2, 0.1, 0.05, 1.0, 1.0);
  PadShape* twin = b.s->AddPadShape("rect", 3, 0.2, 0.3, 0, 0);  // names may repeat
  PadShape* round = b.s->AddRoundPadShape("round", 0.04, 1);
  PadShape* poly = b.s->AddPolygonPadShape("poly", kTriX, kTriY, 3);
  EXPECT_EQ(rect->kind, 2);
  EXPECT_EQ(rect->width, 0.1);
  EXPECT_EQ(rect->height, 0.05);
  EXPECT_FALSE(rect->plated);
  EXPECT_EQ(twin->kind, 3);
  EXPECT_EQ(round->kind, 1);
  EXPECT_EQ(round->width, 0.04);
  EXPECT_EQ(round->height, 0.04);
  EXPECT_TRUE(round->plated);
  EXPECT_EQ(poly->kind, 4);
  EXPECT_EQ(poly->width, 0);
  EXPECT_EQ(poly->height, 0);
  EXPECT_FALSE(poly->plated);
  EXPECT_EQ(poly->outline.points.Count(), 4);
  EXPECT_EQ(poly->outline.width, 0);
  EXPECT_TRUE(poly->outline.flagA && poly->outline.flagB);
  EXPECT_EQ(rect->outline.points.Count(), 0);
  EXPECT_EQ(b.step->padShapes.size(), 4u);

  PinType* pinType = b.s->AddPinType("pt");
  EXPECT_EQ(pinType->pinLayerKind, 0);
  EXPECT_EQ(pinType->drillSize, 0);
  EXPECT_TRUE(b.s->AddPinTypePad(pinType, rect, b.top));
  EXPECT_TRUE(b.s->AddPinTypePad(pinType, rect, b.top));  // no check per layer
  EXPECT_EQ(pinType->pads.size(), 2u);

  PackageType* p0 = b.s->AddPackageType("p0", -1, 1, -2, 2);
  b.s->AddPackageType("p1", 0, 0, 0, 0);
  PackageType* p2 = b.s->AddPackageType("p2", 0, 0, 0, 0);
  EXPECT_EQ(p0->index, 0);
  EXPECT_EQ(p2->index, 2);
  EXPECT_EQ(p0->xMin, -1);
  EXPECT_EQ(p0->yMax, 2);
  EXPECT_EQ(p0->outline, nullptr);
  EXPECT_EQ(p0->height, 0);
  EXPECT_TRUE(p0->partName.empty());

  const double sq[] = {0, 0, 2, 2};
  const double sqy[] = {0, 2, 2, 0};
  EXPECT_TRUE(b.s->SetPackageOutline(p0, kTriX, kTriY, 3, 0.1));
  EXPECT_TRUE(b.s->SetPackageOutline(p0, sq, sqy, 4, 0.25));
  ASSERT_NE(p0->outline, nullptr);
  EXPECT_EQ(p0->outline->points.Count(), 5);
  EXPECT_EQ(p0->outline->points.xs[2], 2);
  EXPECT_EQ(p0->height, 0.25);

  EXPECT_TRUE(b.s->AddPackagePin(p0, pinType, "A1", 0.5, -0.5, 90, 7));
  EXPECT_TRUE(b.s->AddPackagePin(p0, pinType, "A1", 0, 0, 0, 7));
  ASSERT_EQ(p0->pins.size(), 2u);
  EXPECT_EQ(p0->pins[0].index, 0);
  EXPECT_EQ(p0->pins[1].index, 1);
  EXPECT_EQ(p0->pins[0].name, "A1");
  EXPECT_EQ(p0->pins[0].number, 7);
  EXPECT_EQ(p0->pins[0].angle, 90);
  EXPECT_EQ(p0->pins[0].pinType, pinType);
  EXPECT_TRUE(b.f.sink.Errors().empty());
}

TEST(Design, ComponentsPinsAndNets) {
  Board b;
  PackageType* package = b.s->AddPackageType("so8", 0, 1, 0, 1);
  PinType* pinType = b.s->AddPinType("pt");
  Component* u1 = b.s->AddComponent(b.top, package, "U1", "LM358", 1, 2, 90, 0);
  Component* u2 = b.s->AddComponent(b.top, package, "U2", "", 0, 0, 0, 1);
  Component* u3 = b.s->AddComponent(b.bottom, package, "U3", "", 0, 0, 180, 3);
  Component* u4 = b.s->AddComponent(b.top, package, "U4", "", 0, 0, 0, 0);
  EXPECT_EQ(u1->indexOnLayer, 0);
  EXPECT_EQ(u2->indexOnLayer, 1);
  EXPECT_EQ(u4->indexOnLayer, 2);
  EXPECT_EQ(u3->indexOnLayer, 0);
  EXPECT_EQ(b.top->componentCount, 3);
  EXPECT_EQ(b.bottom->componentCount, 1);
  EXPECT_TRUE(package->usedOnTop && package->usedOnBottom);
  EXPECT_EQ(u1->partName, "LM358");
  EXPECT_EQ(u1->layer, b.top);
  EXPECT_EQ(u1->packageType, package);
  EXPECT_EQ(u1->rotation, 90);
  EXPECT_EQ(u3->mirrorMode, 3);

  Net* gnd = b.s->AddNet("GND");
  Net* again = b.s->AddNet("GND");
  EXPECT_EQ(gnd->index, 0);
  EXPECT_EQ(again->index, 1);
  EXPECT_EQ(b.step->nets.size(), 2u);

  Pin* via = b.s->AddPin(pinType, 5, 6, 45, -3, 4, gnd);
  Pin* p1 = b.s->AddComponentPin(u1, pinType, 1, 1, 0, 1, 1, gnd);
  Pin* p2 = b.s->AddComponentPin(u1, pinType, 2, 2, 0, 2, 1, nullptr);
  EXPECT_EQ(via->component, nullptr);
  EXPECT_EQ(via->indexInComponent, -1);
  EXPECT_EQ(via->subnetIndex, -1);
  EXPECT_EQ(via->value, -3);
  EXPECT_EQ(via->kind, 4);
  EXPECT_TRUE(IsViaKind(via->kind));
  EXPECT_EQ(p1->component, u1);
  EXPECT_EQ(p1->indexInComponent, 0);
  EXPECT_EQ(p2->indexInComponent, 1);
  EXPECT_EQ(p2->net, nullptr);
  EXPECT_EQ(u1->pins, (std::vector<Pin*>{p1, p2}));
  // Every pin of the step, free or not, in order of addition.
  ASSERT_EQ(b.step->pins.size(), 3u);
  EXPECT_EQ(&b.step->pins[0], via);
  EXPECT_EQ(&b.step->pins[2], p2);
}

TEST(Design, LayerFeatures) {
  Board b;
  Net* net = b.s->AddNet("n");
  PadShape* shape = b.s->AddPadShape("s", 2, 0.08, 0.02, 0, 0);
  Pin* withNet = b.s->AddPin(nullptr, 3, 4, 0, 0, 0, net);
  Pin* noNet = b.s->AddPin(nullptr, 5, 6, 0, 0, 0, nullptr);

  LineFeature* line = b.s->AddLine(b.copper, 1, 2, 3, 4, 0.01, net);
  b.s->AddLine(b.copper, 1, 2, 3, 4, 0.01, net);
  EXPECT_TRUE(b.s->AddPlainLine(b.copper, 5, 6, 7, 8, 0.02));
  EXPECT_TRUE(b.s->AddShapeLine(b.copper, shape, 0, 0, 1, 0));
  ASSERT_EQ(b.copper->lines.size(), 4u);
  EXPECT_EQ(&b.copper->lines[0], line);
  EXPECT_EQ(line->xe, 3);
  EXPECT_EQ(line->net, net);
  EXPECT_TRUE(line->positive);
  EXPECT_EQ(line->featureIndex, -1);
  EXPECT_EQ(b.copper->lines[1].ys, 2);  // identical lines are both kept
  EXPECT_EQ(b.copper->lines[2].net, nullptr);
  EXPECT_EQ(b.copper->lines[2].width, 0.02);
  EXPECT_EQ(b.copper->lines[3].width, 0.08);  // the shape's width
  EXPECT_EQ(b.copper->lines[3].net, nullptr);

  ArcFeature* arc = b.s->AddArc(b.copper, 1, 0, 0, 1, 0, 0, 0, 0.03, net);
  EXPECT_FALSE(arc->clockwise);
  EXPECT_EQ(arc->xc, 0);
  EXPECT_EQ(arc->ys, 0);
  EXPECT_EQ(arc->width, 0.03);
  EXPECT_EQ(arc->net, net);
  EXPECT_TRUE(b.s->AddCircle(b.copper, 1, 2, 0.5, 0.01, 12345));
  const ArcFeature& circle = b.copper->arcs.back();
  EXPECT_EQ(circle.xs, 0.5);
  EXPECT_EQ(circle.ys, 2);
  EXPECT_EQ(circle.xe, 0.5);
  EXPECT_EQ(circle.ye, 2);
  EXPECT_EQ(circle.xc, 1);
  EXPECT_EQ(circle.yc, 2);
  EXPECT_TRUE(circle.clockwise);
  EXPECT_EQ(circle.width, 0.01);
  EXPECT_EQ(circle.net, nullptr);

  EXPECT_TRUE(b.s->AddPinPad(b.copper, shape, withNet));
  EXPECT_TRUE(b.s->AddPinPad(b.copper, shape, noNet));
  EXPECT_TRUE(b.s->AddPad(b.copper, shape, 9, 10));
  ASSERT_EQ(b.copper->pads.size(), 3u);
  EXPECT_EQ(b.copper->pads[0].x, 3);
  EXPECT_EQ(b.copper->pads[0].y, 4);
  EXPECT_EQ(b.copper->pads[0].net, net);
  EXPECT_EQ(b.copper->pads[0].pin, withNet);
  EXPECT_EQ(b.copper->pads[1].net, nullptr);
  EXPECT_EQ(b.copper->pads[2].pin, nullptr);
  EXPECT_EQ(b.copper->pads[2].net, nullptr);
  EXPECT_EQ(b.copper->pads[2].x, 9);
  EXPECT_EQ(b.copper->pads[2].featureIndex, -1);

  EXPECT_TRUE(b.s->AddContour(b.copper, kTriX, kTriY, 3, 0.005, 0));
  Surface* surface = b.s->AddSurface(b.copper, net);
  EXPECT_EQ(surface->layer, b.copper);
  EXPECT_EQ(surface->net, net);
  // The contour goes onto the surface's layer, whatever layer is at hand.
  EXPECT_TRUE(b.s->AddSurfaceContour(surface, kTriX, kTriY, 3, 1));
  ASSERT_EQ(b.copper->contours.size(), 2u);
  const Contour& outline = b.copper->contours[0];
  EXPECT_EQ(outline.points.Count(), 4);
  EXPECT_EQ(outline.width, 0.005);
  EXPECT_FALSE(outline.flagA);
  EXPECT_TRUE(outline.flagB);
  EXPECT_EQ(outline.surface, nullptr);
  EXPECT_EQ(outline.net, nullptr);
  EXPECT_EQ(outline.featureIndex, -1);
  const Contour& area = b.copper->contours[1];
  EXPECT_EQ(area.surface, surface);
  EXPECT_EQ(area.width, 0);
  EXPECT_TRUE(area.flagA && area.flagB);
  EXPECT_TRUE(b.top->contours.empty());
}

}  // namespace
}  // namespace kelpie::test
