// The matrix file: STEP and LAYER records, and the layer checks that stop
// the job there.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const char* const kMatrix = "board\\matrix\\matrix";

Lines LayerRecord(const std::string& row, const std::string& context, const std::string& type,
                  const std::string& name, const std::string& polarity,
                  const std::string& start = "", const std::string& end = "") {
  return {"LAYER {",           "ROW=" + row,         "CONTEXT=" + context,
          "TYPE=" + type,      "NAME=" + name,       "POLARITY=" + polarity,
          "START_NAME=" + start, "END_NAME=" + end,  "OLD_NAME=",
          "}"};
}

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(OdbMatrix, StepRecordsThenLayerRecordsAsAdded) {
  JobBoard b;
  b.AddStack();
  b.host->AddDrillLayer("Drill", 5, b.top, b.bottom);
  b.host->AddLayer("Paste", 6, kLayerSolderPaste, kPolarityNegative, kContextMisc);
  Step* pcb = b.AddStep("pcb");
  Step* panel = b.AddStep("panel");
  b.host->AddMatrixStep(pcb, 0, 0);
  b.host->AddMatrixStep(panel, 0, 0);
  b.host->AddMatrixStep(pcb, 0, 0);  // twice: two records
  ASSERT_TRUE(b.Export());

  EXPECT_EQ(b.Body(kMatrix),
            Join({{"STEP {", "COL=1", "NAME=pcb", "}"},
                  {"STEP {", "COL=2", "NAME=panel", "}"},
                  {"STEP {", "COL=3", "NAME=pcb", "}"},
                  LayerRecord("1", "BOARD", "COMPONENT", "comp_+_top", "POSITIVE"),
                  LayerRecord("2", "BOARD", "SIGNAL", "top", "POSITIVE"),
                  LayerRecord("3", "BOARD", "SIGNAL", "bottom", "POSITIVE"),
                  LayerRecord("4", "BOARD", "COMPONENT", "comp_+_bot", "POSITIVE"),
                  LayerRecord("5", "BOARD", "DRILL", "drill", "POSITIVE", "top", "bottom"),
                  LayerRecord("6", "MISC", "SOLDER_PASTE", "paste", "NEGATIVE")}));
  ExpectSummaryMatchesFile(b.f.store, kMatrix);
}

TEST(OdbMatrix, RowsAreWrittenAsStoredAndStepsByTheirLegalName) {
  JobBoard b;
  b.host->AddLayer("c", 3, kLayerComponentTop, 1, 1);
  b.host->AddLayer("a", 1, kLayerSignal, 1, 1);
  b.host->AddLayer("b", 2, kLayerSignal, 1, 1);
  // The directory of this step is "pcb1"; the matrix names it so.
  b.host->AddMatrixStep(b.AddStep("PCB 1"), 0, 0);
  ASSERT_TRUE(b.Export());
  const Lines matrix = b.Body(kMatrix);
  ASSERT_EQ(matrix.size(), 34u);
  EXPECT_EQ(matrix[2], "NAME=pcb1");
  EXPECT_TRUE(b.Has("board\\steps\\pcb1\\profile"));
  EXPECT_EQ(matrix[5], "ROW=3");
  EXPECT_EQ(matrix[15], "ROW=1");
  EXPECT_EQ(matrix[25], "ROW=2");
}

TEST(OdbMatrix, LayerWithAnUnsetAttributeEndsTheFileAndTheJob) {
  struct Case {
    const char* name;
    int type, polarity, context;
    const char* error;
  };
  const Case cases[] = {
      {"$$$", kLayerSignal, 1, 1, "Layer name not set"},
      {"second", kLayerSignal, 1, 0, "Layer context not set: second"},
      {"second", kLayerNotSet, 1, 1, "Layer type not set: second"},
      {"second", kLayerSignal, 0, 1, "Layer polarity not set: second"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    JobBoard b;
    b.host->AddLayer("first", 1, kLayerComponentTop, 1, 1);
    b.host->AddLayer(c.name, 2, c.type, c.polarity, c.context);
    b.host->AddLayer("third", 3, kLayerSignal, 1, 1);
    b.AddStep("pcb");
    b.f.sink.Clear();
    EXPECT_FALSE(b.Export());
    EXPECT_EQ(b.Body(kMatrix), LayerRecord("1", "BOARD", "COMPONENT", "comp_+_top", "POSITIVE"));
    ExpectSummaryMatchesFile(b.f.store, kMatrix);
    EXPECT_EQ(b.Opened().back(), "board\\matrix\\.matrix.sum");
    EXPECT_EQ(b.f.sink.Errors(), (Lines{c.error, "Write job 'board' failed"}));
  }
}

TEST(OdbMatrix, ValuesOutsideTheTablesAreWrittenAsErrorAndTheJobGoesOn) {
  JobBoard b;
  b.host->AddLayer("ctop", 1, kLayerComponentTop, 1, 1);
  b.host->AddLayer("odd", 2, 13, 3, 3);
  b.AddStep("pcb");
  b.f.sink.Clear();
  EXPECT_TRUE(b.Export());
  const Lines matrix = b.Body(kMatrix);
  ASSERT_EQ(matrix.size(), 20u);
  EXPECT_EQ(Lines(matrix.begin() + 10, matrix.end()),
            LayerRecord("2", "ERROR", "ERROR", "odd", "ERROR"));
  const Lines errors = b.f.sink.Errors();
  ASSERT_GE(errors.size(), 3u);
  EXPECT_EQ(Lines(errors.begin(), errors.begin() + 3),
            (Lines{"Context enum not valid: 3", "Layer enum not valid: 13",
                   "Polarity enum not valid: 3"}));
}

TEST(OdbMatrix, MatrixThatCannotBeOpenedStopsTheJob) {
  JobBoard b;
  b.AddStack();
  b.host->AddMatrixStep(b.AddStep("pcb"), 0, 0);
  b.f.store.refuseOpen = [](const std::string& path) { return path == kMatrix; };
  b.f.sink.Clear();
  EXPECT_FALSE(b.Export());
  EXPECT_EQ(b.f.sink.Errors(), (Lines{"Could not open output file: board\\matrix\\matrix",
                                      "Write job 'board' failed"}));
  // Closed all the same (its summary counts nothing); nothing after it.
  EXPECT_EQ(b.f.store.closesOfHandleZero, 1);
  EXPECT_EQ(b.f.store.writesToHandleZero, 0);
  EXPECT_EQ(b.Opened(), Lines{"board\\matrix\\.matrix.sum"});
  EXPECT_EQ(b.f.store.Lines("board\\matrix\\.matrix.sum")[0], "SIZE=0");
}

TEST(OdbMatrix, ExceptionInAStepRecordEndsTheMatrixAndTheJob) {
  JobBoard b;
  b.AddStack();
  b.host->AddMatrixStep(b.AddStep("pcb"), 0, 0);
  ThrowingStore store(kMatrix);  // throws at "STEP {", after the header line
  b.f.sink.Clear();
  EXPECT_FALSE(b.host->WriteODB(&store));
  EXPECT_EQ(store.Lines(kMatrix), Lines{kHeaderLine});
  EXPECT_EQ(store.opened.back(), "board\\matrix\\.matrix.sum");
  EXPECT_EQ(store.Lines("board\\matrix\\.matrix.sum")[0],
            "SIZE=" + std::to_string(std::string(kHeaderLine).size() + 1));
  EXPECT_EQ(b.f.sink.Errors(),
            (Lines{"Unexpected error in WriteMatrixEntry", "Write job 'board' failed"}));
}

}  // namespace
}  // namespace kelpie::test
