// Operations that fill the design database. They validate only what the
// interface promises to refuse (duplicate names, components off component
// layers) and otherwise store what the host passes.
#ifndef KELPIE_MODEL_DESIGN_H
#define KELPIE_MODEL_DESIGN_H

#include <string>

#include "model/records.h"

namespace kelpie {

// ---- Library records of a step ----
PadShape* AddPadShape(Step& step, const std::string& name, int kind, double width, double height,
                      bool plated);
PadShape* AddRoundPadShape(Step& step, const std::string& name, double diameter, bool plated);
PadShape* AddPolygonPadShape(Step& step, const std::string& name, const double* xs,
                             const double* ys, int count);
// Null (and an error) when the step already has a pin type of this name.
PinType* AddPinType(Step& step, const std::string& name);
void AddPinTypePad(PinType& pinType, PadShape* shape, Layer* layer);
// Null (and an error) when the step already has a package type of this name.
PackageType* AddPackageType(Step& step, const std::string& name, double xMin, double xMax,
                            double yMin, double yMax);
void SetPackageOutline(PackageType& package, const double* xs, const double* ys, int count,
                       double height);
void AddPackagePin(PackageType& package, PinType* pinType, const std::string& name, double x,
                   double y, double angle, int number);
// Rebuilds the package type name index after the export jobs rename them.
void RebuildPackageTypeIndex(Step& step);

// ---- Instances of a step ----
Net* AddNet(Step& step, const std::string& name);
// Null (and an error) off a component layer or for a used reference.
Component* AddComponent(Step& step, Layer& layer, PackageType& package,
                        const std::string& reference, const std::string& partName, double x,
                        double y, double rotation, int mirrorMode);
Pin* AddPin(Step& step, PinType* pinType, double x, double y, double angle, int value, int kind,
            Net* net);
Pin* AddComponentPin(Step& step, Component& component, PinType* pinType, double x, double y,
                     double angle, int value, int kind, Net* net);

// ---- Layer features ----
LineFeature* AddLineFeature(Layer& layer, double xs, double ys, double xe, double ye, double width,
                            Net* net, bool positive);
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
