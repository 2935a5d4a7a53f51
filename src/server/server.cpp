#include "server/server.h"

#include <cstring>
#include <exception>

#include "idf/idf_job.h"
#include "model/design.h"
#include "odb/names.h"
#include "odb/odb_job.h"
#include "output/text.h"
#include "server/host_services.h"

namespace kelpie {

namespace {

// Texts from the host; a null pointer reads as an empty text.
std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Flags arrive as int and count by their low byte only.
bool Flag(int value) { return static_cast<unsigned char>(value) != 0; }

// No exception may reach the host: an operation that throws (in practice
// only an allocation failure) reports it and returns its refusal value.
template <typename Result, typename Body>
Result Guarded(const char* operation, Result refusal, Body&& body) {
  try {
    return body();
  } catch (...) {
    try {
      SendError(std::string("Unexpected error in ") + operation);
    } catch (...) {
    }
    return refusal;
  }
}

template <typename Body>
void GuardedVoid(const char* operation, Body&& body) {
  Guarded(operation, 0, [&] {
    body();
    return 0;
  });
}

// A write job works on the server whose slot the host called: for its
// duration that server is the one every writer reaches.
class CurrentServerScope {
 public:
  explicit CurrentServerScope(KELPIE* server) : saved_(currentServer) { currentServer = server; }
  ~CurrentServerScope() { currentServer = saved_; }
  CurrentServerScope(const CurrentServerScope&) = delete;
  CurrentServerScope& operator=(const CurrentServerScope&) = delete;

 private:
  KELPIE* saved_;
};

}  // namespace

KELPIE::KELPIE() { odbJobName_.reserve(256); }
KELPIE::~KELPIE() = default;

void KELPIE::RebuildStepNameIndex() {
  stepNames.clear();
  for (const Step& step : steps) stepNames.insert(step.name);
}

bool KELPIE::NoCurrentStep() {
  if (currentStep != nullptr) return false;
  try {
    SendError("No current step");
  } catch (...) {
    // Nothing of the host's sink may unwind back through the table.
  }
  return true;
}

void KELPIE::Reserved0() {}

void KELPIE::SetJobName(const char* name) {
  GuardedVoid("SetJobName", [&] {
    jobName = Text(name);
    SendInfoFormat("Job name: %s", jobName.c_str());
  });
}

void KELPIE::GetJobName(char* buffer) {
  if (buffer != nullptr) std::memcpy(buffer, jobName.c_str(), jobName.size() + 1);
}

void KELPIE::SetCustomerName(const char* name) {
  GuardedVoid("SetCustomerName", [&] {
    customerName = Text(name);
    SendInfoFormat("Customer name: %s", customerName.c_str());
  });
}

void KELPIE::SetComment(const char* text) {
  GuardedVoid("SetComment", [&] {
    comment = Text(text);
    SendInfoFormat("Comment: %s", comment.c_str());
  });
}

void KELPIE::SetBoardThickness(double inches) {
  GuardedVoid("SetBoardThickness", [&] {
    boardThickness = inches;
    SendInfoFormat("Board thickness: %s", NumberToText(inches).c_str());
  });
}

void KELPIE::Reserved6(int) {}
void KELPIE::Reserved7(int unused) { Reserved6(unused); }

Step* KELPIE::AddStep(const char* name, const double* xs, const double* ys, int count) {
  // Acts on the server created last, like ClearCurrentStep.
  KELPIE* server = currentServer != nullptr ? currentServer : this;
  return Guarded("AddStep", static_cast<Step*>(nullptr),
                 [&] { return server->AddStepHere(Text(name), xs, ys, count); });
}

Step* KELPIE::AddStepHere(const std::string& name, const double* xs, const double* ys,
                          int count) {
  Step* step = nullptr;
  if (stepNames.count(name) != 0) {
    SendError("Step " + name + " already defined.");
  } else {
    step = &steps.emplace_back();
    step->name = name;
    stepNames.insert(name);
    BuildClosedContour(step->profile, xs, ys, count);
  }
  currentStep = step;
  layerAutoRow = 0;
  return step;
}

void KELPIE::ClearCurrentStep() {
  KELPIE* server = currentServer != nullptr ? currentServer : this;
  server->currentStep = nullptr;
}

MatrixStep* KELPIE::AddMatrixStep(Step* step, double, double) {
  if (step == nullptr) return nullptr;
  return Guarded("AddMatrixStep", static_cast<MatrixStep*>(nullptr), [&] {
    MatrixStep& entry = matrixSteps.emplace_back();
    entry.column = static_cast<int>(matrixSteps.size());
    entry.name = step->name;
    entry.step = step;
    return &entry;
  });
}

Layer* KELPIE::AddLayer(const char* name, int row, int type, int polarity, int context) {
  return Guarded("AddLayer", static_cast<Layer*>(nullptr), [&]() -> Layer* {
    const std::string layerName = Text(name);
    SendInfo("Adding layer: " + layerName);
    if (row == 0) row = ++layerAutoRow;
    if (layers.HasLayer(layerName)) {
      SendError("Layer " + layerName + " already defined.");
      return nullptr;
    }
    return &layers.Append(layerName, row, type, polarity, context);
  });
}

Layer* KELPIE::AddDrillLayer(const char* name, int row, Layer* start, Layer* end) {
  // Through the table, so that a host-visible override of AddLayer applies.
  Layer* layer = AddLayer(name, row, kLayerDrill, kPolarityPositive, kContextBoard);
  if (layer != nullptr) {
    layer->drillStart = start;
    layer->drillEnd = end;
  }
  return layer;
}

PadShape* KELPIE::AddPadShape(const char* name, int kind, double width, double height, double,
                              double) {
  if (NoCurrentStep()) return nullptr;
  return Guarded("AddPadShape", static_cast<PadShape*>(nullptr), [&] {
    return kelpie::AddPadShape(*currentStep, Text(name), kind, width, height, false);
  });
}

PadShape* KELPIE::AddPolygonPadShape(const char* name, const double* xs, const double* ys,
                                     int count) {
  if (NoCurrentStep()) return nullptr;
  return Guarded("AddPolygonPadShape", static_cast<PadShape*>(nullptr), [&] {
    return kelpie::AddPolygonPadShape(*currentStep, Text(name), xs, ys, count);
  });
}

PadShape* KELPIE::AddRoundPadShape(const char* name, double diameter, int plated) {
  if (NoCurrentStep()) return nullptr;
  return Guarded("AddRoundPadShape", static_cast<PadShape*>(nullptr), [&] {
    return kelpie::AddRoundPadShape(*currentStep, Text(name), diameter, Flag(plated));
  });
}

PinType* KELPIE::AddPinType(const char* name) {
  if (NoCurrentStep()) return nullptr;
  return Guarded("AddPinType", static_cast<PinType*>(nullptr),
                 [&] { return kelpie::AddPinType(*currentStep, Text(name)); });
}

bool KELPIE::AddPinTypePad(PinType* pinType, PadShape* shape, Layer* layer) {
  if (NoCurrentStep()) return false;
  if (pinType == nullptr || shape == nullptr) return true;
  return Guarded("AddPinTypePad", false, [&] {
    kelpie::AddPinTypePad(*pinType, shape, layer);
    return true;
  });
}

bool KELPIE::AddPinTypePadAlias(PinType* pinType, PadShape* shape, Layer* layer) {
  return AddPinTypePad(pinType, shape, layer);
}

bool KELPIE::AddPinTypePadAt(PinType* pinType, PadShape* shape, double, double, Layer* layer) {
  return AddPinTypePad(pinType, shape, layer);
}

PackageType* KELPIE::AddPackageType(const char* name, double xMin, double xMax, double yMin,
                                    double yMax) {
  if (NoCurrentStep()) return nullptr;
  return Guarded("AddPackageType", static_cast<PackageType*>(nullptr), [&] {
    return kelpie::AddPackageType(*currentStep, Text(name), xMin, xMax, yMin, yMax);
  });
}

bool KELPIE::SetPackageOutline(PackageType* package, const double* xs, const double* ys, int count,
                               double height) {
  if (NoCurrentStep()) return false;
  if (package == nullptr) return true;
  return Guarded("SetPackageOutline", false, [&] {
    kelpie::SetPackageOutline(*package, xs, ys, count, height);
    return true;
  });
}

bool KELPIE::AddPackagePin(PackageType* package, PinType* pinType, const char* name, double x,
                           double y, double angle, int number) {
  if (NoCurrentStep()) return false;
  if (package == nullptr || pinType == nullptr) return true;
  return Guarded("AddPackagePin", false, [&] {
    kelpie::AddPackagePin(*package, pinType, Text(name), x, y, angle, number);
    return true;
  });
}

Net* KELPIE::AddNet(const char* name) {
  if (NoCurrentStep()) return nullptr;
  return Guarded("AddNet", static_cast<Net*>(nullptr),
                 [&] { return kelpie::AddNet(*currentStep, Text(name)); });
}

Component* KELPIE::AddComponent(Layer* layer, PackageType* package, const char* reference,
                                const char* partName, double x, double y, double rotation,
                                int mirrorMode) {
  if (NoCurrentStep()) return nullptr;
  if (layer == nullptr || package == nullptr) return nullptr;
  return Guarded("AddComponent", static_cast<Component*>(nullptr), [&] {
    return kelpie::AddComponent(*currentStep, *layer, *package, Text(reference), Text(partName), x,
                                y, rotation, mirrorMode);
  });
}

Pin* KELPIE::AddComponentPin(Component* component, PinType* pinType, double x, double y,
                             double angle, int value, int kind, Net* net) {
  if (NoCurrentStep()) return nullptr;
  if (component == nullptr) return nullptr;
  return Guarded("AddComponentPin", static_cast<Pin*>(nullptr), [&] {
    return kelpie::AddComponentPin(*currentStep, *component, pinType, x, y, angle, value, kind,
                                   net);
  });
}

Pin* KELPIE::AddPin(PinType* pinType, double x, double y, double angle, int value, int kind,
                    Net* net) {
  if (NoCurrentStep()) return nullptr;
  return Guarded("AddPin", static_cast<Pin*>(nullptr), [&] {
    return kelpie::AddPin(*currentStep, pinType, x, y, angle, value, kind, net);
  });
}

LineFeature* KELPIE::AddLine(Layer* layer, double xs, double ys, double xe, double ye,
                             double width, Net* net) {
  if (layer == nullptr) return nullptr;
  return Guarded("AddLine", static_cast<LineFeature*>(nullptr),
                 [&] { return AddLineFeature(*layer, xs, ys, xe, ye, width, net, true); });
}

ArcFeature* KELPIE::AddArc(Layer* layer, double xs, double ys, double xe, double ye, double xc,
                           double yc, int clockwise, double width, Net* net) {
  if (layer == nullptr) return nullptr;
  return Guarded("AddArc", static_cast<ArcFeature*>(nullptr), [&] {
    return AddArcFeature(*layer, xs, ys, xe, ye, xc, yc, Flag(clockwise), width, net);
  });
}

bool KELPIE::AddPlainLine(Layer* layer, double xs, double ys, double xe, double ye, double width) {
  if (layer == nullptr) return false;
  return Guarded("AddPlainLine", false, [&] {
    AddLineFeature(*layer, xs, ys, xe, ye, width, nullptr, true);
    return true;
  });
}

bool KELPIE::AddCircle(Layer* layer, double cx, double cy, double r, double width, int) {
  if (layer == nullptr) return false;
  return Guarded("AddCircle", false, [&] {
    AddCircleFeature(*layer, cx, cy, r, width);
    return true;
  });
}

bool KELPIE::AddContour(Layer* layer, const double* xs, const double* ys, int count, double width,
                        int filled) {
  if (layer == nullptr) return false;
  return Guarded("AddContour", false, [&] {
    AddContourFeature(*layer, xs, ys, count, width, Flag(filled), nullptr);
    return true;
  });
}

Surface* KELPIE::AddSurface(Layer* layer, Net* net) {
  if (layer == nullptr) return nullptr;
  return Guarded("AddSurface", static_cast<Surface*>(nullptr),
                 [&] { return AddSurfaceFeature(*layer, net); });
}

bool KELPIE::AddSurfaceContour(Surface* surface, const double* xs, const double* ys, int count,
                               int filled) {
  if (surface == nullptr) return false;
  return Guarded("AddSurfaceContour", false, [&] {
    AddContourFeature(*surface->layer, xs, ys, count, 0, Flag(filled), surface);
    return true;
  });
}

bool KELPIE::AddPinPad(Layer* layer, PadShape* shape, Pin* pin) {
  if (layer == nullptr || shape == nullptr || pin == nullptr) return false;
  return Guarded("AddPinPad", false, [&] {
    AddPadFeature(*layer, shape, pin->x, pin->y, pin);
    return true;
  });
}

bool KELPIE::AddPad(Layer* layer, PadShape* shape, double x, double y) {
  if (layer == nullptr || shape == nullptr) return false;
  return Guarded("AddPad", false, [&] {
    AddPadFeature(*layer, shape, x, y, nullptr);
    return true;
  });
}

bool KELPIE::AddShapeLine(Layer* layer, PadShape* shape, double xs, double ys, double xe,
                          double ye) {
  if (layer == nullptr || shape == nullptr) return false;
  return Guarded("AddShapeLine", false, [&] {
    AddLineFeature(*layer, xs, ys, xe, ye, shape->width, nullptr, true);
    return true;
  });
}

bool KELPIE::WriteODB(FileStore* store) {
  CurrentServerScope scope(this);
  // The job catches its own exceptions; this guard only keeps a failure in
  // its final message from reaching the host.
  return Guarded("WriteODB", false, [&] { return !::kelpie::WriteODB(store); });
}

bool KELPIE::WriteIDF(FileStore* store) {
  CurrentServerScope scope(this);
  return Guarded("WriteIDF", false, [&] { return !::kelpie::WriteIDF(store); });
}

const char* KELPIE::GetOdbJobName() {
  try {
    // Copy into the existing buffer: a move assignment would adopt the
    // temporary's storage and hand out a new address on every call.
    const std::string legal = LegalOdbName(jobName);
    odbJobName_.assign(legal);
  } catch (...) {
    odbJobName_.clear();
  }
  return odbJobName_.c_str();
}

}  // namespace kelpie
