// The files at job level besides the matrix: one symbol for every polygon
// pad shape, the stroke font, and the misc directory (attributes, info and
// history of the job). Apart from the names, the board thickness and the
// customer's texts, their content is fixed.
#include "odb/odb_writers.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

namespace {

// The attribute list of a user symbol.
bool WriteSymbolAttrList(const std::string& directory) {
  static const char* const kLines[] = {".out_break = no", ".out_scale = no", ".break_away = no",
                                       ".comment = ",     ".fill_dx = 0.1",  ".fill_dy = 0.1",
                                       ".image_dx = -1",  ".image_dy = -1"};
  cFileWriter writer(directory, "attrlist", true);
  for (const char* line : kLines) {
    if (writer.WriteLine(line)) {
      writer.Close();
      return true;
    }
  }
  writer.Close();
  return false;
}

}  // namespace

bool WriteSymbols(const std::string& jobDirectory) {
  const std::string symbolsDirectory = jobDirectory + "\\symbols";
  FeatureContext noLayer;
  int counter = 0;  // shared by all symbols; only their own files show it
  for (Step& step : currentServer->steps) {
    for (PadShape& shape : step.padShapes) {
      // Round and rectangular pads use standard symbols; a polygon shape is
      // drawn here under its own name, the name its pads refer to.
      if (shape.kind != 4) continue;
      const std::string directory = symbolsDirectory + "\\" + shape.name;
      if (WriteSymbolAttrList(directory)) return true;
      cFileWriter writer(directory, "features", true);
      WriteContourFeature(noLayer, writer, &shape.outline, true, &counter, 0, 0, 0);
      writer.Close();
    }
  }
  return false;
}

bool WriteFonts(const std::string& jobDirectory) {
  // One character, "!", enough for readers that insist on a font.
  static const char* const kLines[] = {
      "XSIZE 0.2",
      "YSIZE 0.2",
      "OFFSET 0.000000",
      "CHAR !",
      "LINE 0.000000 0.000000 0.000000 0.200000 P R 0.012000",
      "LINE 0.000000 -0.100000 0.000000 -0.100000 P R 0.012000",
      "ECHAR"};
  cFileWriter writer(jobDirectory + "\\fonts", "standard", false);
  for (const char* line : kLines) writer.WriteLine(line);
  writer.Close();
  return false;
}

bool WriteMiscAttrList(const std::string& miscDirectory) {
  const KELPIE& server = *currentServer;
  if (server.boardThickness == 0.0) {
    SendError("Board thickness 0");
    return true;
  }
  static const char* const kLines[] = {
      ".technology = ",          ".global_camtek_aoiset = ",  ".drc_route_keepin_lyr = ",
      ".drc_comp_keepin_lyr = ", ".drc_tp_keepin_lyr = ",     ".drc_route_keepout_lyr = ",
      ".drc_via_keepout_lyr = ", ".drc_trace_keepout_lyr = ", ".drc_plane_keepout_lyr = ",
      ".drc_pad_keepout_lyr = ", ".drc_comp_keepout_lyr = ",  ".drc_comp_height_lyr = ",
      ".drc_tp_keepout_lyr = ",  ".variant_list = ",          ".primary_side = top",
      ".design_origin_x = 0",    ".design_origin_y = 0"};
  cFileWriter writer(miscDirectory, "attrlist", false);
  // The keys end in a blank and the spaced writers add another: readers
  // expect the two.
  writer.WriteSpacedText(".customer = ", server.customerName);
  writer.WriteSpacedText(".comment = ", server.comment);
  for (const char* line : kLines) writer.WriteLine(line);
  writer.WriteSpacedNumber(".board_thickness = ", server.boardThickness);
  writer.Close();
  return false;
}

bool WriteMiscInfo(const std::string& miscDirectory) {
  static const char* const kLines[] = {"ODB_VERSION_MAJOR=6",
                                       "ODB_VERSION_MINOR=3",
                                       "ODB_SOURCE=",
                                       "CREATION_DATE=20070516.153615",
                                       "SAVE_DATE=20070516.153615",
                                       "SAVE_APP=Enterprise 7.6.0R3",
                                       "SAVE_USER=VE2ZAV"};
  cFileWriter writer(miscDirectory, "info", false);
  writer.WriteSpacedText("JOB_NAME=", currentServer->jobName);
  for (const char* line : kLines) writer.WriteLine(line);
  writer.Close();
  return false;
}

bool WriteMiscJobName(const std::string& miscDirectory) {
  cFileWriter writer(miscDirectory, "job_name", false);
  writer.WriteLine(currentServer->jobName);
  writer.Close();
  return false;
}

bool WriteMiscLastRead(const std::string& miscDirectory) {
  cFileWriter writer(miscDirectory, "last_read", false);
  writer.WriteLine("20070601.081635 qox@ on Windows XP / Enterprise 7.3.2.0");
  writer.WriteLine("20070606.063653 qox@ on Windows XP / Enterprise 7.3.2.0");
  writer.Close();
  return false;
}

bool WriteMiscLastSave(const std::string& miscDirectory) {
  cFileWriter writer(miscDirectory, "last_save", false);
  writer.WriteLine("20070516.153615");
  writer.Close();
  return false;
}

}  // namespace kelpie
