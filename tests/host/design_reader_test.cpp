// The design reader: what a design file turns into, before the plug-in sees
// it. (Bad files are covered end to end, with the program's exit status.)
#include <gtest/gtest.h>

#include "design.h"
#include "host_test_support.h"

namespace kelpie::host::test {
namespace {

Design Read(const std::string& text) {
  Design design;
  std::string error;
  EXPECT_TRUE(ReadDesign(text, "test.json", design, error)) << error;
  return design;
}

std::string Error(const std::string& text) {
  Design design;
  std::string error;
  EXPECT_FALSE(ReadDesign(text, "test.json", design, error));
  return error;
}

TEST(HostDesignReader, TinyDesignResolvesEveryReference) {
  const Design design = Read(TinyDesign());
  EXPECT_EQ(design.jobName, "tiny");
  EXPECT_FALSE(design.customer.has_value());
  ASSERT_EQ(design.layers.size(), 5u);
  EXPECT_EQ(design.layers[1].polarity, kPolarityPositive);  // the defaults
  EXPECT_EQ(design.layers[1].context, kContextBoard);
  EXPECT_EQ(design.layers[4].drillFrom, 1);
  EXPECT_EQ(design.layers[4].drillTo, 2);
  EXPECT_EQ(design.matrix, std::vector<int>{0});  // every step, once
  const StepRecord& step = design.steps.at(0);
  EXPECT_EQ(step.packages[0].pins[1].number, 2);  // numbered from 1 by default
  // Component pins first, then the free pins.
  ASSERT_EQ(step.pins.size(), 3u);
  EXPECT_EQ(step.pins[1].component, 0);
  EXPECT_EQ(step.pins[1].net, 1);
  EXPECT_EQ(step.pins[2].component, -1);
  EXPECT_EQ(step.pins[2].pads[0].layer, 4);
  EXPECT_EQ(step.features[0].net, 0);
}

TEST(HostDesignReader, IdsMillimetresAndEveryFeatureKind) {
  const Design design = Read(R"({
    "units": "mm",
    "job": {"name": "j", "thickness": 1.6},
    "layers": [{"name": "Top Copper", "id": "top", "row": 3, "type": 1, "polarity": "negative", "context": "misc"}],
    "steps": [
      {"name": "a", "profile": [[0, 0]]},
      {"name": "b", "id": "panel", "profile": [[0, 0], [254, 0], [254, 127]],
       "padShapes": [{"name": "s", "kind": 3, "width": 2.54, "height": 1.27},
                     {"name": "s", "id": "poly", "shape": "polygon", "points": [[0, 0], [25.4, 0], [0, 25.4]]}],
       "pinTypes": [{"name": "t"}],
       "nets": [{"name": "GND", "id": "g"}, "GND2"],
       "pins": [{"id": "v1", "pinType": "t", "x": 25.4, "y": 50.8, "angle": 45, "value": 7, "net": "g"}],
       "features": [
         {"type": "pad", "layer": "top", "shape": "poly", "at": [2.54, 0]},
         {"type": "pinPad", "layer": "Top Copper", "shape": "poly", "pin": "v1"},
         {"type": "arc", "layer": "top", "from": [0, 0], "to": [0, 0], "center": [25.4, 0], "clockwise": true,
          "width": 0.254, "net": "GND2"},
         {"type": "circle", "layer": "top", "center": [0, 0], "radius": 12.7, "width": 0},
         {"type": "contour", "layer": "top", "points": [[0, 0], [1, 0], [1, 1]], "width": 0.1, "filled": false},
         {"type": "surface", "layer": "top", "contours": [{"points": [[0, 0], [1, 0], [1, 1]]},
                                                          {"points": [[0, 0]], "filled": false}]},
         {"type": "shapeLine", "layer": "top", "shape": "poly", "from": [0, 0], "to": [25.4, 25.4]}
       ]}
    ],
    "matrix": ["panel", "a", "b"]
  })");
  EXPECT_DOUBLE_EQ(*design.thickness, 1.6 / 25.4);
  EXPECT_EQ(design.layers[0].row, 3);
  EXPECT_EQ(design.layers[0].type, 1);
  EXPECT_EQ(design.layers[0].polarity, kPolarityNegative);
  EXPECT_EQ(design.layers[0].context, kContextMisc);
  EXPECT_EQ(design.matrix, (std::vector<int>{1, 0, 1}));
  const StepRecord& step = design.steps[1];
  EXPECT_DOUBLE_EQ(step.profile[1].x, 10);
  EXPECT_DOUBLE_EQ(step.padShapes[0].width, 0.1);
  EXPECT_EQ(step.padShapes[0].kind, 3);
  EXPECT_EQ(step.padShapes[1].kind, 4);
  EXPECT_DOUBLE_EQ(step.pins[0].y, 2);
  EXPECT_EQ(step.pins[0].angle, 45);  // angles are not lengths
  EXPECT_EQ(step.pins[0].value, 7);
  ASSERT_EQ(step.features.size(), 7u);
  EXPECT_EQ(step.features[0].shape, 1);
  EXPECT_EQ(step.features[1].pin, 0);
  EXPECT_EQ(step.features[2].net, 1);
  EXPECT_TRUE(step.features[2].clockwise);
  EXPECT_DOUBLE_EQ(step.features[3].radius, 0.5);
  EXPECT_FALSE(step.features[4].filled);
  ASSERT_EQ(step.features[5].contours.size(), 2u);
  EXPECT_FALSE(step.features[5].contours[1].filled);
  EXPECT_EQ(step.features[5].net, -1);
  EXPECT_EQ(step.features[6].kind, FeatureRecord::kShapeLine);
}

TEST(HostDesignReader, ReferencesAreScopedToTheirStep) {
  const std::string error = Error(R"({
    "layers": [{"name": "top", "type": "signal"}],
    "steps": [{"name": "a", "profile": [[0, 0]], "nets": ["N"]},
              {"name": "b", "profile": [[0, 0]], "features": [
                 {"type": "line", "layer": "top", "from": [0, 0], "to": [1, 1], "width": 0.1, "net": "N"}]}]
  })");
  EXPECT_EQ(error, "test.json: $.steps[1].features[0].net: unknown net \"N\"");
  EXPECT_EQ(Error(R"({"steps": [{"name": "a", "profile": []}]})"), "test.json: $.steps[0].profile: needs at least one point");
  EXPECT_EQ(Error(R"({"units": "cm"})"), "test.json: $.units: unknown units \"cm\" (expected \"inch\" or \"mm\")");
  EXPECT_EQ(Error(R"({"layers": [{"name": "x", "type": "copper"}]})"),
            "test.json: $.layers[0].type: unknown value \"copper\" (expected one of component-bottom, "
            "component-top, document, drill, mask, mixed, power-ground, rout, signal, silk-screen, solder-mask, "
            "solder-paste)");
  EXPECT_EQ(Error(R"({"steps": [{"name": "a", "profile": [[0, 0]], "padShapes": [{"name": "p", "shape": "round", "kind": 1}]}]})"),
            "test.json: $.steps[0].padShapes[0]: give either \"shape\" or \"kind\", not both");
  EXPECT_EQ(Error(R"({"steps": [{"name": "a", "profile": [[0, 0]], "packages": [{"name": "p", "box": {"xMin": 0, "xMax": 1, "yMin": 0, "yMax": 1}, "height": 1}]}]})"),
            "test.json: $.steps[0].packages[0].height: a height needs an \"outline\"");
  EXPECT_EQ(Error(R"({"layers": [{"name": "x", "type": "signal", "row": 3000000000}]})"),
            "test.json: $.layers[0].row: the number 3000000000 is too large");
  EXPECT_EQ(Error("[]"), "test.json: $: expected an object, found an array");
}

}  // namespace
}  // namespace kelpie::host::test
