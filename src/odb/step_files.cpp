#include "odb/step_files.h"

#include "odb/contour_records.h"

namespace kelpie {

bool WriteProfile(const OutputTarget& target, const Step& step, const std::string& stepDirectory) {
  // The stored outline repeats its first point, so two host points pass.
  if (step.profile.points.Count() < 3) {
    target.messages.Error("Outline not defined for step " + step.name);
    return false;
  }
  FileWriter writer(target, stepDirectory, "profile", true);
  WriteContourSurface(writer, step.profile);
  writer.Close();
  return true;
}

void WriteStepAttrList(const OutputTarget& target, const std::string& stepDirectory) {
  static const char* const kLines[] = {".out_drill_full = no",
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
                                       ".out_rout_order = 0"};
  WriteFixedFile(target, stepDirectory, "attrlist", false, kLines);
}

void WriteStepHeader(const OutputTarget& target, const std::string& stepDirectory) {
  // A single board: no step repetitions, datum and origin at 0, 0.
  static const char* const kLines[] = {"X_DATUM=0",
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
                                       "AFFECTING_BOM_CHANGED=0"};
  WriteFixedFile(target, stepDirectory, "stephdr", true, kLines);
}

}  // namespace kelpie
