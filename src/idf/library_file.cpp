#include <memory>

#include "idf/idf_writers.h"
#include "model/contour.h"
#include "output/text.h"
#include "server/host_services.h"
#include "server/server.h"

namespace kelpie {

bool WriteLibraryFile(const std::string& fileName) {
  cFileWriter writer("", fileName, false);
  writer.WriteLine(".HEADER");
  WriteIdfFileLine(writer, "LIBRARY_FILE");
  writer.WriteLine(".END_HEADER");
  const bool failed = WriteElectricalSections(writer);
  writer.Close();
  return failed;
}

bool WriteElectricalSections(cFileWriter& writer) {
  // One section per component, not per package type: a reader matches each
  // placement line to a section by name and part number.
  for (Step& step : currentServer->steps) {
    for (Component& component : step.components) {
      const std::string& name = IdfPartName(component);
      writer.WriteLine(".ELECTRICAL");
      writer.BeginLine(Quoted(name));
      writer.AddField(Quoted(name));
      writer.AddField("MM");
      writer.EndLine(NumberToText(component.packageType->height * kMillimetresPerInch));
      if (WritePackageOutline(writer, *component.packageType)) return true;
      writer.WriteLine(".END_ELECTRICAL");
    }
  }
  return false;
}

bool WritePackageOutline(cFileWriter& writer, PackageType& package) {
  if (package.outline == nullptr) {
    // The host gave only the package's box: its rectangle becomes the
    // outline, and stays in the model as if the host had set it.
    auto outline = std::make_unique<Contour>();
    AddPoint(outline->points, package.xMin, package.yMin);
    AddPoint(outline->points, package.xMax, package.yMin);
    AddPoint(outline->points, package.xMax, package.yMax);
    AddPoint(outline->points, package.xMin, package.yMax);
    AddPoint(outline->points, package.xMin, package.yMin);
    package.outline = std::move(outline);
  }
  WriteIdfLoop(writer, package.outline->points);
  return false;
}

}  // namespace kelpie
