// The library calls the host's store by table position, entries 0..3, and
// the sink's Warning, entry 2, which the raw-slot test does not reach.
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
  SendWarning("Something to note");
  {
    cFileWriter writer("job\\misc", "info", true);
    writer.WriteLine("A=1");
    writer.Close();
  }
  EXPECT_EQ(sink.calls, (std::vector<Call>{{2, "Something to note", 0},
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
