// KELPIE: the export server behind the IKELPIE table. It owns one design and
// adapts the interface to it: texts and flags as the host passes them become
// strings, bools and named values, step-scoped operations act on the current
// step, and no exception reaches the host.
#ifndef KELPIE_SERVER_SERVER_H
#define KELPIE_SERVER_SERVER_H

#include <string>

#include "base/messages.h"
#include "kelpie/kelpie.h"
#include "model/design.h"

namespace kelpie {

class KELPIE;

// The process-wide references of the interface. The sink is set by every
// createkelpieserver (before its version check) and serves every server; the
// newest server is set by each successful createkelpieserver, and slots 8
// and 9 act on it; the file store is the one the last write job was given,
// kept as the interface describes, though nothing reads it after its job.
extern MessageSink* messageSink;
extern KELPIE* currentServer;
extern FileStore* keptFileStore;

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
  ArcFeature* AddArc(Layer* layer, double xs, double ys, double xe, double ye, double xc, double yc,
                     int clockwise, double width, Net* net) override;
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

  Design design;
  Step* currentStep = nullptr;  // what step-scoped operations act on
  int layerAutoRow = 0;         // the last row given to a layer added with row 0

 private:
  // The body of a slot, with every exception reported as "Unexpected error
  // in " + operation and turned into the slot's refusal (null, false).
  template <typename Body>
  auto Guarded(const char* operation, Body&& body) -> decltype(body());
  // The same for a step-scoped slot: without a current step the body is not
  // run and "No current step" is reported.
  template <typename Body>
  auto InCurrentStep(const char* operation, Body&& body) -> decltype(body(*currentStep));
  // A write job, its unexpected failure and its "Write job '...' failed".
  using Job = bool (*)(Design&, FileStore*, const Messages&);
  [[nodiscard]] bool RunWriteJob(const char* operation, Job job, FileStore* store);
  // Sends the error made of `parts`, swallowing whatever the host's sink (or
  // building the text) throws.
  template <typename... Parts>
  void ReportQuietly(const Parts&... parts) const noexcept;

  Messages messages_{messageSink};
  std::string odbJobName_;  // the buffer that GetOdbJobName hands out
};

}  // namespace kelpie

#endif
