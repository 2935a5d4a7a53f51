// The refusals of the EDA data and of the components files, each of which
// ends its file and the job there. The files' content on good boards is
// checked by the golden tests.
#include <gtest/gtest.h>

#include <string>

#include "odb_job_board.h"

namespace kelpie::test {
namespace {

// Each refusal ends the file at its package, and the job there.
TEST(OdbEdaData, PackageRefusalsEndTheFile) {
  const std::string data = "board\\steps\\pcb\\eda\\data";
  const auto package = [](JobBoard& b, const char* name, PinType* pinType, PadShape* shape,
                          Layer* layer) {
    if (shape) b.host->AddPinTypePad(pinType, shape, layer);
    PackageType* p = b.host->AddPackageType(name, -0.2, 0.4, 0, 0.2);
    b.host->AddPackagePin(p, pinType, "1", 0.1, 0, 0, 1);
    b.host->AddPackageType("after", 0, 1, 0, 1);
    return p;
  };
  ExpectFailure(
      [&](JobBoard& b) {
        PackageType* p = package(b, "twoside", b.host->AddPinType("t"),
                                 b.host->AddRoundPadShape("r", 0.1, 1), b.top);
        b.host->AddComponent(b.ctop, p, "T", "", 0, 0, 0, 0);
        b.host->AddComponent(b.cbot, p, "B", "", 0, 0, 0, 0);
      },
      {"Package twoside cannot be used on both sides"}, data,
      {"PKG twoside 0 -0.2 0 0.4 0.2", "RC -0.2 0 0.6 0.2"});
  ExpectFailure(
      [&](JobBoard& b) {
        PinType* odd = b.host->AddPinType("odd");
        odd->layerKind = PinLayerKind{7};
        package(b, "oddpkg", odd, b.host->AddRoundPadShape("r", 0.1, 1), b.bottom);
      },
      {"Invalid pinlayer"}, data, {"RC -0.2 0 0.6 0.2"});
  ExpectFailure(
      [&](JobBoard& b) { package(b, "bare", b.host->AddPinType("nopads"), nullptr, nullptr); },
      {"Pintype 'nopads' at 0.1,0 Package at 0.1,0.1 (inches) has no pads"}, data,
      {"PIN 1 S 0.1 0 0 U U"});
  ExpectFailure(
      [&](JobBoard& b) {
        package(b, "kind9", b.host->AddPinType("s"), b.host->AddPadShape("s", 9, 0.1, 0.1, 0, 0),
                b.bottom);
      },
      {"Pin shape 9 not yet implemented"}, data, {"PIN 1 S 0.1 0 0 U U"});
}

// More pins than the package has ends the components file before that
// component; fewer only warns.
TEST(OdbComponents, PinCountAgainstThePackage) {
  ExpectFailure(
      [](JobBoard& b) {
        PadShape* pad = b.host->AddRoundPadShape("r", 0.05, 1);
        PinType* smd = b.host->AddPinType("smd");
        b.host->AddPinTypePad(smd, pad, b.top);
        PackageType* two = b.host->AddPackageType("two", 0, 1, 0, 1);
        for (int i = 0; i < 2; ++i) b.host->AddPackagePin(two, smd, "p", i, 0, 0, i + 1);
        const int pins[] = {1, 3, 0};
        for (int c = 0; c < 3; ++c) {
          const std::string reference = "U" + std::to_string(c + 1);
          Component* part = b.host->AddComponent(b.ctop, two, reference.c_str(), "", c, 0, 0, 0);
          for (int i = 0; i < pins[c]; ++i)
            b.host->AddComponentPin(part, smd, c, 0, 0, 0, 1, nullptr);
        }
      },
      {"Component U2 has more pins than component type two"},
      "board\\steps\\pcb\\layers\\comp_+_top\\components",
      {"CMP 0 0 0 -0 N U1 PartName", "TOP 0 0 0 0 N 0 0 1"});
}

}  // namespace
}  // namespace kelpie::test
