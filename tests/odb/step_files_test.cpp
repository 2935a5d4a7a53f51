// The files that open every step directory: profile, attrlist, stephdr.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

const char* const kStep = "board\\steps\\pcb\\";

// (4, 0) lies on the positive x axis: the rotation every outline point goes
// through brings it back with a y that prints as -0.
TEST(OdbStepFiles, ProfileIsOneClockwiseIslandWithASummary) {
  for (const bool clockwise : {false, true}) {
    SCOPED_TRACE(clockwise ? "given clockwise" : "given counter-clockwise");
    JobBoard b;
    b.AddStack();
    const double ccwX[] = {0, 4, 4, 0};
    const double ccwY[] = {0, 0, 3, 3};
    const double cwX[] = {0, 0, 4, 4};
    const double cwY[] = {0, 3, 3, 0};
    b.host->AddStep("pcb", clockwise ? cwX : ccwX, clockwise ? cwY : ccwY, 4);
    ASSERT_TRUE(b.Export());
    EXPECT_EQ(b.Body(std::string(kStep) + "profile"),
              (Lines{"S P 0", "OB 0 0 I ", "OS 0 3 ", "OS 4 3 ", "OS 4 -0 ", "OS 0 0 ", "OE",
                     "SE"}));
    ExpectSummaryMatchesFile(b.f.store, std::string(kStep) + "profile");
  }
}

TEST(OdbStepFiles, AttributeListAndHeaderAreFixedText) {
  JobBoard b;
  b.AddStack();
  b.AddStep("pcb");
  ASSERT_TRUE(b.Export());
  EXPECT_EQ(b.Body(std::string(kStep) + "attrlist"),
            (Lines{".out_drill_full = no",
                   ".out_drill_optional = no",
                   ".out_rout_optional = no",
                   ".array_with_rotation = no",
                   ".comment = ",
                   ".out_name = ",
                   ".assembly_proc_top = ",
                   ".assembly_proc_bottom = ",
                   ".all_eda_layers = ",
                   ".fab_drc = ",
                   ".hdi_drc = ",
                   ".merge_processes = ",
                   ".neutralization_info = ",
                   ".design_center = ",
                   ".neutralization_ss_layers = ",
                   ".current_variant = ",
                   ".fs_direction_top = left2right",
                   ".fs_direction_bottom = right2left",
                   ".smt_direction_top = left2right",
                   ".smt_direction_bottom = right2left",
                   ".axi_direction = left2right",
                   ".viacap_layer = none",
                   ".out_drill_order = 0",
                   ".out_rout_order = 0"}));
  EXPECT_FALSE(b.Has(std::string(kStep) + ".attrlist.sum"));
  EXPECT_EQ(b.Body(std::string(kStep) + "stephdr"),
            (Lines{"X_DATUM=0",
                   "Y_DATUM=0",
                   "X_ORIGIN=0",
                   "Y_ORIGIN=0",
                   "TOP_ACTIVE=0",
                   "BOTTOM_ACTIVE=0",
                   "RIGHT_ACTIVE=0",
                   "LEFT_ACTIVE=0",
                   "ONLINE_DRC_NAME=",
                   "ONLINE_DRC_MODE=DISABLED",
                   "ONLINE_DRC_STAT=RED",
                   "ONLINE_DRC_TIME=0",
                   "ONLINE_DRC_BEEP_VOL=2",
                   "ONLINE_DRC_BEEP_TONE=500",
                   "ONLINE_NET_MODE=DISABLED",
                   "ONLINE_NET_STAT=RED",
                   "ONLINE_NET_TIME=0",
                   "ONLINE_NET_BEEP_VOL=2",
                   "ONLINE_NET_BEEP_TONE=1000",
                   "AFFECTING_BOM=",
                   "AFFECTING_BOM_CHANGED=0"}));
  ExpectSummaryMatchesFile(b.f.store, std::string(kStep) + "stephdr");
}

}  // namespace
}  // namespace kelpie::test
