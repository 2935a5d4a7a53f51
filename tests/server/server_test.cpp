// The server as a host sees it: creation and the process-wide references,
// job properties, every refusal of the table, automatic layer rows and
// flags read by their low byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "recording_host.h"
#include "model/design.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie::test {
namespace {

const double kSquareX[] = {0, 0, 1, 1};
const double kSquareY[] = {0, 1, 1, 0};

KELPIE* Model(IKELPIE* server) { return static_cast<KELPIE*>(server); }

TEST(ServerEntry, WrongVersionCreatesNothingAndReturnsThePreviousServer) {
  RecordingSink first;
  // No server alive yet in this process (every test deletes its own).
  EXPECT_EQ(createkelpieserver(&first, "host 1.0", 207), nullptr);
  EXPECT_EQ(createkelpieserver(&first, "host 1.0", 0), nullptr);
  EXPECT_EQ(first.Errors(), (std::vector<std::string>{
                                "Incorrect API Version: expected: 208 found: 207",
                                "Incorrect API Version: expected: 208 found: 0"}));

  IKELPIE* a = createkelpieserver(&first, "host 1.0", kApiVersion);
  IKELPIE* b = createkelpieserver(&first, "host 1.0", kApiVersion);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(a, b);

  // The sink is taken before the version check: the refusal and every later
  // message of every server go to the newest sink.
  RecordingSink second;
  EXPECT_EQ(createkelpieserver(&second, "host 1.0", -1), b);
  EXPECT_TRUE(second.HasError("Incorrect API Version: expected: 208 found: -1"));
  a->SetJobName("A");
  EXPECT_EQ(second.Infos(), std::vector<std::string>{"Job name: A"});
  EXPECT_EQ(first.Infos().size(), 0u);

  deletekelpieserver(b);
  // A deleted server is never handed back as "the previous reference".
  EXPECT_EQ(createkelpieserver(&second, "host 1.0", 1), nullptr);
  deletekelpieserver(a);
  deletekelpieserver(nullptr);
}

TEST(ServerEntry, StepSlotsActOnTheNewestServer) {
  RecordingSink sink;
  IKELPIE* older = createkelpieserver(&sink, "", kApiVersion);
  IKELPIE* newer = createkelpieserver(&sink, "", kApiVersion);

  newer->AddLayer("n1", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  Step* step = older->AddStep("pcb", kSquareX, kSquareY, 4);
  ASSERT_NE(step, nullptr);
  EXPECT_TRUE(Model(older)->steps.empty());
  ASSERT_EQ(Model(newer)->steps.size(), 1u);
  EXPECT_EQ(Model(newer)->currentStep, step);
  EXPECT_EQ(Model(older)->currentStep, nullptr);
  // The newest server's automatic rows restart; the older server's do not.
  EXPECT_EQ(newer->AddLayer("n2", 0, kLayerSignal, kPolarityPositive, kContextBoard)->row, 1);
  older->AddLayer("o1", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  older->AddStep("pcb2", kSquareX, kSquareY, 4);
  EXPECT_EQ(older->AddLayer("o2", 0, kLayerSignal, kPolarityPositive, kContextBoard)->row, 2);

  // Other step-scoped slots act on their own server's current step.
  sink.Clear();
  EXPECT_EQ(older->AddNet("gnd"), nullptr);
  EXPECT_EQ(sink.Errors(), std::vector<std::string>{"No current step"});
  EXPECT_NE(newer->AddNet("gnd"), nullptr);

  older->ClearCurrentStep();
  EXPECT_EQ(Model(newer)->currentStep, nullptr);
  EXPECT_EQ(newer->AddNet("vcc"), nullptr);

  // Once the newest server is gone, slots 8 and 9 fall back on their own.
  deletekelpieserver(newer);
  EXPECT_NE(older->AddStep("own", kSquareX, kSquareY, 4), nullptr);
  EXPECT_NE(older->AddNet("gnd"), nullptr);
  deletekelpieserver(older);
}

TEST(JobProperties, ReportedAndReadBack) {
  ServerFixture f;
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  f.server->GetJobName(buffer);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'x');  // only the terminating NUL is written

  f.server->SetJobName("Board 50%d");
  f.server->SetCustomerName("ACME");
  f.server->SetComment("rev B");
  f.server->SetBoardThickness(1.6);
  f.server->SetBoardThickness(0);
  f.server->SetBoardThickness(0.062);
  f.server->SetBoardThickness(1.0);
  EXPECT_EQ(f.sink.Infos(),
            (std::vector<std::string>{"Job name: Board 50%d", "Customer name: ACME",
                                      "Comment: rev B", "Board thickness: 1.6",
                                      "Board thickness: 0", "Board thickness: 0.062",
                                      "Board thickness: 1"}));
  f.server->GetJobName(buffer);
  EXPECT_STREQ(buffer, "Board 50%d");
  EXPECT_EQ(Model(f.server)->customerName, "ACME");
  EXPECT_EQ(Model(f.server)->comment, "rev B");
  EXPECT_EQ(Model(f.server)->boardThickness, 1.0);
}

TEST(JobProperties, OdbJobNameIsLegalAndKeepsItsBuffer) {
  ServerFixture f;
  const char* empty = f.server->GetOdbJobName();
  EXPECT_STREQ(empty, "");
  // Longer than any in-object string buffer, so that a buffer swap shows.
  f.server->SetJobName("MY BOARD For The Big Customer / Rev 7");
  const char* first = f.server->GetOdbJobName();
  EXPECT_STREQ(first, "myboardforthebigcustomerrev7");
  EXPECT_EQ(f.server->GetOdbJobName(), first);
  f.server->SetJobName("Another Rather Long Job Name");
  EXPECT_EQ(f.server->GetOdbJobName(), first);
  EXPECT_STREQ(first, "anotherratherlongjobname");
  char buffer[64];
  f.server->GetJobName(buffer);
  EXPECT_STREQ(buffer, "Another Rather Long Job Name");
  f.server->SetJobName("$NONE$");
  EXPECT_STREQ(f.server->GetOdbJobName(), "$NONE$");
}

TEST(Refusals, StepScopedSlotsWithoutCurrentStep) {
  ServerFixture f;
  IKELPIE* s = f.server;
  Layer* top = s->AddLayer("top", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
  f.sink.Clear();
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  EXPECT_EQ(s->AddPadShape("p", 2, 1, 1, 0, 0), nullptr);
  EXPECT_EQ(s->AddPolygonPadShape("p", xs, ys, 3), nullptr);
  EXPECT_EQ(s->AddRoundPadShape("p", 1, 1), nullptr);
  EXPECT_EQ(s->AddPinType("p"), nullptr);
  EXPECT_FALSE(s->AddPinTypePad(nullptr, nullptr, top));
  EXPECT_FALSE(s->AddPinTypePadAlias(nullptr, nullptr, top));
  EXPECT_FALSE(s->AddPinTypePadAt(nullptr, nullptr, 0, 0, top));
  EXPECT_EQ(s->AddPackageType("k", 0, 1, 0, 1), nullptr);
  EXPECT_FALSE(s->SetPackageOutline(nullptr, xs, ys, 3, 0.1));
  EXPECT_FALSE(s->AddPackagePin(nullptr, nullptr, "1", 0, 0, 0, 1));
  EXPECT_EQ(s->AddNet("n"), nullptr);
  EXPECT_EQ(s->AddComponent(top, nullptr, "R1", "", 0, 0, 0, 0), nullptr);
  EXPECT_EQ(s->AddComponentPin(nullptr, nullptr, 0, 0, 0, 0, 0, nullptr), nullptr);
  EXPECT_EQ(s->AddPin(nullptr, 0, 0, 0, 0, 0, nullptr), nullptr);
  EXPECT_EQ(f.sink.Errors(), std::vector<std::string>(14, "No current step"));
  EXPECT_TRUE(f.sink.Infos().empty());

  // Features need no step: they act on the layer or surface they are given.
  EXPECT_NE(s->AddLine(top, 0, 0, 1, 1, 0.01, nullptr), nullptr);
  EXPECT_NE(s->AddArc(top, 0, 0, 1, 1, 0, 1, 1, 0.01, nullptr), nullptr);
  EXPECT_TRUE(s->AddPlainLine(top, 0, 0, 1, 1, 0.01));
  EXPECT_TRUE(s->AddCircle(top, 0, 0, 1, 0.01, 0));
  EXPECT_TRUE(s->AddContour(top, xs, ys, 3, 0, 1));
  Surface* surface = s->AddSurface(top, nullptr);
  ASSERT_NE(surface, nullptr);
  EXPECT_TRUE(s->AddSurfaceContour(surface, xs, ys, 3, 1));
  EXPECT_EQ(f.sink.Errors().size(), 14u);

  // The matrix step list is not step-scoped either.
  Step* step = s->AddStep("pcb", kSquareX, kSquareY, 4);
  s->ClearCurrentStep();
  EXPECT_NE(s->AddMatrixStep(step, 0, 0), nullptr);
  EXPECT_EQ(s->AddNet("n"), nullptr);
  EXPECT_EQ(f.sink.Errors().size(), 15u);
}

TEST(Refusals, DuplicateNamesAreExactAndCaseSensitive) {
  ServerFixture f;
  IKELPIE* s = f.server;
  Layer* top = s->AddLayer("Top", 1, kLayerComponentTop, kPolarityPositive, kContextBoard);
  Layer* bottom = s->AddLayer("Bot", 2, kLayerComponentBottom, kPolarityPositive, kContextBoard);
  Layer* copper = s->AddLayer("Cu", 3, kLayerSignal, kPolarityPositive, kContextBoard);
  EXPECT_EQ(s->AddLayer("Top", 4, kLayerSignal, kPolarityPositive, kContextBoard), nullptr);
  EXPECT_EQ(s->AddDrillLayer("Cu", 5, top, bottom), nullptr);
  EXPECT_NE(s->AddLayer("top", 4, kLayerSignal, kPolarityPositive, kContextBoard), nullptr);

  Step* pcb = s->AddStep("pcb", kSquareX, kSquareY, 4);
  EXPECT_NE(s->AddPinType("smd"), nullptr);
  EXPECT_EQ(s->AddPinType("smd"), nullptr);
  EXPECT_NE(s->AddPinType("SMD"), nullptr);
  PackageType* r0603 = s->AddPackageType("R0603", 0, 1, 0, 1);
  EXPECT_EQ(s->AddPackageType("R0603", 0, 2, 0, 2), nullptr);
  PackageType* c0603 = s->AddPackageType("C0603", 0, 1, 0, 1);

  EXPECT_EQ(s->AddComponent(copper, c0603, "C1", "", 0, 0, 0, 0), nullptr);
  EXPECT_FALSE(c0603->usedOnTop || c0603->usedOnBottom);
  EXPECT_NE(s->AddComponent(top, r0603, "R1", "", 0, 0, 0, 0), nullptr);
  EXPECT_EQ(s->AddComponent(bottom, c0603, "R1", "", 0, 0, 0, 0), nullptr);
  EXPECT_TRUE(c0603->usedOnBottom);  // marked before the reference check
  EXPECT_FALSE(c0603->usedOnTop);
  EXPECT_NE(s->AddComponent(top, r0603, "r1", "", 0, 0, 0, 0), nullptr);

  EXPECT_EQ(s->AddStep("pcb", kSquareX, kSquareY, 4), nullptr);
  EXPECT_EQ(s->AddNet("n"), nullptr);  // the refused step left no current step

  EXPECT_EQ(f.sink.Errors(),
            (std::vector<std::string>{
                "Layer Top already defined.", "Layer Cu already defined.",
                "Pin type name smd already defined", "Package type R0603 already defined.",
                "Component C1 is not on a component layer", "Reference R1 already defined.",
                "Step pcb already defined.", "No current step"}));

  // In another step the same pin type, package and reference names are new.
  Step* panel = s->AddStep("panel", kSquareX, kSquareY, 4);
  EXPECT_NE(s->AddPinType("smd"), nullptr);
  EXPECT_NE(s->AddComponent(top, s->AddPackageType("R0603", 0, 1, 0, 1), "R1", "", 0, 0, 0, 0),
            nullptr);
  EXPECT_EQ(pcb->components.size(), 2u);
  EXPECT_EQ(panel->components.size(), 1u);
  EXPECT_EQ(f.sink.Errors().size(), 8u);
}

TEST(Refusals, RenamedNamesAreCheckedAfterTheIndexesAreRebuilt) {
  // The export jobs rewrite names in place and rebuild the indexes; the
  // duplicate checks must then see the new names, not the old ones.
  ServerFixture f;
  KELPIE* k = Model(f.server);
  f.server->AddLayer("Top Copper", 1, kLayerSignal, kPolarityPositive, kContextBoard);
  Step* step = f.server->AddStep("Main Board", kSquareX, kSquareY, 4);
  f.server->AddPackageType("SO-8", 0, 1, 0, 1);
  k->layers.layers.front().name = "topcopper";
  step->name = "mainboard";
  step->packageTypes.front().name = "so-8";
  k->layers.RebuildNameIndex();
  k->RebuildStepNameIndex();
  RebuildPackageTypeIndex(*step);

  EXPECT_NE(f.server->AddLayer("Top Copper", 2, kLayerSignal, kPolarityPositive, kContextBoard),
            nullptr);
  EXPECT_EQ(f.server->AddLayer("topcopper", 3, kLayerSignal, kPolarityPositive, kContextBoard),
            nullptr);
  EXPECT_NE(f.server->AddPackageType("SO-8", 0, 1, 0, 1), nullptr);
  EXPECT_EQ(f.server->AddPackageType("so-8", 0, 1, 0, 1), nullptr);
  EXPECT_NE(f.server->AddStep("Main Board", kSquareX, kSquareY, 4), nullptr);
  EXPECT_EQ(f.server->AddStep("mainboard", kSquareX, kSquareY, 4), nullptr);
  EXPECT_EQ(f.sink.Errors(),
            (std::vector<std::string>{"Layer topcopper already defined.",
                                      "Package type so-8 already defined.",
                                      "Step mainboard already defined."}));
}

TEST(Layers, AutomaticRowsAndDrillLayers) {
  ServerFixture f;
  IKELPIE* s = f.server;
  // Before any step the counter starts from 0 as well.
  EXPECT_EQ(s->AddLayer("pre", 0, kLayerSignal, kPolarityPositive, kContextBoard)->row, 1);
  s->AddStep("pcb", kSquareX, kSquareY, 4);
  Layer* a = s->AddLayer("a", 0, kLayerSignal, kPolarityPositive, kContextBoard);
  Layer* b = s->AddLayer("b", 0, kLayerSolderMask, kPolarityNegative, kContextMisc);
  EXPECT_EQ(s->AddLayer("a", 0, kLayerSignal, kPolarityPositive, kContextBoard), nullptr);
  Layer* fixed = s->AddLayer("fixed", 9, kLayerSignal, kPolarityPositive, kContextBoard);
  f.sink.Clear();
  Layer* drill = s->AddDrillLayer("dr%sill", 0, a, b);
  ASSERT_NE(drill, nullptr);
  EXPECT_EQ(a->row, 1);
  EXPECT_EQ(b->row, 2);
  EXPECT_EQ(fixed->row, 9);
  EXPECT_EQ(drill->row, 4);  // the refused duplicate used up row 3
  EXPECT_EQ(b->type, kLayerSolderMask);
  EXPECT_EQ(b->polarity, kPolarityNegative);
  EXPECT_EQ(b->context, kContextMisc);
  EXPECT_EQ(drill->type, kLayerDrill);
  EXPECT_EQ(drill->polarity, kPolarityPositive);
  EXPECT_EQ(drill->context, kContextBoard);
  EXPECT_EQ(drill->drillStart, a);
  EXPECT_EQ(drill->drillEnd, b);
  EXPECT_EQ(a->drillStart, nullptr);
  // A complete text, shown verbatim although the name holds "%s".
  EXPECT_EQ(f.sink.Infos(), std::vector<std::string>{"Adding layer: dr%sill"});

  s->AddStep("panel", kSquareX, kSquareY, 4);
  EXPECT_EQ(s->AddLayer("c", 0, kLayerSignal, kPolarityPositive, kContextBoard)->row, 1);
  // A refused step restarts the rows all the same.
  s->AddStep("panel", kSquareX, kSquareY, 4);
  EXPECT_EQ(s->AddDrillLayer("d2", 0, nullptr, nullptr)->row, 1);
  // Values are stored as passed, without a range check.
  EXPECT_EQ(s->AddLayer("odd", -3, 99, 7, -1)->type, 99);
  EXPECT_EQ(Model(s)->layers.layers.size(), 8u);
}

TEST(Flags, IntFlagsCountByTheirLowByte) {
  ServerFixture f;
  IKELPIE* s = f.server;
  Layer* layer = s->AddLayer("l", 1, kLayerSignal, kPolarityPositive, kContextBoard);
  s->AddStep("pcb", kSquareX, kSquareY, 4);
  EXPECT_FALSE(s->AddRoundPadShape("r", 0.05, 0x100)->plated);
  EXPECT_TRUE(s->AddRoundPadShape("r", 0.05, 0x101)->plated);
  EXPECT_TRUE(s->AddRoundPadShape("r", 0.05, -1)->plated);
  EXPECT_FALSE(s->AddArc(layer, 0, 0, 1, 1, 0, 1, 0x200, 0.01, nullptr)->clockwise);
  EXPECT_TRUE(s->AddArc(layer, 0, 0, 1, 1, 0, 1, 0x280, 0.01, nullptr)->clockwise);
  const double xs[] = {0, 1, 1};
  const double ys[] = {0, 0, 1};
  s->AddContour(layer, xs, ys, 3, 0, 0x100);
  s->AddContour(layer, xs, ys, 3, 0, 0x10002);
  Surface* surface = s->AddSurface(layer, nullptr);
  s->AddSurfaceContour(surface, xs, ys, 3, 0x300);
  ASSERT_EQ(layer->contours.size(), 3u);
  EXPECT_FALSE(layer->contours[0].flagA);
  EXPECT_TRUE(layer->contours[1].flagA);
  EXPECT_FALSE(layer->contours[2].flagA);
}

}  // namespace
}  // namespace kelpie::test
