// What the files of one ODB++ export need besides the design. The export
// first leaves in the design what stays there (legal names, the "$NONE$"
// nets, the pin types' layer kinds), then works out the plan below; the
// writers read both and change neither.
//
// Feature numbers: every record of a layer's features file takes the next
// number, in the file's order: the filled contours that belong to no surface,
// the surfaces, the pads, the lines, the arcs. The EDA data quotes them.
// Subnet numbers: within each net, its traces, then its pins, then its
// planes; the components files quote those of component pins.
#ifndef KELPIE_ODB_ODB_PLAN_H
#define KELPIE_ODB_ODB_PLAN_H

#include <cstdint>
#include <vector>

#include "model/design.h"
#include "odb/net_groups.h"

namespace kelpie {

// Makes the names of the job, layers, steps, nets, pad shapes and package
// types legal (the component layers become "comp_+_top" and "comp_+_bot"),
// appends a "$NONE$" net to every step and gives it to every pin without a
// net, and classifies the pin types of package pins (through or surface).
void PrepareDesignForOdb(Design& design);

// The features file of one layer.
struct LayerPlan {
  std::vector<const Contour*> loneContours;  // contours of no surface, in order
  Groups<const Contour*> surfaceContours;    // by the position of their surface
  // The lines that draw the outlines of its contours with a width, in the
  // order the contours are written. Every step's features file of the layer
  // draws them once more: the file of the n-th step lists them n times.
  std::vector<LineFeature> outlineLines;
  int firstSurface = 0;  // feature numbers of the first surface, pad and line
  int firstPad = 0;
  int firstLine = 0;
};

// A feature as the EDA data quotes it: layer number and feature number.
struct FeatureRef {
  int layerNumber;
  int featureNumber;
};

// What belongs to each net of one step, gathered from every layer (in layer
// order, each layer's features in list order), and the subnet numbers.
//
// The lists hold a feature as one number, half the size of a FeatureRef: its
// feature number plus the count of the features the EDA data can quote on
// all layers before its own. Feature(number) gives the reference back. The
// count fits 32 bits: 2^32 features would take well over 100 GB of design.
struct StepPlan {
  StepPlan(const Step& step, const RecordList<Layer>& layers,
           const std::vector<LayerPlan>& layerPlans);

  FeatureRef Feature(std::uint32_t number) const;

  const Step& step;
  std::vector<std::uint32_t> layerStarts;  // the first number of each layer
  Groups<std::uint32_t> traces;            // lines, by net number
  Groups<int> pins;                        // positions in step.pins, by net number
  Groups<std::uint32_t> pads;              // pads, by the position of their pin in step.pins
  Groups<std::uint32_t> planes;            // surfaces, by net number
  std::vector<int> subnets;                // of every pin, by position
};

struct OdbPlan {
  std::vector<LayerPlan> layers;  // by layer number
  std::vector<StepPlan> steps;    // in the design's order
};

OdbPlan PlanOdbExport(const Design& design);

// The subnet number of a component pin as the EDA data of its own step
// numbered it, when that step comes no later than step `stepNumber`; -1
// otherwise.
int SubnetOf(const OdbPlan& plan, size_t stepNumber, const Pin& pin);

}  // namespace kelpie

#endif
