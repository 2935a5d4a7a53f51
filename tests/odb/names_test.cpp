// The two name filters and the words of the matrix enumerations.
#include <gtest/gtest.h>

#include "odb/names.h"
#include "recording_host.h"

namespace kelpie::test {
namespace {

TEST(Names, LegalOdbName) {
  EXPECT_EQ(LegalOdbName("Top Copper"), "topcopper");
  EXPECT_EQ(LegalOdbName("GND/1"), "gnd1");
  EXPECT_EQ(LegalOdbName("R1.A+B"), "r1.a+b");
  EXPECT_EQ(LegalOdbName("$NONE$"), "$NONE$");
  EXPECT_EQ(LegalOdbName("$none$"), "none");
  EXPECT_EQ(LegalOdbName("$NONE"), "none");
  EXPECT_EQ(LegalOdbName(" $NONE$"), "none");
  EXPECT_EQ(LegalOdbName("___"), "___");
  EXPECT_EQ(LegalOdbName(""), "");
  EXPECT_EQ(LegalOdbName("a-b_c.d+e\\f#g(h)i\tj%k"), "a-b_c.d+efghijk");
  EXPECT_EQ(LegalOdbName("Caf\xC3\xA9 \xC9T\xE9"), "caft");  // bytes above 127 go
  EXPECT_EQ(LegalOdbName(std::string("a\0b", 3)), "ab");
  EXPECT_EQ(LegalOdbName("[@`{~]"), "");  // neighbours of the kept ranges
  EXPECT_EQ(LegalOdbName("AZaz09"), "azaz09");
}

TEST(Names, LegalIdfName) {
  EXPECT_EQ(LegalIdfName("Top Copper"), "TopCopper");
  EXPECT_EQ(LegalIdfName("R1.A+B"), "R1.A+B");
  EXPECT_EQ(LegalIdfName("$NONE$"), "NONE");
  EXPECT_EQ(LegalIdfName("a-b_c/d\xE9"), "a-b_cd");
  EXPECT_EQ(LegalIdfName("[@`{~]/:"), "");
}

TEST(Names, EnumerationWords) {
  ServerFixture f;  // for the sink
  const char* const types[] = {"NOTSET",       "SIGNAL",      "POWER_GROUND", "MIXED",
                               "SOLDER_MASK",  "SOLDER_PASTE", "SILK_SCREEN", "DRILL",
                               "ROUT",         "DOCUMENT",    "COMPONENTTOP", "COMPONENTBOTTOM",
                               "MASK"};
  for (int type = 0; type <= 12; ++type) EXPECT_EQ(LayerTypeToName(type), types[type]);
  EXPECT_EQ(PolarityToName(0), "NOTSET");
  EXPECT_EQ(PolarityToName(1), "POSITIVE");
  EXPECT_EQ(PolarityToName(2), "NEGATIVE");
  EXPECT_EQ(ContextToName(0), "NOTSET");
  EXPECT_EQ(ContextToName(1), "BOARD");
  EXPECT_EQ(ContextToName(2), "MISC");
  EXPECT_TRUE(f.sink.messages.empty());

  EXPECT_EQ(LayerTypeToName(13), "ERROR");
  EXPECT_EQ(LayerTypeToName(-1), "ERROR");
  EXPECT_EQ(PolarityToName(3), "ERROR");
  EXPECT_EQ(ContextToName(3), "ERROR");
  EXPECT_EQ(ContextToName(-2147483647 - 1), "ERROR");
  EXPECT_EQ(f.sink.Errors(),
            (std::vector<std::string>{"Layer enum not valid: 13", "Layer enum not valid: -1",
                                      "Polarity enum not valid: 3", "Context enum not valid: 3",
                                      "Context enum not valid: -2147483648"}));
}

}  // namespace
}  // namespace kelpie::test
