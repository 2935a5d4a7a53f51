// The two name filters and the words of the matrix enumerations.
#include "odb/names.h"

#include <gtest/gtest.h>

#include "idf/idf_text.h"
#include "recording_host.h"

namespace kelpie::test {
namespace {

TEST(Names, LegalNames) {
  struct Case {
    std::string text, odb, idf;
  };
  const Case cases[] = {
      {"Top Copper", "topcopper", "TopCopper"},
      {"GND/1", "gnd1", "GND1"},
      {"___", "___", "___"},
      {"R1.A+B", "r1.a+b", "R1.A+B"},
      {"$NONE$", "$NONE$", "NONE"},
      {"$none$", "none", "none"},
      {" $NONE$", "none", "NONE"},
      {"", "", ""},
      {std::string("a\0b", 3), "ab", "ab"},
      {"[@`{~]/:", "", ""},  // next to the kept ranges
      {"a-b_c.d+e\\f#g(h)i\tj%k", "a-b_c.d+efghijk", "a-b_c.d+efghijk"},
      {"Caf\xC3\xA9 \xC9T\xE9", "caft", "CafT"},  // bytes above 127 go
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LegalOdbName(c.text), c.odb) << c.text;
    EXPECT_EQ(LegalIdfName(c.text), c.idf) << c.text;
  }
}

TEST(Names, EnumerationWords) {
  RecordingSink sink;
  MessageSink* sinkPointer = &sink;
  const Messages messages(sinkPointer);
  const char* const types[] = {"NOTSET",      "SIGNAL",       "POWER_GROUND", "MIXED",
                               "SOLDER_MASK", "SOLDER_PASTE", "SILK_SCREEN",  "DRILL",
                               "ROUT",        "DOCUMENT",     "COMPONENTTOP", "COMPONENTBOTTOM",
                               "MASK",        "ERROR"};
  for (int type = 0; type <= 13; ++type)
    EXPECT_EQ(LayerKindWord(LayerKind{type}, messages), types[type]);
  const char* const polarities[] = {"NOTSET", "POSITIVE", "NEGATIVE", "ERROR"};
  const char* const contexts[] = {"NOTSET", "BOARD", "MISC", "ERROR"};
  for (int value = 0; value <= 3; ++value) {
    EXPECT_EQ(PolarityWord(Polarity{value}, messages), polarities[value]);
    EXPECT_EQ(ContextWord(MatrixContext{value}, messages), contexts[value]);
  }
  EXPECT_EQ(LayerKindWord(LayerKind{-1}, messages), "ERROR");
  EXPECT_EQ(sink.Errors(),
            (std::vector<std::string>{"Layer enum not valid: 13", "Polarity enum not valid: 3",
                                      "Context enum not valid: 3", "Layer enum not valid: -1"}));
}

}  // namespace
}  // namespace kelpie::test
