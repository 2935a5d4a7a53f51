// The features and attrlist files of the layers: name tables, records,
// attributes, feature order and indices, stroked outlines.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const std::string kLayers = "board\\steps\\pcb\\layers\\";
const std::string kTop = kLayers + "top\\features";
const Lines kAttributeNames = {"@0 .geometry", "@1 .drill", "@2 .pad_usage"};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct FeatureBoard : JobBoard {
  FeatureBoard() {
    AddStack();
    AddStep("pcb");
  }

  // A one-pin part on the component top layer, its pin at (x, y) of the
  // given kind and pin type (which gets a pad on "top" for the EDA data).
  Pin* AddPartPin(PinType* pinType, PadShape* shape, double x, double y, int kind) {
    host->AddPinTypePad(pinType, shape, top);
    const std::string name = "pkg" + std::to_string(++parts);
    PackageType* package = host->AddPackageType(name.c_str(), -0.1, 0.1, -0.1, 0.1);
    host->AddPackagePin(package, pinType, "1", 0, 0, 0, 1);
    const std::string reference = "U" + std::to_string(parts);
    Component* part = host->AddComponent(ctop, package, reference.c_str(), "", x, y, 0, 0);
    return host->AddComponentPin(part, pinType, x, y, 0, 0, kind, nullptr);
  }

  // A triangle with its first corner at (x, 1), given counter-clockwise.
  void AddTriangle(Layer* layer, double x) {
    const double xs[] = {x, x + 1, x + 1};
    const double ys[] = {1, 1, 2};
    host->AddContour(layer, xs, ys, 3, 0, 1);
  }

  int parts = 0;
};

TEST(OdbLayerFeatures, LayerWithoutFeaturesHasOnlyItsTables) {
  FeatureBoard b;
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(kTop), Join({{"#top"}, kAttributeNames, {"&0  "}}));
  EXPECT_EQ(b.Body(kLayers + "top\\attrlist"),
            (Lines{".out_mirror = no", ".lpol_done = no", ".cu_base = no", ".comment = ",
                   ".inp_file = ", ".eda_layers = 1", ".layer_class = ", ".out_angle = 0.0",
                   ".out_polarity = positive", ".layer_hdi_type = buildup", ".out_x_scale = 1",
                   ".out_y_scale = 1", ".out_comp = 0", ".et_adjacency = 20",
                   ".layer_dielectric = 0.0001", ".copper_weight = 1"}));
  ExpectSummaryMatchesFile(b.f.store, kTop);
  ExpectSummaryMatchesFile(b.f.store, kLayers + "top\\attrlist");
}

// The points (0,0), (1,0), (1,1), counter-clockwise, are written clockwise.
// (1, 0) comes back from the rotation that every point goes through with a
// y of about -2e-16, which prints as -0.
TEST(OdbLayerFeatures, LoneContourIsASurfaceOfItsOwn) {
  FeatureBoard b;
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  b.host->AddContour(b.top, xs, ys, 3, 0, 1);
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(kTop), Join({{"#top", "$0 r0"},
                                kAttributeNames,
                                {"&0  ", "S P 0", "OB 0 0 I ", "OS 1 1 ", "OS 1 -0 ", "OS 0 0 ",
                                 "OE", "SE"}}));
}

TEST(OdbLayerFeatures, PadRecordsNameTheirSymbolAndAttributesByNumber) {
  FeatureBoard b;
  PadShape* r10 = b.host->AddRoundPadShape("a", 0.01, 1);
  PadShape* r20 = b.host->AddRoundPadShape("b", 0.02, 1);
  PadShape* r30 = b.host->AddRoundPadShape("c", 0.03, 1);
  PadShape* rect = b.host->AddPadShape("d", 2, 0.05, 0.0125, 0, 0);
  b.host->AddPad(b.top, r10, 0, 0);
  b.host->AddPad(b.top, r20, 0, 1);
  b.host->AddPad(b.top, r30, 0, 2);
  Pin* pin = b.AddPartPin(b.host->AddPinType("smd"), rect, 1.2, 0.5, 1);
  b.host->AddPinPad(b.top, rect, pin);
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(kTop),
            Join({{"#top", "$0 r10", "$1 r20", "$2 r30", "$3 rect50x12.5"},
                  kAttributeNames,
                  {"&0  ", "&1 smd", "P 0 0 0 P 0 0;0=0,2=0 ", "P 0 1 1 P 0 0;0=0,2=0 ",
                   "P 0 2 2 P 0 0;0=0,2=0 ", "P 1.2 0.5 3 P 0 0;0=1,2=0 "}}));
}

TEST(OdbLayerFeatures, PadUsageAndDrillKindFollowThePin) {
  FeatureBoard b;
  Layer* drill = b.host->AddDrillLayer("drill", 5, b.top, b.bottom);
  PadShape* plated = b.host->AddRoundPadShape("p", 0.03, 1);
  PadShape* bare = b.host->AddRoundPadShape("n", 0.04, 0);
  PinType* viaType = b.host->AddPinType("via");
  PinType* fidType = b.host->AddPinType("fid");
  Pin* via = b.host->AddPin(viaType, 1, 0, 0, 0, 4, nullptr);
  Pin* global = b.host->AddPin(fidType, 2, 0, 0, 0, 6, nullptr);
  Pin* local = b.AddPartPin(fidType, plated, 3, 0, 6);
  b.host->AddPad(drill, bare, 0, 0);
  b.host->AddPad(drill, plated, 0, 1);
  b.host->AddPinPad(drill, bare, via);  // a via whatever its plating
  b.host->AddPinPad(drill, plated, global);
  b.host->AddPinPad(drill, plated, local);
  b.host->AddPinPad(b.top, plated, via);
  ASSERT_TRUE(b.Export());

  EXPECT_EQ(b.Body(kLayers + "drill\\features"),
            Join({{"#drill", "$0 r40", "$1 r30"},
                  kAttributeNames,
                  {"&0  ", "&1 via", "&2 fid", "P 0 0 0 P 0 0;0=0,2=0,1=1 ",
                   "P 0 1 1 P 0 0;0=0,2=0,1=0 ", "P 1 0 0 P 0 0;0=1,2=1,1=2 ",
                   "P 2 0 1 P 0 0;0=2,2=2,1=0 ", "P 3 0 1 P 0 0;0=2,2=3,1=0 "}}));
  // The same via pad off the drill layer carries no drill kind.
  EXPECT_EQ(b.Body(kTop).back(), "P 1 0 0 P 0 0;0=1,2=1 ");
}

TEST(OdbLayerFeatures, LinesAndArcsShareRoundSymbolsWithPads) {
  FeatureBoard b;
  PadShape* r60 = b.host->AddRoundPadShape("r", 0.06, 1);
  PadShape* rect2 = b.host->AddPadShape("a", 2, 0.05, 0.02, 0, 0);
  PadShape* rect3 = b.host->AddPadShape("b", 3, 0.05, 0.02, 0, 0);
  b.host->AddPad(b.top, r60, 1, 1);
  b.host->AddPad(b.top, rect2, 2, 1);
  b.host->AddPad(b.top, rect3, 3, 1);
  b.host->AddLine(b.top, 0, 0, 1, 0, 0.06, nullptr);
  b.host->AddPlainLine(b.top, 0, 0, 0, 1, 0.01);
  b.host->AddArc(b.top, 0, 0, 1, 1, 0.5, 0.5, 1, 0.02, nullptr);
  b.host->AddArc(b.top, 1, 1, 0, 0, 0.5, 0.5, 0, 0.01, nullptr);
  b.host->AddCircle(b.top, 2, 2, 0.5, 0.01, 0);
  b.AddTriangle(b.top, 5);
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(kTop),
            Join({{"#top", "$0 r60", "$1 rect50x20", "$2 r10", "$3 r20", "$4 r0"},
                  kAttributeNames,
                  {"&0  ", "S P 0", "OB 5 1 I ", "OS 6 2 ", "OS 6 1 ", "OS 5 1 ", "OE", "SE",
                   "P 1 1 0 P 0 0;0=0,2=0 ", "P 2 1 1 P 0 0;0=0,2=0 ", "P 3 1 1 P 0 0;0=0,2=0 ",
                   "L 0 0 1 0 0 P 0", "L 0 0 0 1 2 P 0", "A 0 0 1 1 0.5 0.5 3 P 0 Y",
                   "A 1 1 0 0 0.5 0.5 2 P 0 N", "A 1.5 2 1.5 2 2 2 2 P 0 Y"}}));
}

// Lone contours first, then each surface with its own contours (whatever
// order they were added in), then pads, lines, arcs; the EDA data quotes the
// indices that this order gives.
TEST(OdbLayerFeatures, SurfacesFollowLoneContoursAndNumberTheirContoursAsOne) {
  FeatureBoard b;
  Net* gnd = b.host->AddNet("gnd");
  b.AddTriangle(b.top, 0);
  b.AddTriangle(b.top, 10);
  Surface* a = b.host->AddSurface(b.top, gnd);
  Surface* s = b.host->AddSurface(b.top, gnd);
  const double xs[] = {20, 21, 21};
  const double ys[] = {1, 1, 2};
  b.host->AddSurfaceContour(a, xs, ys, 3, 1);
  const double xs30[] = {30, 31, 31};
  b.host->AddSurfaceContour(s, xs30, ys, 3, 1);
  const double xs40[] = {40, 41, 41};
  b.host->AddSurfaceContour(a, xs40, ys, 3, 1);
  b.host->AddLine(b.top, 0, 0, 1, 1, 0.01, gnd);
  ASSERT_TRUE(b.Export());

  Lines outline;
  for (const std::string& line : b.Body(kTop)) {
    if (line == "S P 0" || line == "SE" || line.rfind("OB", 0) == 0 || line.rfind("L ", 0) == 0)
      outline.push_back(line);
  }
  EXPECT_EQ(outline, (Lines{"S P 0", "OB 0 1 I ", "SE", "S P 0", "OB 10 1 I ", "SE", "S P 0",
                            "OB 20 1 I ", "OB 40 1 I ", "SE", "S P 0", "OB 30 1 I ", "SE",
                            "L 0 0 1 1 0 P 0"}));
  const Lines eda = b.Body("board\\steps\\pcb\\eda\\data");
  auto net = std::find(eda.begin(), eda.end(), "NET gnd");
  ASSERT_NE(net, eda.end());
  ASSERT_GE(eda.end() - net, 7);
  EXPECT_EQ(Lines(net, net + 7), (Lines{"NET gnd", "SNT TRC", "FID C 1 4", "SNT PLN S E 0",
                                        "FID C 1 2", "SNT PLN S E 0", "FID C 1 3"}));
}

// The outline of a contour with a width becomes lines of the layer, after
// its own lines, for this export only: neither a second export nor one after
// a failed export writes them twice.
TEST(OdbLayerFeatures, StrokedOutlinesAreWrittenOncePerExport) {
  for (const bool failing : {false, true}) {
    SCOPED_TRACE(failing ? "failing job" : "complete job");
    FeatureBoard b;
    const double xs[] = {0, 1, 1, 0};
    const double ys[] = {0, 0, 1, 1};
    b.host->AddContour(b.top, xs, ys, 4, 0.01, 0);  // not filled: outline only
    b.host->AddLine(b.top, 5, 5, 6, 6, 0.02, nullptr);
    if (failing) {
      // More pins than its package: the components files fail the job after
      // the features were written.
      PackageType* empty = b.host->AddPackageType("empty", 0, 1, 0, 1);
      Component* u1 = b.host->AddComponent(b.ctop, empty, "U1", "", 0, 0, 0, 0);
      b.host->AddComponentPin(u1, nullptr, 0, 0, 0, 0, 1, nullptr);
    }
    const Lines expected = Join({{"#top", "$0 r20", "$1 r10"},
                                 kAttributeNames,
                                 {"&0  ", "L 5 5 6 6 0 P 0", "L 0 1 0 0 1 P 0", "L 1 1 0 1 1 P 0",
                                  "L 1 -0 1 1 1 P 0", "L 0 0 1 -0 1 P 0"}});
    for (int run = 0; run < 2; ++run) {
      EXPECT_EQ(b.Export(), !failing);
      EXPECT_EQ(b.Body(kTop), expected) << "run " << run;
    }
  }
}

TEST(OdbLayerFeatures, PadShapeOfUnknownKindGetsAnEmptySymbolAndTheFileGoesOn) {
  FeatureBoard b;
  PadShape* odd = b.host->AddPadShape("odd", 7, 0.05, 0.05, 0, 0);
  b.host->AddPad(b.top, odd, 1, 1);
  b.f.sink.Clear();
  EXPECT_TRUE(b.Export());
  EXPECT_EQ(b.Body(kTop),
            Join({{"#top", "$0 "}, kAttributeNames, {"&0  ", "P 1 1 0 P 0 0;0=0,2=0 "}}));
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"PadTypeToName: type not yet implemented",
                                      "PadTypeToName: type not yet implemented"}));
}

TEST(OdbLayerFeatures, PinTypeWithoutNameEndsTheFileAndTheJob) {
  FeatureBoard b;
  PadShape* round = b.host->AddRoundPadShape("r", 0.05, 1);
  b.host->AddPad(b.top, round, 0, 0);
  Pin* pin = b.host->AddPin(b.host->AddPinType(""), 1, 1, 0, 0, 1, nullptr);
  b.host->AddPinPad(b.top, round, pin);
  b.host->AddPad(b.top, round, 2, 2);
  b.f.sink.Clear();
  EXPECT_FALSE(b.Export());
  EXPECT_EQ(b.Body(kTop), Join({{"#top", "$0 r50"},
                                kAttributeNames,
                                {"&0  ", "&1 ", "P 0 0 0 P 0 0;0=0,2=0 "}}));
  ExpectSummaryMatchesFile(b.f.store, kTop);
  // Neither the layer's attrlist nor any later layer, EDA data or netlist.
  EXPECT_EQ(b.Opened().back(), kLayers + "top\\.features.sum");
  EXPECT_EQ(b.f.sink.Errors(),
            (Lines{"Attribute value cannot be blank", "Write job 'board' failed"}));
}

}  // namespace
}  // namespace kelpie::test
