// The job-level files: symbols of polygon pad shapes, the font, the misc
// files.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const Lines kSymbolAttrList = {".out_break = no", ".out_scale = no", ".break_away = no",
                               ".comment = ",     ".fill_dx = 0.1",  ".fill_dy = 0.1",
                               ".image_dx = -1",  ".image_dy = -1"};

TEST(OdbJobFiles, PolygonShapeBecomesASymbolOfOneSurface) {
  JobBoard b;
  b.AddStack();
  b.AddStep("pcb");
  // Counter-clockwise corners: the island is written clockwise. A point on
  // the positive x axis comes back from the rotation with a tiny negative y.
  const double xs[] = {0, 0.1, 0.1, 0};
  const double ys[] = {0, 0, 0.05, 0.05};
  b.host->AddPolygonPadShape("Pad 1", xs, ys, 4);
  b.host->AddRoundPadShape("round", 0.06, 1);
  b.host->AddPadShape("rect", 2, 0.05, 0.02, 0, 0);
  ASSERT_TRUE(b.Export());

  const std::string dir = "board\\symbols\\pad1\\";
  EXPECT_EQ(b.Body(dir + "attrlist"), kSymbolAttrList);
  EXPECT_EQ(b.Body(dir + "features"),
            (Lines{"S P 0", "OB 0 0 I ", "OS 0 0.05 ", "OS 0.1 0.05 ", "OS 0.1 -0 ", "OS 0 0 ",
                   "OE", "SE"}));
  ExpectSummaryMatchesFile(b.f.store, dir + "attrlist");
  ExpectSummaryMatchesFile(b.f.store, dir + "features");
  // Round and rectangular shapes use standard symbols: nothing else here.
  for (const std::string& path : b.Opened()) {
    if (path.rfind("board\\symbols\\", 0) == 0) {
      EXPECT_EQ(path.rfind(dir, 0), 0u) << path;
    }
  }
}

TEST(OdbJobFiles, SameShapeNameInTwoStepsIsWrittenTwiceFirstStepFirst) {
  JobBoard b;
  b.AddStack();
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  const double xs2[] = {0, 2, 2};
  b.AddStep("one");
  b.host->AddPolygonPadShape("pad1", xs, ys, 3);
  b.AddStep("two");
  b.host->AddPolygonPadShape("pad1", xs2, ys, 3);
  ASSERT_TRUE(b.Export());
  const std::string dir = "board\\symbols\\pad1\\";
  const Lines opened = b.Opened();
  ASSERT_GE(opened.size(), 8u);
  EXPECT_EQ(Lines(opened.begin(), opened.begin() + 8),
            (Lines{dir + "attrlist", dir + ".attrlist.sum", dir + "features", dir + ".features.sum",
                   dir + "attrlist", dir + ".attrlist.sum", dir + "features",
                   dir + ".features.sum"}));
  // The second step's shape is what the path holds in the end.
  EXPECT_EQ(b.Body(dir + "features")[2], "OS 2 1 ");
}

TEST(OdbJobFiles, FontIsFixedText) {
  JobBoard b;
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body("board\\fonts\\standard"),
            (Lines{"XSIZE 0.2", "YSIZE 0.2", "OFFSET 0.000000", "CHAR !",
                   "LINE 0.000000 0.000000 0.000000 0.200000 P R 0.012000",
                   "LINE 0.000000 -0.100000 0.000000 -0.100000 P R 0.012000", "ECHAR"}));
  EXPECT_FALSE(b.Has("board\\fonts\\.standard.sum"));
}

TEST(OdbJobFiles, MiscFilesCarryTheJobsTextsAndNoSummaries) {
  JobBoard b;
  b.host->SetJobName("Board1");
  b.host->SetCustomerName("Acme Inc.");
  b.host->SetComment("");
  b.host->SetBoardThickness(0.0625);
  ASSERT_TRUE(b.Export());
  const std::string misc = "board1\\misc\\";
  EXPECT_EQ(b.Body(misc + "attrlist"),
            (Lines{".customer =  Acme Inc.",
                   ".comment =  ",
                   ".technology = ",
                   ".global_camtek_aoiset = ",
                   ".drc_route_keepin_lyr = ",
                   ".drc_comp_keepin_lyr = ",
                   ".drc_tp_keepin_lyr = ",
                   ".drc_route_keepout_lyr = ",
                   ".drc_via_keepout_lyr = ",
                   ".drc_trace_keepout_lyr = ",
                   ".drc_plane_keepout_lyr = ",
                   ".drc_pad_keepout_lyr = ",
                   ".drc_comp_keepout_lyr = ",
                   ".drc_comp_height_lyr = ",
                   ".drc_tp_keepout_lyr = ",
                   ".variant_list = ",
                   ".primary_side = top",
                   ".design_origin_x = 0",
                   ".design_origin_y = 0",
                   ".board_thickness =  0.0625"}));
  EXPECT_EQ(b.Body(misc + "info"),
            (Lines{"JOB_NAME= board1", "ODB_VERSION_MAJOR=6", "ODB_VERSION_MINOR=3", "ODB_SOURCE=",
                   "CREATION_DATE=20070516.153615", "SAVE_DATE=20070516.153615",
                   "SAVE_APP=Enterprise 7.6.0R3", "SAVE_USER=VE2ZAV"}));
  EXPECT_EQ(b.Body(misc + "job_name"), Lines{"board1"});
  EXPECT_EQ(b.Body(misc + "last_read"),
            (Lines{"20070601.081635 qox@ on Windows XP / Enterprise 7.3.2.0",
                   "20070606.063653 qox@ on Windows XP / Enterprise 7.3.2.0"}));
  EXPECT_EQ(b.Body(misc + "last_save"), Lines{"20070516.153615"});
  for (const std::string& path : b.Opened())
    EXPECT_EQ(path.find(misc + "."), std::string::npos) << path;
}

}  // namespace
}  // namespace kelpie::test
