// The components file of a component layer, written directly by
// WriteComponents on a model described through the interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "odb/odb_writers.h"
#include "recording_host.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

const char* const kTopPath = "job\\steps\\pcb\\layers\\comp_+_top\\components";
const char* const kBottomPath = "job\\steps\\pcb\\layers\\comp_+_bot\\components";

class ComponentsTest : public ::testing::Test {
 protected:
  ComponentsTest() {
    fileStore = &f.store;
    const double xs[] = {0, 4, 4, 0};
    const double ys[] = {0, 0, 3, 3};
    compTop = f.server->AddLayer("comp_+_top", 1, kLayerComponentTop, 1, 1);
    signal = f.server->AddLayer("top", 2, kLayerSignal, 1, 1);
    compBottom = f.server->AddLayer("comp_+_bot", 3, kLayerComponentBottom, 1, 1);
    step = f.server->AddStep("pcb", xs, ys, 4);
    pinType = f.server->AddPinType("pt");
    for (const char* name : {"n0", "n1", "n2", "n3"}) nets.push_back(f.server->AddNet(name));
  }

  // A package with `pins` pins.
  PackageType* Package(const char* name, int pins) {
    PackageType* package = f.server->AddPackageType(name, -0.1, 0.1, -0.05, 0.05);
    for (int i = 0; i < pins; ++i) f.server->AddPackagePin(package, pinType, "p", 0.05 * i, 0, 0, i + 1);
    return package;
  }

  bool Write(Layer* layer, const std::string& name) {
    return WriteComponents("job\\steps\\pcb\\layers\\" + name, step, layer);
  }

  ServerFixture f;
  Step* step = nullptr;
  Layer* compTop = nullptr;
  Layer* signal = nullptr;
  Layer* compBottom = nullptr;
  PinType* pinType = nullptr;
  std::vector<Net*> nets;
};

TEST_F(ComponentsTest, WritesPlacementAndToeprintsWithNetAndSubnet) {
  PackageType* package = Package("soic", 2);
  Component* u1 = f.server->AddComponent(compTop, package, "U1", "", 1, 2, 90, 0);
  Pin* first = f.server->AddComponentPin(u1, pinType, 0.95, 2, 90, 0, 1, nets[3]);
  f.server->AddComponentPin(u1, pinType, 1.05, 2, 90, 0, 1, nets[1]);
  first->subnetIndex = 5;  // as the EDA data numbers it

  EXPECT_FALSE(Write(compTop, "comp_+_top"));
  const std::vector<std::string> expected = {
      "CMP 0 1 2 -90 N U1 PartName",
      "TOP 0 0.95 2 90 N 3 5 1",
      "TOP 1 1.05 2 90 N 1 -1 2",
  };
  EXPECT_EQ(f.store.Lines(kTopPath), expected);
  EXPECT_FALSE(f.store.Has("job\\steps\\pcb\\layers\\comp_+_top\\.components.sum"));

  // The same placement seen from the bottom turns the other way, mirrored.
  f.server->AddComponent(compBottom, package, "U2", "", 1, 2, 90, 0);
  EXPECT_FALSE(Write(compBottom, "comp_+_bot"));
  EXPECT_EQ(f.store.Lines(kBottomPath), std::vector<std::string>{"CMP 0 1 2 90 M U2 PartName"});
}

TEST_F(ComponentsTest, MirrorModesGiveAngleAndMirrorMark) {
  struct Case {
    int mirrorMode;
    bool bottom;
    const char* expected;
  };
  const Case cases[] = {
      {0, false, "CMP 0 0 0 -30 N"}, {0, true, "CMP 0 0 0 30 M"},
      {1, false, "CMP 0 0 0 -30 M"}, {1, true, "CMP 0 0 0 30 N"},
      {2, false, "CMP 0 0 0 150 M"}, {2, true, "CMP 0 0 0 210 N"},
      {3, false, "CMP 0 0 0 150 N"}, {3, true, "CMP 0 0 0 210 M"},
  };
  PackageType* package = Package("p", 0);
  int n = 0;
  for (const Case& c : cases) {
    const std::string reference = "R" + std::to_string(n++);
    f.server->AddComponent(c.bottom ? compBottom : compTop, package, reference.c_str(), "", 0, 0,
                           30, c.mirrorMode);
  }
  // The package is now used on both sides; the components file does not care.
  EXPECT_FALSE(Write(compTop, "comp_+_top"));
  EXPECT_FALSE(Write(compBottom, "comp_+_bot"));
  std::vector<std::string> written;
  for (const char* path : {kTopPath, kBottomPath}) {
    for (const std::string& line : f.store.Lines(path)) written.push_back(line);
  }
  n = 0;
  for (const Case& c : cases) {
    const std::string expected = std::string(c.expected) + " R" + std::to_string(n++) + " PartName";
    EXPECT_NE(std::find(written.begin(), written.end(), expected), written.end()) << expected;
  }
}

TEST_F(ComponentsTest, UnrotatedTopComponentKeepsTheNegatedZero) {
  f.server->AddComponent(compTop, Package("p", 0), "C1", "", 0.5, 0.25, 0, 0);
  EXPECT_FALSE(Write(compTop, "comp_+_top"));
  EXPECT_EQ(f.store.Lines(kTopPath), std::vector<std::string>{"CMP 0 0.5 0.25 -0 N C1 PartName"});
}

TEST_F(ComponentsTest, OnlyThisLayersComponentsAndOnlyLayersWithComponentsGetAFile) {
  PackageType* first = Package("first", 0);
  PackageType* second = Package("second", 0);
  f.server->AddComponent(compBottom, first, "B1", "", 1, 1, 0, 0);
  f.server->AddComponent(compTop, second, "T1", "", 2, 2, 0, 0);
  f.server->AddComponent(compBottom, second, "B2", "", 3, 3, 0, 0);
  f.server->AddComponent(compTop, first, "T2", "", 4, 4, 0, 0);
  second->partName = "part-2";  // the interface never sets it; the file prefers it

  EXPECT_FALSE(Write(compTop, "comp_+_top"));
  EXPECT_FALSE(Write(signal, "top"));
  const std::vector<std::string> expected = {"CMP 1 2 2 -0 N T1 part-2", "CMP 0 4 4 -0 N T2 PartName"};
  EXPECT_EQ(f.store.Lines(kTopPath), expected);
  EXPECT_EQ(f.store.opened, std::vector<std::string>{kTopPath});

  // Components of another step on the same (shared) layer stay out, and a
  // step without components on a layer writes no file there.
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  Step* other = f.server->AddStep("other", xs, ys, 3);
  PackageType* otherPackage = f.server->AddPackageType("q", 0, 1, 0, 1);
  f.server->AddComponent(compTop, otherPackage, "X1", "", 9, 9, 0, 0);
  EXPECT_FALSE(WriteComponents("job\\steps\\other\\layers\\comp_+_top", other, compTop));
  EXPECT_FALSE(WriteComponents("job\\steps\\other\\layers\\comp_+_bot", other, compBottom));
  EXPECT_EQ(f.store.Lines("job\\steps\\other\\layers\\comp_+_top\\components"),
            std::vector<std::string>{"CMP 0 9 9 -0 N X1 PartName"});
  EXPECT_FALSE(f.store.Has("job\\steps\\other\\layers\\comp_+_bot\\components"));
}

TEST_F(ComponentsTest, PinCountAgainstThePackage) {
  PackageType* twoPins = Package("two", 2);
  Component* fewer = f.server->AddComponent(compTop, twoPins, "U1", "", 0, 0, 0, 0);
  f.server->AddComponentPin(fewer, pinType, 0, 0, 0, 0, 1, nets[0]);
  Component* more = f.server->AddComponent(compTop, twoPins, "U2", "", 1, 0, 0, 0);
  for (int i = 0; i < 3; ++i) f.server->AddComponentPin(more, pinType, 1, 0, 0, 0, 1, nets[0]);
  f.server->AddComponent(compTop, twoPins, "U3", "", 2, 0, 0, 0);
  f.sink.Clear();

  EXPECT_TRUE(Write(compTop, "comp_+_top"));
  EXPECT_EQ(f.sink.Warnings(),
            std::vector<std::string>{"Component U1 has less pins than component type two"});
  EXPECT_EQ(f.sink.Errors(),
            std::vector<std::string>{"Component U2 has more pins than component type two"});
  // The file ends with the component before the one refused, and is closed.
  const std::vector<std::string> expected = {"CMP 0 0 0 -0 N U1 PartName", "TOP 0 0 0 0 N 0 -1 1"};
  EXPECT_EQ(f.store.Lines(kTopPath), expected);
  EXPECT_EQ(f.store.calls.back(), std::string("close ") + kTopPath);
  EXPECT_TRUE(f.sink.Has(Message::kInfo, std::string("Write ") + kTopPath + " complete"));
}

}  // namespace
}  // namespace kelpie::test
