// The matrix: records as added, values outside the tables, refusals.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const char* const kMatrix = "board\\matrix\\matrix";

Lines LayerRecord(std::string row, std::string context, std::string type, std::string name,
                  std::string polarity, std::string start = "", std::string end = "") {
  return {"LAYER {",
          "ROW=" + row,
          "CONTEXT=" + context,
          "TYPE=" + type,
          "NAME=" + name,
          "POLARITY=" + polarity,
          "START_NAME=" + start,
          "END_NAME=" + end,
          "OLD_NAME=",
          "}"};
}

// Layers as added, rows as stored; steps by their directory name, once per
// addition. (Words outside the tables: the golden edge board.)
TEST(OdbMatrix, StepRecordsThenLayerRecordsAsAdded) {
  JobBoard b(true);
  b.host->AddLayer("Paste", 7, kLayerSolderPaste, kPolarityNegative, kContextMisc);
  b.host->AddDrillLayer("Drill", 6, b.top, b.bottom);
  Step* pcb = b.host->AddStep("PCB 1", kSquareX, kSquareY, 4);
  b.host->AddMatrixStep(pcb, 0, 0);
  b.host->AddMatrixStep(b.host->AddStep("panel", kSquareX, kSquareY, 4), 0, 0);
  b.host->AddMatrixStep(pcb, 0, 0);
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(kMatrix),
            Join({{"STEP {", "COL=1", "NAME=pcb1", "}", "STEP {", "COL=2", "NAME=panel", "}"},
                  {"STEP {", "COL=3", "NAME=pcb1", "}"},
                  LayerRecord("1", "BOARD", "COMPONENT", "comp_+_top", "POSITIVE"),
                  LayerRecord("2", "BOARD", "SIGNAL", "top", "POSITIVE"),
                  LayerRecord("4", "BOARD", "SIGNAL", "bottom", "POSITIVE"),
                  LayerRecord("5", "BOARD", "COMPONENT", "comp_+_bot", "POSITIVE"),
                  LayerRecord("7", "MISC", "SOLDER_PASTE", "paste", "NEGATIVE"),
                  LayerRecord("6", "BOARD", "DRILL", "drill", "POSITIVE", "top", "bottom")}));
}

TEST(OdbMatrix, MatrixFailuresStopTheJob) {
  const auto layer = [](const char* name, int type, int polarity, int context) {
    return [=](JobBoard& b) {
      b.host->AddLayer(name, 6, type, polarity, context);
      b.host->AddLayer("after", 7, kLayerSignal, 1, 1);
    };
  };
  const std::string sum = "board\\matrix\\.matrix.sum";
  const Lines last = LayerRecord("5", "BOARD", "COMPONENT", "comp_+_bot", "POSITIVE");
  ExpectFailure(layer("$$$", kLayerSignal, 1, 1), {"Layer name not set"}, sum, last);
  ExpectFailure(layer("odd", kLayerSignal, 1, 0), {"Layer context not set: odd"}, sum, last);
  ExpectFailure(layer("odd", kLayerNotSet, 1, 1), {"Layer type not set: odd"}, sum, last);
  ExpectFailure(layer("odd", kLayerSignal, 0, 1), {"Layer polarity not set: odd"}, sum, last);
  ExpectFailure(
      [](JobBoard& b) {
        b.store.refuseOpen = [](const std::string& path) { return path == kMatrix; };
      },
      {"Could not open output file: board\\matrix\\matrix"}, sum, {});
}

}  // namespace
}  // namespace kelpie::test
