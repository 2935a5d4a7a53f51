// A host's view of libkelpie.so: the server called by raw table position,
// each slot through a pointer of its own signature, with hand-built sink and
// store tables. A shifted entry or a wrong argument list shows below.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <ostream>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "kelpie/kelpie.h"
#include "model/records.h"
#include "shared_library.h"

namespace kelpie::abi {
namespace {

// One call of a host object: which table entry, and what it received.
struct Call {
  int entry;
  std::string text;
  std::intptr_t number;  // the trailing 0, a handle, or -1 when none
  bool operator==(const Call&) const = default;
};
std::ostream& operator<<(std::ostream& o, const Call& c) {
  return o << "{" << c.entry << ", \"" << c.text << "\", " << c.number << "}";
}

// The table is preceded by offset to top and the interface's type
// information, so that the runtime's type checks accept the object.
struct HandBuilt {
  const void* const* table;
  std::vector<Call> calls;
  FileHandle nextHandle = 5;
  std::intptr_t Record(int entry, const char* text, std::intptr_t number) {
    calls.push_back({entry, text, number});
    return number;
  }
  MessageSink* AsSink() { return reinterpret_cast<MessageSink*>(this); }
  FileStore* AsStore() { return reinterpret_cast<FileStore*>(this); }
};

void SinkInfo(HandBuilt* h, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = format;
  if (text == "Job name: %s" || text == "Customer name: %s" || text == "Comment: %s" ||
      text == "Board thickness: %s") {
    h->Record(0, text.replace(text.size() - 2, 2, va_arg(args, const char*)).c_str(), -1);
  } else {
    h->Record(0, format, va_arg(args, int));
  }
  va_end(args);
}
void SinkError(HandBuilt* h, const char* text, int zero) { h->Record(1, text, zero); }
void SinkWarning(HandBuilt* h, const char* text, int zero) { h->Record(2, text, zero); }
bool StoreMakeDirectory(HandBuilt* h, const char* path) { return h->Record(0, path, -1); }
FileHandle StoreOpen(HandBuilt* h, const char* path) { return h->Record(1, path, h->nextHandle++); }
bool StoreWrite(HandBuilt* h, FileHandle file, const char* text) {
  return h->Record(2, text, file);
}
bool StoreClose(HandBuilt* h, FileHandle file) { return h->Record(3, "", file); }

template <typename... F>
const void* const* Table(const std::type_info& type, F*... entries) {
  static const void* const slots[] = {nullptr, &type, reinterpret_cast<const void*>(entries)...};
  return &slots[2];
}
// Sink entries: 0 Info, 1 Error, 2 Warning.
HandBuilt HandBuiltSink() {
  return {Table(typeid(MessageSink), SinkInfo, SinkError, SinkWarning), {}};
}
// Store entries: 0 MakeDirectory, 1 Open, 2 Write, 3 Close.
HandBuilt HandBuiltStore() {
  return {Table(typeid(FileStore), StoreMakeDirectory, StoreOpen, StoreWrite, StoreClose), {}};
}

using Calls = std::vector<Call>;
using S = const char*;
using D = const double*;
const double kXs[] = {0, 0, 2, 2};
const double kYs[] = {0, 1, 1, 0};

// Calls entry `slot` of the server's table with the object first.
template <typename Result, typename... Args>
Result Slot(IKELPIE* server, int slot, Args... args) {
  void* const* table = *reinterpret_cast<void* const* const*>(server);
  return reinterpret_cast<Result (*)(IKELPIE*, Args...)>(table[slot])(server, args...);
}

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library.loaded()) << library.error();
    server = create(sink.AsSink(), "abi test 1.0", 208);
    ASSERT_NE(server, nullptr);
  }
  void TearDown() override {
    if (server != nullptr) destroy(server);
  }
  Calls Take() { return std::exchange(sink.calls, {}); }

  test::SharedLibrary library{KELPIE_LIBRARY_PATH};
  CreateKelpieServerFn create = library.create;
  DeleteKelpieServerFn destroy = library.destroy;
  HandBuilt sink = HandBuiltSink();
  IKELPIE* server = nullptr;
};

TEST_F(Library, JobSlots) {
  char buffer[64] = "xx";
  Slot<void, char*>(server, 2, buffer);
  EXPECT_EQ(std::string(buffer, 2), std::string("\0x", 2));  // only the NUL is written
  Slot<void>(server, 0);
  Slot<void, int>(server, 6, 1);
  Slot<void, int>(server, 7, 2);
  Slot<void, S>(server, 1, "Job %d 1, a name longer than any in-object buffer");
  Slot<void, S>(server, 3, "Customer");
  Slot<void, S>(server, 4, "Comment");
  Slot<void, double>(server, 5, 0.0625);
  EXPECT_EQ(Take(), (Calls{{0, "Job name: Job %d 1, a name longer than any in-object buffer", -1},
                           {0, "Customer name: Customer", -1},
                           {0, "Comment: Comment", -1},
                           {0, "Board thickness: 0.0625", -1}}));
  Slot<void, char*>(server, 2, buffer);
  EXPECT_STREQ(buffer, "Job %d 1, a name longer than any in-object buffer");
  const char* odbName = Slot<const char*>(server, 39);
  EXPECT_STREQ(odbName, "jobd1anamelongerthananyin-objectbuffer");
  Slot<void, S>(server, 1, "$NONE$");
  EXPECT_EQ(Slot<const char*>(server, 39), odbName);  // one buffer, rewritten
  EXPECT_STREQ(odbName, "$NONE$");

  // The write slots, each with a hand-built store: with nothing else set the
  // ODB++ job writes its job files, the IDF job stops for want of a step.
  HandBuilt odb = HandBuiltStore(), idf = HandBuiltStore();
  EXPECT_TRUE((Slot<bool, FileStore*>(server, 37, odb.AsStore())));
  EXPECT_FALSE((Slot<bool, FileStore*>(server, 38, idf.AsStore())));
  odb.calls.resize(7);
  EXPECT_EQ(odb.calls, (Calls{{0, "$NONE$\\matrix", -1},
                              {1, "$NONE$\\matrix\\matrix", 5},
                              {2, "# KELPIE converter version 211\n", 5},
                              {3, "", 5},
                              {1, "$NONE$\\matrix\\.matrix.sum", 6},
                              {2, "SIZE=", 6},
                              {2, "31\n", 6}}));
  EXPECT_EQ(idf.calls.at(0), (Call{1, "NONE.emn", 5}));
}

// Flags passed as int count by their low byte only.
TEST_F(Library, DesignSlotsAndLowByteFlags) {
  auto* top = Slot<Layer*, S, int, int, int, int>(server, 11, "top", 0, 10, 2, 1);
  auto* drill = Slot<Layer*, S, int, Layer*, Layer*>(server, 12, "50%s", 7, top, top);
  ASSERT_TRUE(top && drill);
  EXPECT_EQ(Take(), (Calls{{0, "Adding layer: top", 0}, {0, "Adding layer: 50%s", 0}}));
  EXPECT_EQ(drill->row, 7);
  EXPECT_EQ(drill->drillEnd, top);
  EXPECT_EQ((Slot<Step*, S, D, D, int>(server, 8, "pcb", kXs, kYs, 4))->profile.points.Count(), 5);
  Slot<void>(server, 9);
  EXPECT_EQ((Slot<Net*, S>(server, 23, "n")), nullptr);
  EXPECT_EQ(Take(), (Calls{{1, "No current step", 0}}));
  Slot<Step*, S, D, D, int>(server, 8, "pcb2", kXs, kYs, 4);

  EXPECT_FALSE((Slot<PadShape*, S, double, int>(server, 15, "r", 0.05, 0x100))->plated);
  auto* round = Slot<PadShape*, S, double, int>(server, 15, "round", 0.05, -1);
  EXPECT_TRUE(round->plated);
  auto* pinType = Slot<PinType*, S>(server, 16, "pt");
  EXPECT_TRUE((Slot<bool, PinType*, PadShape*, double, double, Layer*>(server, 19, pinType, round,
                                                                       1.0, 2.0, drill)));
  EXPECT_EQ(pinType->pads.at(0).layer, drill);
  auto* package =
      Slot<PackageType*, S, double, double, double, double>(server, 20, "pkg", -1, 1, -2, 2);
  auto* net = Slot<Net*, S>(server, 23, "gnd");
  auto* component = Slot<Component*, Layer*, PackageType*, S, S, double, double, double, int>(
      server, 24, top, package, "R1", "10k", 1.0, 2.0, 90.0, 3);
  EXPECT_EQ(component->packageType->yMin, -2);
  EXPECT_EQ(component->partName, "10k");
  EXPECT_EQ(component->mirrorMode, MirrorMode::kMirrorBoth);

  auto* arc =
      Slot<ArcFeature*, Layer*, double, double, double, double, double, double, int, double, Net*>(
          server, 28, top, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 0x280, 0.02, net);
  EXPECT_TRUE(arc->clockwise);
  EXPECT_EQ(arc->width, 0.02);
  EXPECT_EQ(arc->net, net);
  EXPECT_TRUE(
      (Slot<bool, Layer*, D, D, int, double, int>(server, 31, top, kXs, kYs, 4, 0.03, 0x10002)));
  EXPECT_EQ(top->contours.at(0).width, 0.03);
  EXPECT_TRUE(top->contours.at(0).filled);
  EXPECT_TRUE((Slot<bool, Layer*, PadShape*, double, double, double, double>(server, 36, top, round,
                                                                             0.0, 0.0, 1.0, 1.0)));
  EXPECT_EQ(top->lines.at(0).width, 0.05);
  EXPECT_TRUE(Take().empty());
}

TEST(HostTables, WarningIsSinkEntry2) {  // the slots above do not reach it
  HandBuilt sink = HandBuiltSink();
  MessageSink* sinkPointer = sink.AsSink();
  Messages(sinkPointer).Warning("Something to note");
  EXPECT_EQ(sink.calls, (Calls{{2, "Something to note", 0}}));
}

}  // namespace
}  // namespace kelpie::abi
