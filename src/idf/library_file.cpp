#include "idf/library_file.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "idf/idf_text.h"
#include "output/text.h"

namespace kelpie {

void GiveOutlinesToPlacedPackages(Design& design) {
  for (Step& step : design.steps) {
    for (Component& component : step.components) {
      PackageType& package = *component.packageType;
      if (package.outline != nullptr) continue;
      auto outline = std::make_unique<Contour>();
      AddPoint(outline->points, package.xMin, package.yMin);
      AddPoint(outline->points, package.xMax, package.yMin);
      AddPoint(outline->points, package.xMax, package.yMax);
      AddPoint(outline->points, package.xMin, package.yMax);
      AddPoint(outline->points, package.xMin, package.yMin);
      package.outline = std::move(outline);
    }
  }
}

void WriteLibraryFile(const OutputTarget& target, const Design& design,
                      const std::string& fileName) {
  FileWriter writer(target, "", fileName, false);
  writer.WriteLine(".HEADER");
  WriteIdfFileLine(writer, "LIBRARY_FILE");
  writer.WriteLine(".END_HEADER");
  // One section per component, not per package type: a reader matches each
  // placement line to a section by name and part number. The components of
  // one package share its outline, whose lines are formatted once.
  std::unordered_map<const PackageType*, std::vector<std::string>> outlineLines;
  for (const Step& step : design.steps) {
    for (const Component& component : step.components) {
      const std::string& name = IdfPartName(component);
      const PackageType& package = *component.packageType;
      writer.WriteLine(".ELECTRICAL");
      BeginPartNameLine(writer, name);
      writer.Append(" MM ");
      writer.AppendNumber(package.height * kMillimetresPerInch);
      writer.EndLine();
      auto [lines, isNew] = outlineLines.try_emplace(&package);
      if (isNew) lines->second = IdfLoopLines(package.outline->points);
      for (const std::string& line : lines->second) writer.WriteLine(line);
      writer.WriteLine(".END_ELECTRICAL");
    }
  }
  writer.Close();
}

}  // namespace kelpie
