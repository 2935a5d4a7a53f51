// NaN and infinities from a hostile host: they are printed as "nan", "inf"
// and "-inf", every export still ends with its own closing message, and no
// path loops on them.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "output/text.h"
#include "recording_host.h"
#include "sample_boards.h"

namespace kelpie::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(NonFinite, NumberTexts) {
  EXPECT_EQ(NumberToText(kNaN), "nan");
  EXPECT_EQ(NumberToText(-kNaN), "nan");  // the sign of a NaN is not shown
  EXPECT_EQ(NumberToText(kInf), "inf");
  EXPECT_EQ(NumberToText(-kInf), "-inf");
  EXPECT_EQ(PrefixedNumber("X", -kInf), "X-inf");
  // Huge finite values keep the fixed-point form, all digits and no point.
  EXPECT_EQ(NumberToText(1e42), "1000000000000000044885712678075916785549312");
  const std::string biggest = NumberToText(DBL_MAX);
  EXPECT_EQ(biggest.size(), 309u);
  EXPECT_EQ(biggest.substr(0, 6), "179769");
  EXPECT_EQ(NumberToText(-DBL_MAX).size(), 310u);
  EXPECT_EQ(NumberToText(5e-324), "0");
  EXPECT_EQ(NumberToText(-5e-324), "-0");
}

TEST(NonFinite, InterfaceMessagesAndContours) {
  ServerFixture f;
  f.server->SetBoardThickness(kNaN);
  f.server->SetBoardThickness(-kInf);
  const auto infos = f.sink.Infos();
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0], "Board thickness: nan");
  EXPECT_EQ(infos[1], "Board thickness: -inf");

  // Outlines with non-finite points end (the turn sums cannot spin).
  const double xs[] = {0, kInf, -kInf, kNaN, 1e308, -1e308};
  const double ys[] = {kNaN, 0, kInf, 1, -1e308, 1e308};
  ASSERT_NE(f.server->AddStep("s", xs, ys, 6), nullptr);
  Layer* layer = f.server->AddLayer("L", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  EXPECT_TRUE(f.server->AddContour(layer, xs, ys, 6, kInf, 1));
  EXPECT_NE(f.server->AddPolygonPadShape("p", ys, xs, 6), nullptr);
}

TEST(NonFinite, IdfPrintsThemAndCompletes) {
  ServerFixture f;
  samples::BuildNonFiniteBoard(*f.server);
  ASSERT_TRUE(f.server->WriteIDF(&f.store));
  const auto board = f.store.Lines("NonFinite.emn");
  ASSERT_GT(board.size(), 6u);
  // Thickness: infinity times 25.4.
  EXPECT_EQ(board[5], "inf\r");
  // The drill pad of the round shape with a NaN diameter.
  bool nanHole = false;
  for (const std::string& line : board) nanHole = nanHole || line.rfind("nan ", 0) == 0;
  EXPECT_TRUE(nanHole);
  // U1 is placed with rotation -inf, R2 at a NaN y.
  bool u1 = false, r2 = false;
  for (const std::string& line : board) {
    u1 = u1 || line == "50.8 38.1 0.0 -inf TOP PLACED\r";
    r2 = r2 || line == "38.1 nan 0.0 90 TOP PLACED\r";
  }
  EXPECT_TRUE(u1);
  EXPECT_TRUE(r2);
}

TEST(NonFinite, OdbPrintsThemAndEndsWithItsOwnMessage) {
  ServerFixture f;
  samples::BuildNonFiniteBoard(*f.server);
  const bool written = f.server->WriteODB(&f.store);
  ASSERT_FALSE(f.sink.messages.empty());
  const Message& last = f.sink.messages.back();
  EXPECT_EQ(last.text, written ? "Write job 'nonfinite' complete" : "Write job 'nonfinite' failed");
  // Whatever stopped the job, it was a message of the job, not a crash or
  // an unexpected exception.
  EXPECT_FALSE(f.sink.HasError("Unexpected error in WriteODB"));
  // The features of the top layer carry the NaN end of the R2 trace.
  const auto features = f.store.Lines("nonfinite\\steps\\pcb\\layers\\top\\features");
  bool nanLine = false;
  for (const std::string& line : features) nanLine = nanLine || line.find(" nan ") != std::string::npos;
  EXPECT_TRUE(nanLine);
}

}  // namespace
}  // namespace kelpie::test
