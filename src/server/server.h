// KELPIE: the export server behind the IKELPIE table. It holds the job
// properties and owns the whole design database.
#ifndef KELPIE_SERVER_SERVER_H
#define KELPIE_SERVER_SERVER_H

#include <deque>
#include <string>
#include <unordered_set>

#include "kelpie/kelpie.h"
#include "model/layer_stack.h"
#include "model/records.h"

namespace kelpie {

class KELPIE final : public IKELPIE {
 public:
  KELPIE();
  ~KELPIE();
  KELPIE(const KELPIE&) = delete;
  KELPIE& operator=(const KELPIE&) = delete;

  void Reserved0() override;
  void SetJobName(const char* name) override;
  void GetJobName(char* buffer) override;
  void SetCustomerName(const char* name) override;
  void SetComment(const char* text) override;
  void SetBoardThickness(double inches) override;
  void Reserved6(int unused) override;
  void Reserved7(int unused) override;
  Step* AddStep(const char* name, const double* xs, const double* ys, int count) override;
  void ClearCurrentStep() override;
  MatrixStep* AddMatrixStep(Step* step, double unused1, double unused2) override;
  Layer* AddLayer(const char* name, int row, int type, int polarity, int context) override;
  Layer* AddDrillLayer(const char* name, int row, Layer* start, Layer* end) override;
  PadShape* AddPadShape(const char* name, int kind, double width, double height, double unused1,
                        double unused2) override;
  PadShape* AddPolygonPadShape(const char* name, const double* xs, const double* ys,
                               int count) override;
  PadShape* AddRoundPadShape(const char* name, double diameter, int plated) override;
  PinType* AddPinType(const char* name) override;
  bool AddPinTypePad(PinType* pinType, PadShape* shape, Layer* layer) override;
  bool AddPinTypePadAlias(PinType* pinType, PadShape* shape, Layer* layer) override;
  bool AddPinTypePadAt(PinType* pinType, PadShape* shape, double unused1, double unused2,
                       Layer* layer) override;
  PackageType* AddPackageType(const char* name, double xMin, double xMax, double yMin,
                              double yMax) override;
  bool SetPackageOutline(PackageType* package, const double* xs, const double* ys, int count,
                         double height) override;
  bool AddPackagePin(PackageType* package, PinType* pinType, const char* name, double x, double y,
                     double angle, int number) override;
  Net* AddNet(const char* name) override;
  Component* AddComponent(Layer* layer, PackageType* package, const char* reference,
                          const char* partName, double x, double y, double rotation,
                          int mirrorMode) override;
  Pin* AddComponentPin(Component* component, PinType* pinType, double x, double y, double angle,
                       int value, int kind, Net* net) override;
  Pin* AddPin(PinType* pinType, double x, double y, double angle, int value, int kind,
              Net* net) override;
  LineFeature* AddLine(Layer* layer, double xs, double ys, double xe, double ye, double width,
                       Net* net) override;
  ArcFeature* AddArc(Layer* layer, double xs, double ys, double xe, double ye, double xc,
                     double yc, int clockwise, double width, Net* net) override;
  bool AddPlainLine(Layer* layer, double xs, double ys, double xe, double ye,
                    double width) override;
  bool AddCircle(Layer* layer, double cx, double cy, double r, double width, int unused) override;
  bool AddContour(Layer* layer, const double* xs, const double* ys, int count, double width,
                  int filled) override;
  Surface* AddSurface(Layer* layer, Net* net) override;
  bool AddSurfaceContour(Surface* surface, const double* xs, const double* ys, int count,
                         int filled) override;
  bool AddPinPad(Layer* layer, PadShape* shape, Pin* pin) override;
  bool AddPad(Layer* layer, PadShape* shape, double x, double y) override;
  bool AddShapeLine(Layer* layer, PadShape* shape, double xs, double ys, double xe,
                    double ye) override;
  bool WriteODB(FileStore* store) override;
  bool WriteIDF(FileStore* store) override;
  const char* GetOdbJobName() override;

  // Job properties.
  std::string jobName;
  std::string customerName;
  std::string comment;
  double boardThickness = 0;
  // Output switches, set by each write job before its first file.
  bool useCrLf = false;
  bool writeHeaderLine = false;
  // The design.
  std::deque<Step> steps;
  std::deque<MatrixStep> matrixSteps;
  LayerStack layers;
  Step* currentStep = nullptr;
  int layerAutoRow = 0;

  // Index of the step names beside `steps`; rebuilt after the export jobs
  // rename the steps.
  std::unordered_set<std::string> stepNames;
  void RebuildStepNameIndex();

 private:
  // The work of slots 8 and 9, which act on the server created last.
  Step* AddStepHere(const std::string& name, const double* xs, const double* ys, int count);
  // "No current step" when there is none; true = refused.
  bool NoCurrentStep();

  std::string odbJobName_;  // the buffer that GetOdbJobName hands out
};

}  // namespace kelpie

#endif
