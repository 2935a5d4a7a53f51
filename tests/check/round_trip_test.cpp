// Every job the library writes for the boards of the test suite reads back
// and passes every check: the sample board, the generated boards and the
// hand-built boards of the robustness tests, as ODB++ and as IDF.
#include <gtest/gtest.h>

#include "board_generator.h"
#include "check_test_support.h"
#include "sample_boards.h"

namespace kelpie::check::test {
namespace {

struct Board {
  const char* name;
  Describe describe;
};

// (The robustness tests' two-step board is refused by both exports, so it
// leaves no job to read.)
const Board kBoards[] = {
    {"sample", DescribeSampleBoard},
    {"small",
     [](IKELPIE& server) {
       samples::BuildSmallBoard(server);
       server.SetBoardThickness(0.062);  // the board is made for IDF, which needs none
     }},
    {"generated 1", [](IKELPIE& server) { GenerateBoard(&server, 1); }},
    {"generated 30", [](IKELPIE& server) { GenerateBoard(&server, 30, 7); }},
    {"generated 600", [](IKELPIE& server) { GenerateBoard(&server, 600); }},
};

TEST(RoundTrip, EveryBoardReadsBackClean) {
  for (const Board& board : kBoards) {
    SCOPED_TRACE(board.name);
    const OdbJob odb = WriteOdb(board.describe);
    EXPECT_GT(odb.files.size(), 20u);
    EXPECT_EQ(CheckOdb(odb.files), std::vector<std::string>());
    EXPECT_EQ(CheckIdfFiles(WriteIdf(board.describe)), std::vector<std::string>());
  }
}

// The demo board holds every kind of record, among them a contour that the
// host gave no points: it is written as a surface whose contour has a start
// and nothing else, which a receiver cannot draw. That is the one problem.
TEST(RoundTrip, DemoBoardHasOnlyItsDegenerateContour) {
  const std::vector<std::string> odb = CheckOdb(WriteOdb(samples::BuildDemoBoard).files);
  EXPECT_EQ(odb, Golden("demo_board.txt", odb));
  EXPECT_EQ(CheckIdfFiles(WriteIdf(samples::BuildDemoBoard)), std::vector<std::string>());
}

// The board with NaN and infinities is written all the same; the checker
// finds every number that is not finite.
TEST(RoundTrip, NonFiniteNumbersAreFound) {
  const std::vector<std::string> problems = CheckOdb(WriteOdb(samples::BuildNonFiniteBoard).files);
  EXPECT_EQ(problems, Golden("non_finite.txt", problems));
}

}  // namespace
}  // namespace kelpie::check::test
