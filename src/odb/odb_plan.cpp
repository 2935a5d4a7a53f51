#include "odb/odb_plan.h"

#include <algorithm>

#include "odb/contour_records.h"
#include "odb/names.h"

namespace kelpie {

namespace {

LayerPlan PlanLayer(const Layer& layer) {
  LayerPlan plan;
  int filledLoneContours = 0;
  for (const Contour& contour : layer.contours) {
    if (contour.surface != nullptr) continue;
    plan.loneContours.push_back(&contour);
    filledLoneContours += contour.filled ? 1 : 0;
  }
  // A contour whose surface lies on another layer is written nowhere.
  plan.surfaceContours.Build(static_cast<int>(layer.surfaces.size()), [&](const auto& visit) {
    RecordList<Surface>::PositionFinder surfacePositions(layer.surfaces);
    for (const Contour& contour : layer.contours) {
      if (contour.surface == nullptr) continue;
      visit(PositionOrNone(surfacePositions.Of(contour.surface)), &contour);
    }
  });

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

namespace {

// Calls visit(number, record) for every record of one list of every layer,
// with the feature's number as the step plan keeps it: the layer's start
// plus its feature number.
template <typename Record, typename Visit>
void ForEachFeature(const RecordList<Layer>& layers, const std::vector<LayerPlan>& layerPlans,
                    const std::vector<std::uint32_t>& layerStarts, RecordList<Record> Layer::*list,
                    int LayerPlan::*firstNumber, const Visit& visit) {
  size_t layerNumber = 0;
  for (const Layer& layer : layers) {
    std::uint32_t number =
        layerStarts[layerNumber] + static_cast<std::uint32_t>(layerPlans[layerNumber].*firstNumber);
    for (const Record& record : layer.*list) visit(number++, record);
    ++layerNumber;
  }
}

// The step's net number of each net met in turn, found from the net's
// address without reading the net; runs of records on one net (the segments
// of a track) look it up once.
class NetNumbers {
 public:
  explicit NetNumbers(const Step& step) : positions_(step.nets) {}
  int Of(const Net* net) {
    if (net != last_) {
      last_ = net;
      lastNumber_ = PositionOrNone(positions_.Of(net));
    }
    return lastNumber_;
  }

 private:
  RecordList<Net>::PositionFinder positions_;
  const Net* last_ = nullptr;
  int lastNumber_ = -1;
};

}  // namespace

StepPlan::StepPlan(const Step& step, const RecordList<Layer>& layers,
                   const std::vector<LayerPlan>& layerPlans)
    : step(step) {
  // Every feature the EDA data quotes comes before the layer's outline lines
  // and arcs: surfaces, pads, then the layer's own lines.
  std::uint32_t start = 0;
  size_t layerNumber = 0;
  for (const Layer& layer : layers) {
    layerStarts.push_back(start);
    start += static_cast<std::uint32_t>(layerPlans[layerNumber].firstLine) +
             static_cast<std::uint32_t>(layer.lines.size());
    ++layerNumber;
  }
  const int netCount = static_cast<int>(step.nets.size());
  traces.Build(netCount, [&](const auto& visit) {
    NetNumbers nets(step);
    ForEachFeature(
        layers, layerPlans, layerStarts, &Layer::lines, &LayerPlan::firstLine,
        [&](std::uint32_t number, const LineFeature& line) { visit(nets.Of(line.net), number); });
  });
  pins.Build(netCount, [&](const auto& visit) {
    NetNumbers nets(step);
    for (const Pin& pin : step.pins) visit(nets.Of(pin.net), pin.indexInStep);
  });
  // Each layer's pads point at the pins in much the order the pins were
  // made: their positions come from the addresses, and no pin is read.
  pads.Build(static_cast<int>(step.pins.size()), [&](const auto& visit) {
    RecordList<Pin>::PositionFinder pinPositions(step.pins);
    ForEachFeature(layers, layerPlans, layerStarts, &Layer::pads, &LayerPlan::firstPad,
                   [&](std::uint32_t number, const PadFeature& pad) {
                     visit(PositionOrNone(pinPositions.Of(pad.pin)), number);
                   });
  });
  planes.Build(netCount, [&](const auto& visit) {
    NetNumbers nets(step);
    ForEachFeature(
        layers, layerPlans, layerStarts, &Layer::surfaces, &LayerPlan::firstSurface,
        [&](std::uint32_t number, const Surface& surface) { visit(nets.Of(surface.net), number); });
  });

  subnets.assign(step.pins.size(), -1);
  for (int net = 0; net < netCount; ++net) {
    int subnet = static_cast<int>(traces.Of(net).size());
    for (const int position : pins.Of(net)) subnets[static_cast<size_t>(position)] = subnet++;
  }
}

FeatureRef StepPlan::Feature(std::uint32_t number) const {
  // The last layer that starts at or before the number: layers without
  // features start where the next one does, and hold no number.
  const auto after = std::upper_bound(layerStarts.begin(), layerStarts.end(), number);
  const size_t layerNumber = static_cast<size_t>(after - layerStarts.begin()) - 1;
  return {static_cast<int>(layerNumber), static_cast<int>(number - layerStarts[layerNumber])};
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
