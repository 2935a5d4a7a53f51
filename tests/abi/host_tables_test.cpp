// The library calls the host's sink and store by table position: entries
// 0..2 of the sink and 0..3 of the store, with the arguments of each entry.
#include <gtest/gtest.h>

#include "hand_built.h"
#include "output/file_writer.h"
#include "server/host_services.h"

namespace kelpie::abi {
namespace {

TEST(HostTables, SinkAndStoreEntries) {
  HandBuiltSink sink;
  HandBuiltStore store;
  messageSink = sink.AsSink();
  fileStore = store.AsStore();
  SendInfo("Adding layer: 50%s");
  SendInfoFormat("Job name: %s", "50%d");
  SendError("Layer x already defined.");
  SendWarning("Something to note");
  {
    cFileWriter writer("job\\misc", "info", true);
    writer.WriteLine("A=1");
    writer.Close();
  }
  EXPECT_EQ(sink.calls, (std::vector<Call>{{0, "Adding layer: 50%s", 0},
                                           {0, "Job name: 50%d", -1},
                                           {1, "Layer x already defined.", 0},
                                           {2, "Something to note", 0},
                                           {0, "Write job\\misc\\info complete", 0}}));
  // The summary's twelve writes follow on its own handle; its content is
  // checked with the writer.
  ASSERT_EQ(store.calls.size(), 18u);
  store.calls.resize(7);
  EXPECT_EQ(store.calls, (std::vector<Call>{{0, "job\\misc", -1},
                                            {1, "job\\misc\\info", 5},
                                            {2, "A=1\n", 5},
                                            {3, "", 5},
                                            {1, "job\\misc\\.info.sum", 6},
                                            {2, "SIZE=", 6},
                                            {2, "4\n", 6}}));
  messageSink = nullptr;
  fileStore = nullptr;
}

}  // namespace
}  // namespace kelpie::abi
