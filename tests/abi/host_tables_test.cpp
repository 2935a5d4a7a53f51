// The library calls the host's sink and store by table position: entries
// 0..2 of the sink and 0..3 of the store, with the arguments of each entry.
#include <gtest/gtest.h>

#include "hand_built.h"
#include "output/file_writer.h"
#include "server/host_services.h"

namespace kelpie::abi {
namespace {

// The writer and the host services reach the host only through the
// process-wide references; point them at the hand-built objects.
struct HostScope {
  HostScope(HandBuiltSink& sink, HandBuiltStore& store) {
    messageSink = sink.AsSink();
    fileStore = store.AsStore();
  }
  ~HostScope() {
    messageSink = nullptr;
    fileStore = nullptr;
  }
};

TEST(HostTables, SinkEntries) {
  HandBuiltSink sink;
  HandBuiltStore store;
  HostScope scope(sink, store);
  SendInfo("Adding layer: 50%s");
  SendInfoFormat("Job name: %s", "50%d");
  SendError("Layer x already defined.");
  SendWarning("Something to note");
  EXPECT_EQ(sink.calls, (std::vector<Call>{{0, "Adding layer: 50%s", 0},
                                           {0, "Job name: 50%d", -1},
                                           {1, "Layer x already defined.", 0},
                                           {2, "Something to note", 0}}));
}

TEST(HostTables, StoreEntriesThroughTheWriter) {
  HandBuiltSink sink;
  HandBuiltStore store;
  HostScope scope(sink, store);
  {
    cFileWriter writer("job\\misc", "info", true);
    writer.WriteLine("A=1");
    writer.Close();
  }
  ASSERT_EQ(store.calls.size(), 18u);
  EXPECT_EQ(store.calls[0], (Call{0, "job\\misc", -1}));
  EXPECT_EQ(store.calls[1], (Call{1, "job\\misc\\info", 5}));
  EXPECT_EQ(store.calls[2], (Call{2, "A=1\n", 5}));
  EXPECT_EQ(store.calls[3], (Call{3, "", 5}));
  EXPECT_EQ(store.calls[4], (Call{1, "job\\misc\\.info.sum", 6}));
  for (int i = 5; i < 17; ++i) {
    EXPECT_EQ(store.calls[i].entry, 2);
    EXPECT_EQ(store.calls[i].number, 6);
  }
  EXPECT_EQ(store.calls[5].text, "SIZE=");
  EXPECT_EQ(store.calls[6].text, "4\n");
  EXPECT_EQ(store.calls[17], (Call{3, "", 6}));
  EXPECT_EQ(sink.calls, (std::vector<Call>{{0, "Write job\\misc\\info complete", 0}}));

  // A refused open: the error goes to entry 1, later calls carry handle 0.
  store.calls.clear();
  sink.calls.clear();
  store.nextHandle = 0;
  {
    cFileWriter writer("", "board.emn", false);
    writer.WriteLine("x");
    writer.Close();
  }
  EXPECT_EQ(store.calls, (std::vector<Call>{{1, "board.emn", 0}, {2, "x\n", 0}, {3, "", 0}}));
  EXPECT_EQ(sink.calls, (std::vector<Call>{{1, "Could not open output file: board.emn", 0},
                                           {0, "Write board.emn complete", 0}}));
}

}  // namespace
}  // namespace kelpie::abi
