#include "name_limits.h"

#include <unistd.h>

namespace kelpie::host {

std::size_t FileNameLength(const std::string& name) {
  if (name == "$NONE$") return name.size();  // the one name the ODB++ export keeps whole
  std::size_t length = 0;
  for (const char c : name) {
    const bool kept = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
                      c == '_' || c == '.' || c == '+';
    if (kept) ++length;
  }
  return length;
}

namespace {

std::string Shown(const std::string& what, const std::string& name) {
  return what + " \"" + (name.size() > 40 ? name.substr(0, 40) + "..." : name) + "\"";
}

}  // namespace

bool CheckNameLengths(const Design& design, const std::string& outputDirectory, std::string& error) {
  const long limit = pathconf(outputDirectory.c_str(), _PC_NAME_MAX);
  const std::size_t longest = limit > 0 ? static_cast<std::size_t>(limit) : 255;
  auto check = [&](const std::string& what, const std::string& name, std::size_t suffix) {
    const std::size_t length = FileNameLength(name) + suffix;
    if (length <= longest) return true;
    error = what + " makes a file name of " + std::to_string(length) + " characters; the file system of " +
            outputDirectory + " allows " + std::to_string(longest) + " (shorten the name)";
    return false;
  };
  // ".emn", ".tgz" and the like follow the job name.
  if (design.jobName && !check("the job name", *design.jobName, 4)) return false;
  for (const StepRecord& step : design.steps) {
    if (!check(Shown("the step name", step.name), step.name, 0)) return false;
    for (const PadShapeRecord& shape : step.padShapes)
      if (shape.form == PadShapeRecord::kPolygon &&
          !check(Shown("the pad shape name", shape.name), shape.name, 0))
        return false;
  }
  // The ODB++ export gives the component layers names of its own.
  for (const LayerRecord& layer : design.layers)
    if (layer.type != kLayerComponentTop && layer.type != kLayerComponentBottom &&
        !check(Shown("the layer name", layer.name), layer.name, 0))
      return false;
  return true;
}

}  // namespace kelpie::host
