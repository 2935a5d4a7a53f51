// Faults planted in the sample board's job are each caught at the file and
// line that hold them. The whole list of problems of each is a golden file
// (golden/fault_<name>.txt); the test also names the one line that must be
// among them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "check_test_support.h"

namespace kelpie::check::test {
namespace {

// Replaces the first occurrence of `from` (which must be there) by `to`.
std::function<void(Files&)> Replace(const std::string& path, const std::string& from, const std::string& to) {
  return [=](Files& files) {
    std::string& bytes = files.at(path);
    const std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
  };
}

std::function<void(Files&)> RemoveDirectory(const std::string& directory) {
  return [=](Files& files) { std::erase_if(files, [&](const auto& file) { return file.first.starts_with(directory); }); };
}

const std::string kTop = "steps/pcb/layers/top/features";
const std::string kComponents = "steps/pcb/layers/comp_+_top/components";
const std::string kFirstToeprint = "TOP 0 1.192 1.075 0 N 2 17 1\n";

struct Fault {
  const char* name;
  std::function<void(Files&)> plant;
  const char* caught;  // the start of a line that the problems must hold
};

const Fault kFaults[] = {
    {"byte_changed", Replace(kTop, "P 1.192 1.075", "P 1.193 1.075"), "job/steps/pcb/layers/top/.features.sum:2: SUM="},
    {"feature_removed", Replace(kTop, "P 1.192 1.075 0 P 0 0;0=1,2=0 \n", ""),
     "job/steps/pcb/layers/top/.features.sum:1: SIZE="},
    {"net_out_of_range", Replace(kComponents, "N 2 17 1", "N 99 17 1"),
     "job/steps/pcb/layers/comp_+_top/components:3: net 99 of U1 is not in the EDA data"},
    {"symbol_missing", Replace(kTop, "$3 dpak_tab\n", ""), "job/steps/pcb/layers/top/features:6: symbol number 4 where 3"},
    {"toeprint_too_many", Replace(kComponents, kFirstToeprint, kFirstToeprint + kFirstToeprint),
     "job/steps/pcb/layers/comp_+_top/components:4: a second toeprint of U1 for pin 0"},
    {"layer_directory_missing", RemoveDirectory("steps/pcb/layers/silk_top/"),
     "job/matrix/matrix:16: layer silk_top has no directory"},
    {"netlist_net_renamed", Replace("steps/pcb/netlists/cadnet/netlist", "$3 sda", "$3 sdb"),
     "job/steps/pcb/netlists/cadnet/netlist:6: net 3 is sdb here but sda"},
    {"feature_reference_wrong_kind", Replace("steps/pcb/eda/data", "FID C 3 18\n", "FID C 3 0\n"),
     "job/steps/pcb/eda/data:221: feature 0 of layer top is a surface"},
    {"summary_date", Replace("matrix/.matrix.sum", "DATE=", "DATE=3"), "job/matrix/.matrix.sum:3: DATE is not a date"},
    {"package_out_of_range", Replace(kComponents, "CMP 4 2.1", "CMP 40 2.1"),
     "job/steps/pcb/layers/comp_+_top/components:11: package 40 of U2 is not in the EDA data"},
    {"subnet_out_of_range", Replace(kComponents, "N 2 17 1", "N 2 170 1"),
     "job/steps/pcb/layers/comp_+_top/components:3: subnet 170 of U1 is not a subnet of net +5v"},
    {"toeprint_subnet_elsewhere", Replace("steps/pcb/eda/data", "SNT TOP T 0 3\n", "SNT TOP T 0 30\n"),
     "job/steps/pcb/eda/data:5: toeprint T 0 30 is in no components file"},
    {"layer_number_off_the_layer_line", Replace("steps/pcb/eda/data", "FID C 3 18\n", "FID C 11 18\n"),
     "job/steps/pcb/eda/data:221: layer number 11 is not on the LYR line (11 layers)"},
    {"matrix_row_gap", Replace("matrix/matrix", "ROW=5\n", "ROW=50\n"), "job/matrix/matrix:46: row 50 is outside 1..11"},
    {"user_symbol_missing", RemoveDirectory("symbols/dpak_tab/"),
     "job/steps/pcb/layers/top/features:6: symbol dpak_tab is neither a standard symbol nor in symbols/dpak_tab"},
    {"hole_without_tool", Replace("steps/pcb/layers/drill/tools", "DRILL_SIZE=40", "DRILL_SIZE=41"),
     "job/steps/pcb/layers/drill/features:13: hole drilled with symbol r40, which no tool"},
    {"line_with_rectangle", Replace(kTop, "L 1.192 1.025 1.83 1.025 9 P 0", "L 1.192 1.025 1.83 1.025 1 P 0"),
     "job/steps/pcb/layers/top/features:90: line drawn with symbol rect30x35 (round or square needed)"},
    {"text_attribute_off_the_table", Replace(kTop, "0;0=1,2=0", "0;0=10,2=0"),
     "job/steps/pcb/layers/top/features:37: the value '10' of .geometry is not a number of the text table"},
};

TEST(PlantedFaults, EachIsCaughtAtItsFileAndLine) {
  // A fixed moment for the summary dates, which one of the faults spoils.
  setenv("SOURCE_DATE_EPOCH", "1796407509", 1);
  const OdbJob sample = WriteOdb(DescribeSampleBoard);
  ASSERT_EQ(CheckOdb(sample.files), std::vector<std::string>());
  for (const Fault& fault : kFaults) {
    SCOPED_TRACE(fault.name);
    Files files = sample.files;
    fault.plant(files);
    const std::vector<std::string> problems = CheckOdb(files);
    EXPECT_EQ(problems, Golden(std::string("fault_") + fault.name + ".txt", problems));
    const bool caught = std::any_of(problems.begin(), problems.end(),
                                    [&](const std::string& line) { return line.starts_with(fault.caught); });
    EXPECT_TRUE(caught) << fault.caught;
  }
}

// The same for the IDF pair: a fault in the board file or the library file.
struct IdfFault {
  const char* name;
  bool inLibrary;
  std::string from;
  std::string to;
  const char* caught;
};

const IdfFault kIdfFaults[] = {
    {"idf_section_not_closed", false, ".END_PLACEMENT\r\n", "", "job.emn:35: .PLACEMENT without .END_PLACEMENT"},
    {"idf_outline_open", false, "0 0 0 0\r\n.END_BOARD_OUTLINE", "0 0 1 0\r\n.END_BOARD_OUTLINE",
     "job.emn:12: loop 0 does not end where it begins (line 7)"},
    {"idf_thickness_not_finite", false, "1.5748\r\n", "nan\r\n", "job.emn:6: thickness is not a finite number"},
    {"idf_package_missing", true, "\"SENSOR\" \"SENSOR\"", "\"SENSOR\" \"SENSOR-2\"",
     "job.emn:38: package \"SENSOR\" \"SENSOR\" of U2 is not in job.emp"},
    {"idf_height_not_finite", true, "MM 1.143", "MM inf", "job.emp:13: height is not a finite number: 'inf'"},
};

TEST(PlantedFaults, IdfFaultsAreCaughtAtTheirFileAndLine) {
  const IdfFiles sample = WriteIdf(DescribeSampleBoard);
  ASSERT_EQ(CheckIdfFiles(sample), std::vector<std::string>());
  for (const IdfFault& fault : kIdfFaults) {
    SCOPED_TRACE(fault.name);
    IdfFiles files = sample;
    std::string& bytes = fault.inLibrary ? files.library : files.board;
    const std::size_t at = bytes.find(fault.from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, fault.from.size(), fault.to);
    const std::vector<std::string> problems = CheckIdfFiles(files);
    EXPECT_EQ(problems, Golden(std::string("fault_") + fault.name + ".txt", problems));
    const bool caught = std::any_of(problems.begin(), problems.end(),
                                    [&](const std::string& line) { return line.starts_with(fault.caught); });
    EXPECT_TRUE(caught) << fault.caught;
  }
}

}  // namespace
}  // namespace kelpie::check::test
