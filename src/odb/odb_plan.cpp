#include "odb/odb_plan.h"

#include <unordered_map>

#include "odb/contour_records.h"
#include "odb/names.h"

namespace kelpie {

namespace {

LayerPlan PlanLayer(const Layer& layer) {
  LayerPlan plan;
  std::unordered_map<const Surface*, int> surfaceNumbers;
  surfaceNumbers.reserve(layer.surfaces.size());
  for (const Surface& surface : layer.surfaces) {
    surfaceNumbers.emplace(&surface, static_cast<int>(surfaceNumbers.size()));
  }
  int filledLoneContours = 0;
  for (const Contour& contour : layer.contours) {
    if (contour.surface == nullptr) {
      plan.loneContours.push_back(&contour);
      filledLoneContours += contour.filled ? 1 : 0;
      continue;
    }
    // A contour whose surface lies on another layer is written nowhere.
    const auto found = surfaceNumbers.find(contour.surface);
    if (found != surfaceNumbers.end()) plan.surfaceContours.Add(found->second, &contour);
  }
  plan.surfaceContours.Build(static_cast<int>(layer.surfaces.size()));

  std::vector<const Contour*> written = plan.loneContours;
  for (int s = 0; s < static_cast<int>(layer.surfaces.size()); ++s) {
    for (const Contour* contour : plan.surfaceContours.Of(s)) written.push_back(contour);
  }
  for (const Contour* contour : written) {
    if (!(contour->width > 0)) continue;  // NaN widths draw no outline either
    const std::vector<LineFeature> lines = OutlineLines(*contour);
    plan.outlineLines.insert(plan.outlineLines.end(), lines.begin(), lines.end());
  }

  plan.firstSurface = filledLoneContours;
  plan.firstPad = plan.firstSurface + static_cast<int>(layer.surfaces.size());
  plan.firstLine = plan.firstPad + static_cast<int>(layer.pads.size());
  return plan;
}

}  // namespace

void PrepareDesignForOdb(Design& design) {
  design.jobName = LegalOdbName(design.jobName);
  for (Layer& layer : design.layers.layers) {
    if (layer.kind == LayerKind::kComponentTop) {
      layer.name = "comp_+_top";
    } else if (layer.kind == LayerKind::kComponentBottom) {
      layer.name = "comp_+_bot";
    } else {
      layer.name = LegalOdbName(layer.name);
    }
  }
  for (Step& step : design.steps) {
    step.name = LegalOdbName(step.name);
    Net* noneNet = AddNet(step, "$NONE$");
    for (Net& net : step.nets) net.name = LegalOdbName(net.name);
    for (PadShape& shape : step.padShapes) shape.name = LegalOdbName(shape.name);
    for (PackageType& package : step.packageTypes) package.name = LegalOdbName(package.name);
    // Component pins are pins of the step too, unless a component of another
    // step was given them.
    for (Pin& pin : step.pins) {
      if (pin.net == nullptr) pin.net = noneNet;
    }
    for (Component& component : step.components) {
      for (Pin* pin : component.pins) {
        if (pin->net == nullptr) pin->net = noneNet;
      }
    }
    // A pin type keeps the kind it is first given.
    for (PackageType& package : step.packageTypes) {
      for (PackagePin& pin : package.pins) {
        PinType& pinType = *pin.pinType;
        if (pinType.layerKind != PinLayerKind::kUnknown) continue;
        pinType.layerKind =
            pinType.drillSize == 0.0 ? PinLayerKind::kSurface : PinLayerKind::kThrough;
      }
    }
  }
  design.RebuildNameIndexes();
}

StepPlan::StepPlan(const Step& step, const RecordList<Layer>& layers,
                   const std::vector<LayerPlan>& layerPlans)
    : step(step) {
  const int netCount = static_cast<int>(step.nets.size());
  const int pinCount = static_cast<int>(step.pins.size());
  // Room for every item at once: the lists hold millions of items on a big
  // board, and growing them step by step would copy them several times.
  size_t lineCount = 0;
  size_t padCount = 0;
  size_t surfaceCount = 0;
  for (const Layer& layer : layers) {
    lineCount += layer.lines.size();
    padCount += layer.pads.size();
    surfaceCount += layer.surfaces.size();
  }
  traces.Reserve(lineCount);
  pins.Reserve(step.pins.size());
  pads.Reserve(padCount);
  planes.Reserve(surfaceCount);
  for (const Pin& pin : step.pins) {
    const int net = StepNetNumber(step, pin.net);
    if (net >= 0) pins.Add(net, pin.indexInStep);
  }
  int layerNumber = 0;
  for (const Layer& layer : layers) {
    const LayerPlan& layerPlan = layerPlans[static_cast<size_t>(layerNumber)];
    int feature = layerPlan.firstLine;
    for (const LineFeature& line : layer.lines) {
      const int net = StepNetNumber(step, line.net);
      if (net >= 0) traces.Add(net, {layerNumber, feature});
      ++feature;
    }
    feature = layerPlan.firstPad;
    for (const PadFeature& pad : layer.pads) {
      if (IsPinOf(step, pad.pin)) pads.Add(pad.pin->indexInStep, {layerNumber, feature});
      ++feature;
    }
    feature = layerPlan.firstSurface;
    for (const Surface& surface : layer.surfaces) {
      const int net = StepNetNumber(step, surface.net);
      if (net >= 0) planes.Add(net, {layerNumber, feature});
      ++feature;
    }
    ++layerNumber;
  }
  traces.Build(netCount);
  pins.Build(netCount);
  pads.Build(pinCount);
  planes.Build(netCount);

  subnets.assign(step.pins.size(), -1);
  for (int net = 0; net < netCount; ++net) {
    int subnet = static_cast<int>(traces.Of(net).size());
    for (const int position : pins.Of(net)) {
      if (step.pins[static_cast<size_t>(position)].component != nullptr)
        subnets[static_cast<size_t>(position)] = subnet;
      ++subnet;
    }
  }
}

OdbPlan PlanOdbExport(const Design& design) {
  OdbPlan plan;
  plan.layers.reserve(design.layers.layers.size());
  for (const Layer& layer : design.layers.layers) plan.layers.push_back(PlanLayer(layer));
  plan.steps.reserve(design.steps.size());
  for (const Step& step : design.steps) {
    plan.steps.emplace_back(step, design.layers.layers, plan.layers);
  }
  return plan;
}

int SubnetOf(const OdbPlan& plan, size_t stepNumber, const Pin& pin) {
  for (size_t s = 0; s <= stepNumber && s < plan.steps.size(); ++s) {
    const StepPlan& stepPlan = plan.steps[s];
    if (IsPinOf(stepPlan.step, &pin)) return stepPlan.subnets[static_cast<size_t>(pin.indexInStep)];
  }
  return -1;
}

}  // namespace kelpie
