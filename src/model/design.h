// One job's design: its properties, steps, matrix steps and layers, and the
// operations that fill it. They refuse only what the interface promises to
// refuse (duplicate names, components off component layers), each with its
// message, and otherwise store what they are given.
#ifndef KELPIE_MODEL_DESIGN_H
#define KELPIE_MODEL_DESIGN_H

#include <string>
#include <unordered_set>

#include "base/messages.h"
#include "model/layer_stack.h"
#include "model/record_list.h"
#include "model/records.h"

namespace kelpie {

struct Design {
  // Job properties.
  std::string jobName;
  std::string customerName;
  std::string comment;
  double boardThickness = 0;  // inches

  RecordList<Step> steps;
  RecordList<MatrixStep> matrixSteps;
  LayerStack layers;
  std::unordered_set<std::string> stepNames;  // index of the steps' names

  // Null (and an error) when a step of this name exists.
  Step* AddStep(const std::string& name, const double* xs, const double* ys, int count,
                const Messages& messages);
  MatrixStep& AddMatrixStep(Step& step);
  // Null (and an error) when a layer of this name exists.
  Layer* AddLayer(const std::string& name, int row, LayerKind kind, Polarity polarity,
                  MatrixContext context, const Messages& messages);
  // The duplicate checks look names up in indexes; the exports call this
  // after they rename layers, steps and package types.
  void RebuildNameIndexes();
};

// ---- Library records of a step ----
PadShape* AddPadShape(Step& step, const std::string& name, PadKind kind, double width,
                      double height, bool plated);
PadShape* AddPolygonPadShape(Step& step, const std::string& name, const double* xs,
                             const double* ys, int count);
// Null (and an error) when the step already has a pin type of this name.
PinType* AddPinType(Step& step, const std::string& name, const Messages& messages);
void AddPinTypePad(PinType& pinType, PadShape* shape, Layer* layer);
// Null (and an error) when the step already has a package type of this name.
PackageType* AddPackageType(Step& step, const std::string& name, double xMin, double xMax,
                            double yMin, double yMax, const Messages& messages);
void SetPackageOutline(PackageType& package, const double* xs, const double* ys, int count,
                       double height);
void AddPackagePin(PackageType& package, PinType* pinType, const std::string& name, double x,
                   double y, double angle, int number);

// ---- Instances of a step ----
Net* AddNet(Step& step, const std::string& name);
// Null (and an error) off a component layer or for a used reference.
Component* AddComponent(Step& step, Layer& layer, PackageType& package,
                        const std::string& reference, const std::string& partName, double x,
                        double y, double rotation, MirrorMode mirrorMode, const Messages& messages);
Pin* AddPin(Step& step, PinType* pinType, double x, double y, double angle, int value, PinKind kind,
            Net* net);
Pin* AddComponentPin(Step& step, Component& component, PinType* pinType, double x, double y,
                     double angle, int value, PinKind kind, Net* net);

// ---- Layer features ----
LineFeature* AddLineFeature(Layer& layer, double xs, double ys, double xe, double ye, double width,
                            Net* net);
ArcFeature* AddArcFeature(Layer& layer, double xs, double ys, double xe, double ye, double xc,
                          double yc, bool clockwise, double width, Net* net);
// A full circle: one clockwise arc starting and ending at its leftmost point.
ArcFeature* AddCircleFeature(Layer& layer, double cx, double cy, double r, double width);
Contour* AddContourFeature(Layer& layer, const double* xs, const double* ys, int count,
                           double width, bool filled, Surface* surface);
Surface* AddSurfaceFeature(Layer& layer, Net* net);
PadFeature* AddPadFeature(Layer& layer, PadShape* shape, double x, double y, Pin* pin);

}  // namespace kelpie

#endif
