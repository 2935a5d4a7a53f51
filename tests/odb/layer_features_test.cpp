// The features files of the layer directories: outline lines of one export
// only, and a record that cannot be written. Their content on good boards is
// checked by the golden tests.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "odb/feature_tables.h"
#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const std::string kLayers = "board\\steps\\pcb\\layers\\";
const std::string kTop = kLayers + "top\\features";
const Lines kAttributeNames = {"@0 .geometry", "@1 .drill", "@2 .pad_usage"};

// A contour's stroked outline is lines of this export only, also after a
// failed one. A NaN width strokes nothing.
TEST(OdbLayerFeatures, StrokedOutlinesAreWrittenOncePerExport) {
  for (const bool failing : {false, true}) {
    SCOPED_TRACE(failing ? "failing job" : "complete job");
    JobBoard b(true);
    b.host->AddContour(b.top, kSquareX, kSquareY, 4, 0.01, 0);  // not filled: outline only
    b.host->AddContour(b.top, kSquareX, kSquareY, 4, std::nan(""), 0);
    b.host->AddLine(b.top, 5, 5, 6, 6, 0.02, nullptr);
    if (failing) b.host->AddStep("bad", kSquareX, kSquareY, 0);  // fails after the step "pcb"
    const Lines expected =
        Join({{"#top", "$0 r20", "$1 r10", "$2 rnan"},
              kAttributeNames,
              {"&0  ", "L 5 5 6 6 0 P 0", "L 0 0.1 0 0 1 P 0", "L 0.1 0.1 0 0.1 1 P 0",
               "L 0.1 -0 0.1 0.1 1 P 0", "L 0 0 0.1 -0 1 P 0"}});
    for (int run = 0; run < 2; ++run) {
      EXPECT_EQ(b.Export(), !failing);
      EXPECT_EQ(b.Body(kTop), expected) << "run " << run;
    }
  }
}

// The blank text is written; the file ends after the pad before the pin.
TEST(OdbLayerFeatures, PinTypeWithoutNameEndsTheFileAndTheJob) {
  ExpectFailure(
      [](JobBoard& b) {
        PadShape* round = b.host->AddRoundPadShape("r", 0.05, 1);
        b.host->AddPad(b.top, round, 0, 0);
        b.host->AddPinPad(b.top, round,
                          b.host->AddPin(b.host->AddPinType(""), 1, 1, 0, 0, 1, nullptr));
        b.host->AddPad(b.top, round, 2, 2);
      },
      {"Attribute value cannot be blank"}, kLayers + "top\\.features.sum",
      {"&1 ", "P 0 0 0 P 0 0;0=0,2=0 "});
}

// The kept numbers answer runs of one key from their last answer: a key met
// again after another, or never kept, must still get its own answer.
TEST(OdbLayerFeatures, KeptNumbersAnswerEachKeyWhateverCameBefore) {
  KeptNumbers<const PadShape*> numbers;
  const PadShape shapes[3];
  numbers.Keep(&shapes[0], 4);
  numbers.Keep(&shapes[1], 7);
  EXPECT_EQ(numbers.Find(&shapes[0]), 4);
  EXPECT_EQ(numbers.Find(&shapes[0]), 4);
  EXPECT_EQ(numbers.Find(&shapes[1]), 7);
  EXPECT_EQ(numbers.Find(&shapes[2]), -1);
  EXPECT_FALSE(numbers.Has(&shapes[2]));
  EXPECT_EQ(numbers.Find(&shapes[0]), 4);
  EXPECT_EQ(numbers.Find(nullptr), -1);
}

}  // namespace
}  // namespace kelpie::test
