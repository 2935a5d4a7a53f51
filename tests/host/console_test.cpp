// The console sink: verbatim texts, the four property formats and the
// terminal's progress line; the command line.
#include <gtest/gtest.h>

#include <cstdio>

#include "console.h"
#include "options.h"

namespace kelpie::host::test {
namespace {

std::string Read(std::FILE* stream) {
  std::fflush(stream);
  std::rewind(stream);
  std::string text;
  for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
  return text;
}

struct Streams {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  ~Streams() {
    std::fclose(out);
    std::fclose(err);
  }
};

// The plug-in calls the sink through its table, as MessageSink.
void Send(MessageSink& sink) {
  sink.Info("Job name: %s", "Board %s %n 100%");
  sink.Info("Adding layer: top%s%n%d", 0);
  sink.Info("Board thickness: %s", "0.062");
  sink.Warning("Could not find surface pad: %s%n", 0);
  sink.Error("Reference R%n1 already defined.", 0);
}

TEST(HostConsole, PrintsEveryTextVerbatim) {
  Streams streams;
  Console console(streams.out, streams.err, false, false);
  Send(console);
  EXPECT_EQ(Read(streams.out), "Job name: Board %s %n 100%\nAdding layer: top%s%n%d\nBoard thickness: 0.062\n");
  EXPECT_EQ(Read(streams.err),
            "warning: Could not find surface pad: %s%n\nerror: Reference R%n1 already defined.\n");
  EXPECT_EQ(console.errorCount(), 1);
  EXPECT_TRUE(IsPropertyFormat("Customer name: %s"));
  EXPECT_TRUE(IsPropertyFormat("Comment: %s"));
  EXPECT_FALSE(IsPropertyFormat("Write job started: %s"));
}

TEST(HostConsole, TerminalFoldsAnExportIntoOneProgressLine) {
  Streams streams;
  Console console(streams.out, streams.err, false, true);
  console.Info("Adding layer: top", 0);  // outside an export: a line
  console.BeginExport("ODB++");
  console.Info("Write job started: board", 0);
  console.FileWritten(1500);
  console.Info("Write board\\matrix\\matrix complete", 0);
  console.Error("Could not open output file: board\\x", 0);
  console.EndExport();
  console.Note("Wrote out/board");
  const std::string out = Read(streams.out);
  EXPECT_TRUE(out.starts_with("Adding layer: top\n\r\033[KODB++: 0 files, 0 bytes, ")) << out;
  // The progress line is redrawn in place and never ends a line; the error
  // clears it, prints on its own line and the line comes back.
  EXPECT_NE(out.find("  Write job started: board"), std::string::npos);
  EXPECT_NE(out.find("\r\033[KODB++: 1 files, 1.5 kB, "), std::string::npos);
  EXPECT_TRUE(out.ends_with("\r\033[KWrote out/board\n")) << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);
  EXPECT_EQ(Read(streams.err), "error: Could not open output file: board\\x\n");
}

TEST(HostOptions, FormatsDefaultsAndRefusals) {
  Options options;
  std::string error;
  const char* plain[] = {"kelpie-export"};
  ASSERT_TRUE(ParseOptions(1, plain, options, error));
  EXPECT_TRUE(options.idf && options.odb && options.tgz && !options.zip);
  EXPECT_EQ(options.outputDirectory, ".");
  EXPECT_EQ(options.design, "");

  const char* chosen[] = {"kelpie-export", "board.json", "--zip", "-o", "out", "-q", "--library", "lib.so"};
  ASSERT_TRUE(ParseOptions(8, chosen, options, error));
  EXPECT_TRUE(!options.idf && !options.odb && !options.tgz && options.zip && options.quiet);
  EXPECT_EQ(options.design, "board.json");
  EXPECT_EQ(options.outputDirectory, "out");
  EXPECT_EQ(options.library, "lib.so");

  const char* generated[] = {"kelpie-export", "--generate", "250", "--idf"};
  ASSERT_TRUE(ParseOptions(4, generated, options, error));
  EXPECT_EQ(options.generate, 250);

  const char* both[] = {"kelpie-export", "board.json", "--generate", "5"};
  EXPECT_FALSE(ParseOptions(4, both, options, error));
  EXPECT_EQ(error, "give either a design file or --generate, not both");
}

}  // namespace
}  // namespace kelpie::host::test
