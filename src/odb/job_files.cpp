#include "odb/job_files.h"

#include "odb/contour_records.h"

namespace kelpie {

namespace {

// The attribute list of a user symbol.
void WriteSymbolAttrList(const OutputTarget& target, const std::string& directory) {
  static const char* const kLines[] = {".out_break = no", ".out_scale = no", ".break_away = no",
                                       ".comment = ",     ".fill_dx = 0.1",  ".fill_dy = 0.1",
                                       ".image_dx = -1",  ".image_dy = -1"};
  WriteFixedFile(target, directory, "attrlist", true, kLines);
}

void WriteMiscAttrList(const OutputTarget& target, const Design& design,
                       const std::string& miscDirectory) {
  static const char* const kLines[] = {
      ".technology = ",          ".global_camtek_aoiset = ",  ".drc_route_keepin_lyr = ",
      ".drc_comp_keepin_lyr = ", ".drc_tp_keepin_lyr = ",     ".drc_route_keepout_lyr = ",
      ".drc_via_keepout_lyr = ", ".drc_trace_keepout_lyr = ", ".drc_plane_keepout_lyr = ",
      ".drc_pad_keepout_lyr = ", ".drc_comp_keepout_lyr = ",  ".drc_comp_height_lyr = ",
      ".drc_tp_keepout_lyr = ",  ".variant_list = ",          ".primary_side = top",
      ".design_origin_x = 0",    ".design_origin_y = 0"};
  FileWriter writer(target, miscDirectory, "attrlist", false);
  // The keys end in a blank and the spaced writers add another: readers
  // expect the two.
  writer.WriteSpacedText(".customer = ", design.customerName);
  writer.WriteSpacedText(".comment = ", design.comment);
  for (const char* line : kLines) writer.WriteLine(line);
  writer.WriteSpacedNumber(".board_thickness = ", design.boardThickness);
  writer.Close();
}

void WriteMiscInfo(const OutputTarget& target, const Design& design,
                   const std::string& miscDirectory) {
  static const char* const kLines[] = {"ODB_VERSION_MAJOR=6",
                                       "ODB_VERSION_MINOR=3",
                                       "ODB_SOURCE=",
                                       "CREATION_DATE=20070516.153615",
                                       "SAVE_DATE=20070516.153615",
                                       "SAVE_APP=Enterprise 7.6.0R3",
                                       "SAVE_USER=VE2ZAV"};
  FileWriter writer(target, miscDirectory, "info", false);
  writer.WriteSpacedText("JOB_NAME=", design.jobName);
  for (const char* line : kLines) writer.WriteLine(line);
  writer.Close();
}

void WriteMiscJobName(const OutputTarget& target, const Design& design,
                      const std::string& miscDirectory) {
  FileWriter writer(target, miscDirectory, "job_name", false);
  writer.WriteLine(design.jobName);
  writer.Close();
}

void WriteMiscLastRead(const OutputTarget& target, const std::string& miscDirectory) {
  static const char* const kLines[] = {"20070601.081635 qox@ on Windows XP / Enterprise 7.3.2.0",
                                       "20070606.063653 qox@ on Windows XP / Enterprise 7.3.2.0"};
  WriteFixedFile(target, miscDirectory, "last_read", false, kLines);
}

void WriteMiscLastSave(const OutputTarget& target, const std::string& miscDirectory) {
  static const char* const kLines[] = {"20070516.153615"};
  WriteFixedFile(target, miscDirectory, "last_save", false, kLines);
}

}  // namespace

void WriteSymbols(const OutputTarget& target, const Design& design,
                  const std::string& jobDirectory) {
  const std::string symbolsDirectory = jobDirectory + "\\symbols";
  for (const Step& step : design.steps) {
    for (const PadShape& shape : step.padShapes) {
      // Round and rectangular pads use standard symbols; a polygon shape is
      // drawn here under its own name, the name its pads refer to.
      if (shape.kind != PadKind::kPolygon) continue;
      const std::string directory = symbolsDirectory + "\\" + shape.name;
      WriteSymbolAttrList(target, directory);
      FileWriter writer(target, directory, "features", true);
      WriteContourSurface(writer, shape.outline);
      writer.Close();
    }
  }
}

void WriteFonts(const OutputTarget& target, const std::string& jobDirectory) {
  // One character, "!", enough for readers that insist on a font.
  static const char* const kLines[] = {"XSIZE 0.2",
                                       "YSIZE 0.2",
                                       "OFFSET 0.000000",
                                       "CHAR !",
                                       "LINE 0.000000 0.000000 0.000000 0.200000 P R 0.012000",
                                       "LINE 0.000000 -0.100000 0.000000 -0.100000 P R 0.012000",
                                       "ECHAR"};
  WriteFixedFile(target, jobDirectory + "\\fonts", "standard", false, kLines);
}

bool WriteMisc(const OutputTarget& target, const Design& design, const std::string& jobDirectory) {
  if (design.boardThickness == 0.0) {
    target.messages.Error("Board thickness 0");
    return false;
  }
  const std::string miscDirectory = jobDirectory + "\\misc";
  WriteMiscAttrList(target, design, miscDirectory);
  WriteMiscInfo(target, design, miscDirectory);
  WriteMiscJobName(target, design, miscDirectory);
  WriteMiscLastRead(target, miscDirectory);
  WriteMiscLastSave(target, miscDirectory);
  return true;
}

}  // namespace kelpie
