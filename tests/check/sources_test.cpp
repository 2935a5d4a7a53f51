// The reader's picture of a job: the sample board as kelpie-export writes
// it reads the same from its directory, its .tgz and its .zip, and what it
// reads (golden/sample_model.txt) counts every record of every file.
#include <gtest/gtest.h>

#include "check_test_support.h"
#include "read_job.h"

namespace kelpie::reader {
namespace {

std::string Counts(const Features& file) {
  int kinds[4] = {0, 0, 0, 0};
  std::size_t contours = 0;
  for (const Feature& feature : file.features) {
    ++kinds[static_cast<int>(feature.kind)];
    contours += static_cast<std::size_t>(feature.contours.count);
  }
  return std::to_string(file.symbols.size()) + " symbols, " + std::to_string(file.attributes.size()) +
         " attribute names, " + std::to_string(file.texts.size()) + " texts; " + std::to_string(kinds[0]) +
         " pads, " + std::to_string(kinds[1]) + " lines, " + std::to_string(kinds[2]) + " arcs, " +
         std::to_string(kinds[3]) + " surfaces of " + std::to_string(contours) + " contours";
}

// One line per file of the model, with what it holds.
std::vector<std::string> Describe(const Job& job) {
  std::vector<std::string> lines = {"job " + job.name + ", " + std::to_string(job.summaries.size()) + " summaries"};
  if (job.matrix)
    lines.push_back("matrix: " + std::to_string(job.matrix->steps.size()) + " steps, " +
                    std::to_string(job.matrix->layers.size()) + " layers");
  for (const UserSymbol& symbol : job.symbols)
    lines.push_back("symbol " + symbol.name + ": " + (symbol.features ? Counts(*symbol.features) : "no features"));
  for (const Step& step : job.steps) {
    lines.push_back("step " + step.name + " profile: " + (step.profile ? Counts(*step.profile) : "none"));
    for (const Layer& layer : step.layers) {
      std::string line = "layer " + layer.name + ": " + (layer.features ? Counts(*layer.features) : "no features");
      if (layer.tools) line += "; " + std::to_string(layer.tools->tools.size()) + " tools";
      if (layer.components) {
        std::size_t toeprints = 0;
        for (const Component& component : layer.components->components) toeprints += component.toeprints.size();
        line += "; " + std::to_string(layer.components->components.size()) + " components with " +
                std::to_string(toeprints) + " toeprints";
      }
      lines.push_back(line);
    }
    if (step.eda) {
      std::size_t subnets = 0;
      std::size_t references = 0;
      std::size_t pins = 0;
      for (const EdaNet& net : step.eda->nets) {
        subnets += net.subnets.size();
        for (const Subnet& subnet : net.subnets) references += subnet.features.size();
      }
      for (const Package& package : step.eda->packages) pins += package.pins.size();
      lines.push_back("eda: " + std::to_string(step.eda->layers.size()) + " layers, " +
                      std::to_string(step.eda->nets.size()) + " nets, " + std::to_string(subnets) + " subnets, " +
                      std::to_string(references) + " feature references, " +
                      std::to_string(step.eda->packages.size()) + " packages with " + std::to_string(pins) + " pins");
    }
    if (step.netlist)
      lines.push_back("netlist: " + std::to_string(step.netlist->nets.size()) + " nets, " +
                      std::to_string(step.netlist->points.size()) + " points");
  }
  return lines;
}

}  // namespace
}  // namespace kelpie::reader

namespace kelpie::check::test {
namespace {

using reader::Describe;
using reader::OpenSource;
using reader::Problems;
using reader::ReadJob;
using reader::Source;
using reader::SourceLimits;

TEST(Sources, DirectoryAndArchivesReadTheSame) {
  const Scratch scratch;
  ASSERT_EQ(RunProgram(KELPIE_EXPORT_PROGRAM, {"-o", scratch.path(), "--odb", "--tgz", "--zip", "-q"}).status, 0);
  std::vector<std::string> first;
  for (const char* job : {"kelpie-sample", "kelpie-sample.tgz", "kelpie-sample.zip"}) {
    SCOPED_TRACE(job);
    std::string error;
    const std::unique_ptr<Source> source = OpenSource(scratch / job, SourceLimits(), error);
    ASSERT_NE(source, nullptr) << error;
    EXPECT_EQ(source->jobName(), "kelpie-sample");
    Problems problems;
    const std::vector<std::string> model = Describe(ReadJob(*source, problems));
    EXPECT_TRUE(problems.empty());
    if (first.empty()) first = model;
    EXPECT_EQ(model, first);
  }
  EXPECT_EQ(first, Golden("sample_model.txt", first));
}

}  // namespace
}  // namespace kelpie::check::test
