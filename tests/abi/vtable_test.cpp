// A host's view of libkelpie.so: load it, resolve the two entry points and
// call the server by raw table position, each entry through a function
// pointer of that slot's own signature. A table shifted by one entry, or a
// slot whose arguments differ, sends the calls below to the wrong place.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "hand_built.h"
#include "model/records.h"

namespace kelpie::abi {
namespace {

// Calls entry `slot` of the server's table as a plain function taking the
// object first.
template <typename Result, typename... Args>
Result Slot(IKELPIE* server, int slot, Args... args) {
  void* const* table = *reinterpret_cast<void* const* const*>(server);
  return reinterpret_cast<Result (*)(IKELPIE*, Args...)>(table[slot])(server, args...);
}

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = dlopen(KELPIE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    create = reinterpret_cast<CreateKelpieServerFn>(dlsym(handle, "createkelpieserver"));
    destroy = reinterpret_cast<DeleteKelpieServerFn>(dlsym(handle, "deletekelpieserver"));
    ASSERT_TRUE(create && destroy);
    server = create(sink.AsSink(), "abi test 1.0", 208);
    ASSERT_NE(server, nullptr);
  }
  void TearDown() override {
    if (server != nullptr) destroy(server);
    if (handle != nullptr) dlclose(handle);
  }
  std::vector<Call> Take() { return std::exchange(sink.calls, {}); }

  void* handle = nullptr;
  CreateKelpieServerFn create = nullptr;
  DeleteKelpieServerFn destroy = nullptr;
  HandBuiltSink sink;
  IKELPIE* server = nullptr;
};

using S = const char*;
using D = const double*;
const double kXs[] = {0, 0, 2, 2};
const double kYs[] = {0, 1, 1, 0};

TEST_F(Library, JobSlotsAndVersion) {
  char buffer[64] = "xx";
  Slot<void, char*>(server, 2, buffer);
  EXPECT_EQ(std::string(buffer, 2), std::string("\0x", 2));  // only the NUL is written
  EXPECT_STREQ(Slot<const char*>(server, 39), "");
  Slot<void>(server, 0);
  Slot<void, int>(server, 6, 1);
  Slot<void, int>(server, 7, 2);
  EXPECT_TRUE(Take().empty());
  Slot<void, S>(server, 1, "Job %d 1, a name longer than any in-object buffer");
  Slot<void, S>(server, 3, "Customer");
  Slot<void, S>(server, 4, "Comment");
  Slot<void, double>(server, 5, 0.0625);
  Slot<void, double>(server, 5, 1.0);
  EXPECT_EQ(Take(), (std::vector<Call>{
                        {0, "Job name: Job %d 1, a name longer than any in-object buffer", -1},
                        {0, "Customer name: Customer", -1},
                        {0, "Comment: Comment", -1},
                        {0, "Board thickness: 0.0625", -1},
                        {0, "Board thickness: 1", -1}}));
  Slot<void, char*>(server, 2, buffer);
  EXPECT_STREQ(buffer, "Job %d 1, a name longer than any in-object buffer");
  const char* odbName = Slot<const char*>(server, 39);
  EXPECT_STREQ(odbName, "jobd1anamelongerthananyin-objectbuffer");
  Slot<void, S>(server, 1, "$NONE$");
  EXPECT_EQ(Slot<const char*>(server, 39), odbName);  // one buffer, rewritten
  EXPECT_STREQ(odbName, "$NONE$");

  // No job name: both writes refuse and say why, before touching the store.
  Slot<void, S>(server, 1, "");
  HandBuiltStore store;
  EXPECT_FALSE((Slot<bool, FileStore*>(server, 37, store.AsStore())));
  EXPECT_FALSE((Slot<bool, FileStore*>(server, 38, store.AsStore())));
  const std::vector<Call> calls = Take();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), Call{1, "Job name not set", 0}), 2);
  EXPECT_TRUE(store.calls.empty());

  // A wrong version creates nothing and hands back the server made last.
  EXPECT_EQ(create(sink.AsSink(), "", 207), server);
  EXPECT_EQ(Take(), (std::vector<Call>{
                        {1, "Incorrect API Version: expected: 208 found: 207", 0}}));
}

// Flags passed as int count by their low byte only.
TEST_F(Library, DesignSlotsAndLowByteFlags) {
  auto* top = Slot<Layer*, S, int, int, int, int>(server, 11, "top", 0, 10, 2, 1);
  auto* drill = Slot<Layer*, S, int, Layer*, Layer*>(server, 12, "50%s", 7, top, top);
  ASSERT_TRUE(top && drill);
  EXPECT_EQ(Take(), (std::vector<Call>{{0, "Adding layer: top", 0}, {0, "Adding layer: 50%s", 0}}));
  EXPECT_EQ(top->polarity, 2);
  EXPECT_EQ(drill->row, 7);
  EXPECT_EQ(drill->drillEnd, top);
  auto* step = Slot<Step*, S, D, D, int>(server, 8, "pcb", kXs, kYs, 4);
  EXPECT_EQ(step->profile.points.Count(), 5);
  Slot<void>(server, 9);
  EXPECT_EQ((Slot<Net*, S>(server, 23, "n")), nullptr);
  EXPECT_EQ(Take(), (std::vector<Call>{{1, "No current step", 0}}));
  Slot<Step*, S, D, D, int>(server, 8, "pcb2", kXs, kYs, 4);

  auto* rect = Slot<PadShape*, S, int, double, double, double, double>(server, 13, "rect", 2, 0.1,
                                                                       0.2, 9.0, 9.0);
  EXPECT_EQ(rect->height, 0.2);
  EXPECT_FALSE((Slot<PadShape*, S, double, int>(server, 15, "r", 0.05, 0x100))->plated);
  EXPECT_TRUE((Slot<PadShape*, S, double, int>(server, 15, "r", 0.05, -1))->plated);
  auto* pinType = Slot<PinType*, S>(server, 16, "pt");
  EXPECT_TRUE((Slot<bool, PinType*, PadShape*, double, double, Layer*>(server, 19, pinType, rect,
                                                                       1.0, 2.0, drill)));
  EXPECT_EQ(pinType->pads.at(0).layer, drill);
  auto* package =
      Slot<PackageType*, S, double, double, double, double>(server, 20, "pkg", -1, 1, -2, 2);
  EXPECT_EQ(package->yMin, -2);
  auto* net = Slot<Net*, S>(server, 23, "gnd");
  auto* component = Slot<Component*, Layer*, PackageType*, S, S, double, double, double, int>(
      server, 24, top, package, "R1", "10k", 1.0, 2.0, 90.0, 3);
  EXPECT_EQ(component->partName, "10k");
  EXPECT_EQ(component->mirrorMode, 3);
  auto* pin = Slot<Pin*, Component*, PinType*, double, double, double, int, int, Net*>(
      server, 25, component, pinType, 1.0, 2.0, 0.0, 7, 1, net);
  EXPECT_EQ(pin->net, net);

  auto* arc = Slot<ArcFeature*, Layer*, double, double, double, double, double, double, int, double,
                   Net*>(server, 28, top, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 0x280, 0.02, net);
  EXPECT_TRUE(arc->clockwise);
  EXPECT_EQ(arc->width, 0.02);
  EXPECT_EQ(arc->net, net);
  EXPECT_TRUE((Slot<bool, Layer*, double, double, double, double, int>(server, 30, top, 1.0, 2.0,
                                                                       0.5, 0.04, 77)));
  EXPECT_EQ(top->arcs.back().xs, 0.5);
  EXPECT_EQ(top->arcs.back().width, 0.04);
  EXPECT_TRUE(
      (Slot<bool, Layer*, D, D, int, double, int>(server, 31, top, kXs, kYs, 4, 0.05, 0x10002)));
  auto* surface = Slot<Surface*, Layer*, Net*>(server, 32, top, net);
  EXPECT_TRUE((Slot<bool, Surface*, D, D, int, int>(server, 33, surface, kXs, kYs, 3, 0x300)));
  ASSERT_EQ(top->contours.size(), 2u);
  EXPECT_EQ(top->contours[0].width, 0.05);
  EXPECT_TRUE(top->contours[0].flagA);
  EXPECT_FALSE(top->contours[1].flagA);
  EXPECT_TRUE((Slot<bool, Layer*, PadShape*, double, double, double, double>(server, 36, top, rect,
                                                                            0.0, 0.0, 1.0, 1.0)));
  EXPECT_EQ(top->lines.at(0).width, 0.1);
  EXPECT_TRUE(Take().empty());
}

}  // namespace
}  // namespace kelpie::abi
