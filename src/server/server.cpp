#include "server/server.h"

#include <cstring>
#include <type_traits>

#include "idf/idf_job.h"
#include "odb/odb_job.h"
#include "output/text.h"

namespace kelpie {

MessageSink* messageSink = nullptr;
KELPIE* currentServer = nullptr;
FileStore* keptFileStore = nullptr;

namespace {

// Texts from the host; a null pointer reads as an empty text.
std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// Flags arrive as int and count by their low byte only.
bool Flag(int value) { return static_cast<unsigned char>(value) != 0; }

}  // namespace

template <typename... Parts>
void KELPIE::ReportQuietly(const Parts&... parts) const noexcept {
  try {
    std::string text;
    ((text += parts), ...);
    messages_.Error(text);
  } catch (...) {
    // Nothing of the host's sink may unwind back through the table.
  }
}

template <typename Body>
auto KELPIE::Guarded(const char* operation, Body&& body) -> decltype(body()) {
  using Result = decltype(body());
  try {
    return body();
  } catch (...) {
    // In practice only an allocation failure, or whatever the host's sink
    // threw.
    ReportQuietly("Unexpected error in ", operation);
    if constexpr (!std::is_void_v<Result>) return Result{};
  }
}

template <typename Body>
auto KELPIE::InCurrentStep(const char* operation, Body&& body) -> decltype(body(*currentStep)) {
  using Result = decltype(body(*currentStep));
  return Guarded(operation, [&]() -> Result {
    if (currentStep == nullptr) {
      messages_.Error("No current step");
      return Result{};
    }
    return body(*currentStep);
  });
}

bool KELPIE::RunWriteJob(const char* operation, Job job, FileStore* store) {
  keptFileStore = store;
  bool written = false;
  try {
    written = job(design, store, messages_);
  } catch (...) {
    // Whatever the host's store or an allocation threw ends the job here.
    ReportQuietly("Unexpected error in ", operation);
    // Renaming may have stopped half way; the indexes follow the names.
    try {
      design.RebuildNameIndexes();
    } catch (...) {
    }
  }
  if (!written) ReportQuietly("Write job '", design.jobName, "' failed");
  return written;
}

KELPIE::KELPIE() { odbJobName_.reserve(256); }
KELPIE::~KELPIE() = default;

void KELPIE::Reserved0() {}

void KELPIE::SetJobName(const char* name) {
  Guarded("SetJobName", [&] {
    design.jobName = Text(name);
    messages_.InfoFormat("Job name: %s", design.jobName.c_str());
  });
}

void KELPIE::GetJobName(char* buffer) {
  if (buffer != nullptr) std::memcpy(buffer, design.jobName.c_str(), design.jobName.size() + 1);
}

void KELPIE::SetCustomerName(const char* name) {
  Guarded("SetCustomerName", [&] {
    design.customerName = Text(name);
    messages_.InfoFormat("Customer name: %s", design.customerName.c_str());
  });
}

void KELPIE::SetComment(const char* text) {
  Guarded("SetComment", [&] {
    design.comment = Text(text);
    messages_.InfoFormat("Comment: %s", design.comment.c_str());
  });
}

void KELPIE::SetBoardThickness(double inches) {
  Guarded("SetBoardThickness", [&] {
    design.boardThickness = inches;
    messages_.InfoFormat("Board thickness: %s", NumberToText(inches).c_str());
  });
}

void KELPIE::Reserved6(int) {}
void KELPIE::Reserved7(int unused) { Reserved6(unused); }

Step* KELPIE::AddStep(const char* name, const double* xs, const double* ys, int count) {
  // Acts on the server created last, like ClearCurrentStep.
  KELPIE& server = currentServer != nullptr ? *currentServer : *this;
  return Guarded("AddStep", [&] {
    // A refused step leaves no current step; either way the automatic layer
    // rows start again.
    server.currentStep = server.design.AddStep(Text(name), xs, ys, count, messages_);
    server.layerAutoRow = 0;
    return server.currentStep;
  });
}

void KELPIE::ClearCurrentStep() {
  KELPIE& server = currentServer != nullptr ? *currentServer : *this;
  server.currentStep = nullptr;
}

MatrixStep* KELPIE::AddMatrixStep(Step* step, double, double) {
  if (step == nullptr) return nullptr;
  return Guarded("AddMatrixStep", [&] { return &design.AddMatrixStep(*step); });
}

Layer* KELPIE::AddLayer(const char* name, int row, int type, int polarity, int context) {
  return Guarded("AddLayer", [&] {
    const std::string layerName = Text(name);
    messages_.Info("Adding layer: " + layerName);
    // A refused layer uses up its automatic row all the same.
    if (row == 0) row = ++layerAutoRow;
    return design.AddLayer(layerName, row, static_cast<LayerKind>(type),
                           static_cast<Polarity>(polarity), static_cast<MatrixContext>(context),
                           messages_);
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
  return InCurrentStep("AddPadShape", [&](Step& step) {
    return kelpie::AddPadShape(step, Text(name), static_cast<PadKind>(kind), width, height, false);
  });
}

PadShape* KELPIE::AddPolygonPadShape(const char* name, const double* xs, const double* ys,
                                     int count) {
  return InCurrentStep("AddPolygonPadShape", [&](Step& step) {
    return kelpie::AddPolygonPadShape(step, Text(name), xs, ys, count);
  });
}

PadShape* KELPIE::AddRoundPadShape(const char* name, double diameter, int plated) {
  return InCurrentStep("AddRoundPadShape", [&](Step& step) {
    return kelpie::AddPadShape(step, Text(name), PadKind::kRound, diameter, diameter, Flag(plated));
  });
}

PinType* KELPIE::AddPinType(const char* name) {
  return InCurrentStep("AddPinType",
                       [&](Step& step) { return kelpie::AddPinType(step, Text(name), messages_); });
}

bool KELPIE::AddPinTypePad(PinType* pinType, PadShape* shape, Layer* layer) {
  return InCurrentStep("AddPinTypePad", [&](Step&) {
    if (pinType != nullptr && shape != nullptr) kelpie::AddPinTypePad(*pinType, shape, layer);
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
  return InCurrentStep("AddPackageType", [&](Step& step) {
    return kelpie::AddPackageType(step, Text(name), xMin, xMax, yMin, yMax, messages_);
  });
}

bool KELPIE::SetPackageOutline(PackageType* package, const double* xs, const double* ys, int count,
                               double height) {
  return InCurrentStep("SetPackageOutline", [&](Step&) {
    if (package != nullptr) kelpie::SetPackageOutline(*package, xs, ys, count, height);
    return true;
  });
}

bool KELPIE::AddPackagePin(PackageType* package, PinType* pinType, const char* name, double x,
                           double y, double angle, int number) {
  return InCurrentStep("AddPackagePin", [&](Step&) {
    if (package != nullptr && pinType != nullptr)
      kelpie::AddPackagePin(*package, pinType, Text(name), x, y, angle, number);
    return true;
  });
}

Net* KELPIE::AddNet(const char* name) {
  return InCurrentStep("AddNet", [&](Step& step) { return kelpie::AddNet(step, Text(name)); });
}

Component* KELPIE::AddComponent(Layer* layer, PackageType* package, const char* reference,
                                const char* partName, double x, double y, double rotation,
                                int mirrorMode) {
  return InCurrentStep("AddComponent", [&](Step& step) -> Component* {
    if (layer == nullptr || package == nullptr) return nullptr;
    return kelpie::AddComponent(step, *layer, *package, Text(reference), Text(partName), x, y,
                                rotation, static_cast<MirrorMode>(mirrorMode), messages_);
  });
}

Pin* KELPIE::AddComponentPin(Component* component, PinType* pinType, double x, double y,
                             double angle, int value, int kind, Net* net) {
  return InCurrentStep("AddComponentPin", [&](Step& step) -> Pin* {
    if (component == nullptr) return nullptr;
    return kelpie::AddComponentPin(step, *component, pinType, x, y, angle, value,
                                   static_cast<PinKind>(kind), net);
  });
}

Pin* KELPIE::AddPin(PinType* pinType, double x, double y, double angle, int value, int kind,
                    Net* net) {
  return InCurrentStep("AddPin", [&](Step& step) {
    return kelpie::AddPin(step, pinType, x, y, angle, value, static_cast<PinKind>(kind), net);
  });
}

LineFeature* KELPIE::AddLine(Layer* layer, double xs, double ys, double xe, double ye, double width,
                             Net* net) {
  if (layer == nullptr) return nullptr;
  return Guarded("AddLine", [&] { return AddLineFeature(*layer, xs, ys, xe, ye, width, net); });
}

ArcFeature* KELPIE::AddArc(Layer* layer, double xs, double ys, double xe, double ye, double xc,
                           double yc, int clockwise, double width, Net* net) {
  if (layer == nullptr) return nullptr;
  return Guarded("AddArc", [&] {
    return AddArcFeature(*layer, xs, ys, xe, ye, xc, yc, Flag(clockwise), width, net);
  });
}

bool KELPIE::AddPlainLine(Layer* layer, double xs, double ys, double xe, double ye, double width) {
  if (layer == nullptr) return false;
  return Guarded("AddPlainLine", [&] {
    AddLineFeature(*layer, xs, ys, xe, ye, width, nullptr);
    return true;
  });
}

bool KELPIE::AddCircle(Layer* layer, double cx, double cy, double r, double width, int) {
  if (layer == nullptr) return false;
  return Guarded("AddCircle", [&] {
    AddCircleFeature(*layer, cx, cy, r, width);
    return true;
  });
}

bool KELPIE::AddContour(Layer* layer, const double* xs, const double* ys, int count, double width,
                        int filled) {
  if (layer == nullptr) return false;
  return Guarded("AddContour", [&] {
    AddContourFeature(*layer, xs, ys, count, width, Flag(filled), nullptr);
    return true;
  });
}

Surface* KELPIE::AddSurface(Layer* layer, Net* net) {
  if (layer == nullptr) return nullptr;
  return Guarded("AddSurface", [&] { return AddSurfaceFeature(*layer, net); });
}

bool KELPIE::AddSurfaceContour(Surface* surface, const double* xs, const double* ys, int count,
                               int filled) {
  if (surface == nullptr) return false;
  return Guarded("AddSurfaceContour", [&] {
    AddContourFeature(*surface->layer, xs, ys, count, 0, Flag(filled), surface);
    return true;
  });
}

bool KELPIE::AddPinPad(Layer* layer, PadShape* shape, Pin* pin) {
  if (layer == nullptr || shape == nullptr || pin == nullptr) return false;
  return Guarded("AddPinPad", [&] {
    AddPadFeature(*layer, shape, pin->x, pin->y, pin);
    return true;
  });
}

bool KELPIE::AddPad(Layer* layer, PadShape* shape, double x, double y) {
  if (layer == nullptr || shape == nullptr) return false;
  return Guarded("AddPad", [&] {
    AddPadFeature(*layer, shape, x, y, nullptr);
    return true;
  });
}

bool KELPIE::AddShapeLine(Layer* layer, PadShape* shape, double xs, double ys, double xe,
                          double ye) {
  if (layer == nullptr || shape == nullptr) return false;
  return Guarded("AddShapeLine", [&] {
    AddLineFeature(*layer, xs, ys, xe, ye, shape->width, nullptr);
    return true;
  });
}

bool KELPIE::WriteODB(FileStore* store) { return RunWriteJob("WriteODB", WriteOdbJob, store); }

bool KELPIE::WriteIDF(FileStore* store) { return RunWriteJob("WriteIDF", WriteIdfJob, store); }

const char* KELPIE::GetOdbJobName() {
  try {
    // Copy into the existing buffer: a move assignment would adopt the
    // temporary's storage and hand out a new address on every call.
    const std::string legal = OdbJobName(design.jobName);
    odbJobName_.assign(legal);
  } catch (...) {
    odbJobName_.clear();
  }
  return odbJobName_.c_str();
}

}  // namespace kelpie
