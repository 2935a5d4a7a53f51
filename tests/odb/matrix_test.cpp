// The matrix: records as added, refusals.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const char* const kMatrix = "board\\matrix\\matrix";

// Layers as added, rows as stored; steps by their directory name, once per
// addition. (The other lines of the records, and words outside the tables:
// the golden tests.)
TEST(OdbMatrix, StepRecordsThenLayerRecordsAsAdded) {
  JobBoard b(true);
  b.host->AddLayer("Paste", 7, kLayerSolderPaste, kPolarityNegative, kContextMisc);
  b.host->AddDrillLayer("Drill", 6, b.top, b.bottom);
  Step* pcb = b.host->AddStep("PCB 1", kSquareX, kSquareY, 4);
  b.host->AddMatrixStep(pcb, 0, 0);
  b.host->AddMatrixStep(b.host->AddStep("panel", kSquareX, kSquareY, 4), 0, 0);
  b.host->AddMatrixStep(pcb, 0, 0);
  ASSERT_TRUE(b.Export());
  // "COL=1 NAME=pcb1" for a step, "ROW=1 NAME=comp_+_top" for a layer.
  Lines places;
  std::string place;
  for (const std::string& line : b.Body(kMatrix)) {
    if (line.starts_with("COL=") || line.starts_with("ROW=")) place = line;
    if (line.starts_with("NAME=")) places.push_back(place + " " + line);
  }
  EXPECT_EQ(places, (Lines{
                        "COL=1 NAME=pcb1",
                        "COL=2 NAME=panel",
                        "COL=3 NAME=pcb1",
                        "ROW=1 NAME=comp_+_top",
                        "ROW=2 NAME=top",
                        "ROW=4 NAME=bottom",
                        "ROW=5 NAME=comp_+_bot",
                        "ROW=7 NAME=paste",
                        "ROW=6 NAME=drill",
                    }));
}

TEST(OdbMatrix, MatrixFailuresStopTheJob) {
  const auto layer = [](const char* name, int type, int polarity, int context) {
    return [=](JobBoard& b) {
      b.host->AddLayer(name, 6, type, polarity, context);
      b.host->AddLayer("after", 7, kLayerSignal, 1, 1);
    };
  };
  const std::string sum = "board\\matrix\\.matrix.sum";
  // The matrix ends with the whole record of the layer before.
  const Lines last = {
      "NAME=comp_+_bot", "POLARITY=POSITIVE", "START_NAME=", "END_NAME=", "OLD_NAME=", "}"};
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
