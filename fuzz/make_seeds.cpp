// Writes the fuzzer's seed corpus: the sample boards of the robustness tests,
// each recorded as a program of interface calls while it is built on a real
// server, plus a few hand-made programs. Usage: make_seeds OUTPUT_DIRECTORY
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "kelpie/kelpie.h"
#include "program.h"
#include "sample_boards.h"
#ifdef KELPIE_HAVE_BOARD_GENERATOR
#include "board_generator.h"
#endif

namespace kelpie::fuzz {
namespace {

class QuietSink : public MessageSink {
 public:
  void Info(const char*, ...) override {}
  void Error(const char*, int) override {}
  void Warning(const char*, int) override {}
};

// Handles of one type, in the order the fuzz target keeps them.
class HandleList {
 public:
  void Keep(const void* handle) {
    if (handle == nullptr) return;
    index_[handle] = size_++;
  }
  void Write(ProgramWriter& out, const void* handle) const {
    out.Handle(index_.at(handle), size_);
  }
  void WriteOrNull(ProgramWriter& out, const void* handle) const {
    if (handle == nullptr || size_ == 0) {
      out.Byte(0);
      return;
    }
    out.Byte(1);
    Write(out, handle);
  }

 private:
  std::map<const void*, std::size_t> index_;
  std::size_t size_ = 0;
};

// Forwards every call to a real server and records it in the fuzz encoding.
// Exports are recorded but not run.
class Recorder final : public IKELPIE {
 public:
  explicit Recorder(IKELPIE* real) : r_(real) {}
  ProgramWriter out;

  void Reserved0() override { out.Op(0); r_->Reserved0(); }
  void SetJobName(const char* name) override { out.Op(1); out.Name(name); r_->SetJobName(name); }
  void GetJobName(char* buffer) override { out.Op(2); r_->GetJobName(buffer); }
  void SetCustomerName(const char* name) override {
    out.Op(3); out.Name(name); r_->SetCustomerName(name);
  }
  void SetComment(const char* text) override { out.Op(4); out.Name(text); r_->SetComment(text); }
  void SetBoardThickness(double inches) override {
    out.Op(5); out.Number(inches); r_->SetBoardThickness(inches);
  }
  void Reserved6(int v) override { out.Op(6); out.Int(v); r_->Reserved6(v); }
  void Reserved7(int v) override { out.Op(7); out.Int(v); r_->Reserved7(v); }
  Step* AddStep(const char* name, const double* xs, const double* ys, int count) override {
    out.Op(8); out.Name(name); out.PointList(xs, ys, count);
    Step* step = r_->AddStep(name, xs, ys, count);
    steps_.Keep(step);
    return step;
  }
  void ClearCurrentStep() override { out.Op(9); r_->ClearCurrentStep(); }
  MatrixStep* AddMatrixStep(Step* step, double a, double b) override {
    out.Op(10); steps_.Write(out, step); out.Number(a); out.Number(b);
    return r_->AddMatrixStep(step, a, b);
  }
  Layer* AddLayer(const char* name, int row, int type, int polarity, int context) override {
    out.Op(11); out.Name(name); out.Int(row); out.Int(type); out.Int(polarity); out.Int(context);
    return KeepLayer(r_->AddLayer(name, row, type, polarity, context));
  }
  Layer* AddDrillLayer(const char* name, int row, Layer* start, Layer* end) override {
    out.Op(12); out.Name(name); out.Int(row);
    layers_.WriteOrNull(out, start); layers_.WriteOrNull(out, end);
    return KeepLayer(r_->AddDrillLayer(name, row, start, end));
  }
  PadShape* AddPadShape(const char* name, int kind, double w, double h, double u1,
                        double u2) override {
    out.Op(13); out.Name(name); out.Int(kind);
    out.Number(w); out.Number(h); out.Number(u1); out.Number(u2);
    return KeepShape(r_->AddPadShape(name, kind, w, h, u1, u2));
  }
  PadShape* AddPolygonPadShape(const char* name, const double* xs, const double* ys,
                               int count) override {
    out.Op(14); out.Name(name); out.PointList(xs, ys, count);
    return KeepShape(r_->AddPolygonPadShape(name, xs, ys, count));
  }
  PadShape* AddRoundPadShape(const char* name, double d, int plated) override {
    out.Op(15); out.Name(name); out.Number(d); out.Int(plated);
    return KeepShape(r_->AddRoundPadShape(name, d, plated));
  }
  PinType* AddPinType(const char* name) override {
    out.Op(16); out.Name(name);
    PinType* pinType = r_->AddPinType(name);
    pinTypes_.Keep(pinType);
    return pinType;
  }
  bool AddPinTypePad(PinType* t, PadShape* s, Layer* l) override {
    out.Op(17); PinTypeArgs(t, s, l);
    return r_->AddPinTypePad(t, s, l);
  }
  bool AddPinTypePadAlias(PinType* t, PadShape* s, Layer* l) override {
    out.Op(18); PinTypeArgs(t, s, l);
    return r_->AddPinTypePadAlias(t, s, l);
  }
  bool AddPinTypePadAt(PinType* t, PadShape* s, double a, double b, Layer* l) override {
    out.Op(19); PinTypeArgs(t, s, l); out.Number(a); out.Number(b);
    return r_->AddPinTypePadAt(t, s, a, b, l);
  }
  PackageType* AddPackageType(const char* name, double x0, double x1, double y0,
                              double y1) override {
    out.Op(20); out.Name(name); out.Number(x0); out.Number(x1); out.Number(y0); out.Number(y1);
    PackageType* package = r_->AddPackageType(name, x0, x1, y0, y1);
    packages_.Keep(package);
    return package;
  }
  bool SetPackageOutline(PackageType* p, const double* xs, const double* ys, int count,
                         double height) override {
    out.Op(21); packages_.Write(out, p); out.PointList(xs, ys, count); out.Number(height);
    return r_->SetPackageOutline(p, xs, ys, count, height);
  }
  bool AddPackagePin(PackageType* p, PinType* t, const char* name, double x, double y,
                     double angle, int number) override {
    out.Op(22); packages_.Write(out, p); pinTypes_.Write(out, t); out.Name(name);
    out.Number(x); out.Number(y); out.Number(angle); out.Int(number);
    return r_->AddPackagePin(p, t, name, x, y, angle, number);
  }
  Net* AddNet(const char* name) override {
    out.Op(23); out.Name(name);
    Net* net = r_->AddNet(name);
    nets_.Keep(net);
    return net;
  }
  Component* AddComponent(Layer* l, PackageType* p, const char* reference, const char* part,
                          double x, double y, double rotation, int mirror) override {
    out.Op(24); layers_.Write(out, l); packages_.Write(out, p); out.Name(reference);
    out.Name(part); out.Number(x); out.Number(y); out.Number(rotation); out.Int(mirror);
    Component* component = r_->AddComponent(l, p, reference, part, x, y, rotation, mirror);
    components_.Keep(component);
    return component;
  }
  Pin* AddComponentPin(Component* c, PinType* t, double x, double y, double angle, int value,
                       int kind, Net* net) override {
    out.Op(25); components_.Write(out, c); pinTypes_.Write(out, t);
    out.Number(x); out.Number(y); out.Number(angle); out.Int(value); out.Int(kind);
    nets_.WriteOrNull(out, net);
    return KeepPin(r_->AddComponentPin(c, t, x, y, angle, value, kind, net));
  }
  Pin* AddPin(PinType* t, double x, double y, double angle, int value, int kind,
              Net* net) override {
    out.Op(26); pinTypes_.Write(out, t);
    out.Number(x); out.Number(y); out.Number(angle); out.Int(value); out.Int(kind);
    nets_.WriteOrNull(out, net);
    return KeepPin(r_->AddPin(t, x, y, angle, value, kind, net));
  }
  LineFeature* AddLine(Layer* l, double xs, double ys, double xe, double ye, double w,
                       Net* net) override {
    out.Op(27); layers_.Write(out, l);
    out.Number(xs); out.Number(ys); out.Number(xe); out.Number(ye); out.Number(w);
    nets_.WriteOrNull(out, net);
    return r_->AddLine(l, xs, ys, xe, ye, w, net);
  }
  ArcFeature* AddArc(Layer* l, double xs, double ys, double xe, double ye, double xc, double yc,
                     int clockwise, double w, Net* net) override {
    out.Op(28); layers_.Write(out, l);
    out.Number(xs); out.Number(ys); out.Number(xe); out.Number(ye); out.Number(xc);
    out.Number(yc); out.Int(clockwise); out.Number(w);
    nets_.WriteOrNull(out, net);
    return r_->AddArc(l, xs, ys, xe, ye, xc, yc, clockwise, w, net);
  }
  bool AddPlainLine(Layer* l, double xs, double ys, double xe, double ye, double w) override {
    out.Op(29); layers_.Write(out, l);
    out.Number(xs); out.Number(ys); out.Number(xe); out.Number(ye); out.Number(w);
    return r_->AddPlainLine(l, xs, ys, xe, ye, w);
  }
  bool AddCircle(Layer* l, double cx, double cy, double r, double w, int u) override {
    out.Op(30); layers_.Write(out, l);
    out.Number(cx); out.Number(cy); out.Number(r); out.Number(w); out.Int(u);
    return r_->AddCircle(l, cx, cy, r, w, u);
  }
  bool AddContour(Layer* l, const double* xs, const double* ys, int count, double w,
                  int filled) override {
    out.Op(31); layers_.Write(out, l); out.PointList(xs, ys, count); out.Number(w);
    out.Int(filled);
    return r_->AddContour(l, xs, ys, count, w, filled);
  }
  Surface* AddSurface(Layer* l, Net* net) override {
    out.Op(32); layers_.Write(out, l); nets_.WriteOrNull(out, net);
    Surface* surface = r_->AddSurface(l, net);
    surfaces_.Keep(surface);
    return surface;
  }
  bool AddSurfaceContour(Surface* surface, const double* xs, const double* ys, int count,
                         int filled) override {
    out.Op(33); surfaces_.Write(out, surface); out.PointList(xs, ys, count); out.Int(filled);
    return r_->AddSurfaceContour(surface, xs, ys, count, filled);
  }
  bool AddPinPad(Layer* l, PadShape* s, Pin* pin) override {
    out.Op(34); layers_.Write(out, l); shapes_.Write(out, s); pins_.Write(out, pin);
    return r_->AddPinPad(l, s, pin);
  }
  bool AddPad(Layer* l, PadShape* s, double x, double y) override {
    out.Op(35); layers_.Write(out, l); shapes_.Write(out, s); out.Number(x); out.Number(y);
    return r_->AddPad(l, s, x, y);
  }
  bool AddShapeLine(Layer* l, PadShape* s, double xs, double ys, double xe, double ye) override {
    out.Op(36); layers_.Write(out, l); shapes_.Write(out, s);
    out.Number(xs); out.Number(ys); out.Number(xe); out.Number(ye);
    return r_->AddShapeLine(l, s, xs, ys, xe, ye);
  }
  bool WriteODB(FileStore*) override { out.Op(37); out.Byte(0); return true; }
  bool WriteIDF(FileStore*) override { out.Op(38); out.Byte(0); return true; }
  const char* GetOdbJobName() override { out.Op(39); return r_->GetOdbJobName(); }

 private:
  void PinTypeArgs(PinType* t, PadShape* s, Layer* l) {
    pinTypes_.Write(out, t); shapes_.Write(out, s); layers_.Write(out, l);
  }
  Layer* KeepLayer(Layer* layer) { layers_.Keep(layer); return layer; }
  PadShape* KeepShape(PadShape* shape) { shapes_.Keep(shape); return shape; }
  Pin* KeepPin(Pin* pin) { pins_.Keep(pin); return pin; }

  IKELPIE* r_;
  HandleList steps_, layers_, shapes_, pinTypes_, packages_, nets_, components_, pins_, surfaces_;
};

#ifdef KELPIE_HAVE_BOARD_GENERATOR
void GeneratedSmall(IKELPIE& server) { GenerateBoard(&server, 3, 7); }
void GeneratedLarger(IKELPIE& server) { GenerateBoard(&server, 12, 1); }
#endif

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// Records one board after a header that asks for `rounds` final export
// rounds with the given store plans.
std::vector<std::uint8_t> Record(void (*build)(IKELPIE&), std::uint8_t header,
                                 const std::vector<std::uint8_t>& plans) {
  QuietSink sink;
  IKELPIE* real = createkelpieserver(&sink, "seed maker", kApiVersion);
  Recorder recorder(real);
  recorder.out.Byte(header);
  for (const std::uint8_t plan : plans) recorder.out.Byte(plan);
  build(recorder);
  deletekelpieserver(real);
  return recorder.out.bytes;
}

}  // namespace
}  // namespace kelpie::fuzz

int main(int argc, char** argv) {
  using namespace kelpie;
  using namespace kelpie::fuzz;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds OUTPUT_DIRECTORY\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct Seed {
    const char* name;
    void (*build)(IKELPIE&);
    std::uint8_t header;
    std::vector<std::uint8_t> plans;
  };
  // Header 0: one round, IDF first, stores that accept everything; the
  // other headers add rounds (bits 0-1), ODB++ first (bits 2-5) and the
  // closing ODB++ rerun check (0x40); the plans refuse and throw.
  const std::vector<Seed> seeds = {
      {"small", samples::BuildSmallBoard, 0, {0, 0}},
      {"small-twice", samples::BuildSmallBoard, 0x05, {0, 0, 0, 0}},
      {"demo", samples::BuildDemoBoard, 0, {0, 0}},
      {"demo-odb-twice", samples::BuildDemoBoard, 0x4d, {0, 0, 0, 0}},
      {"demo-refusing", samples::BuildDemoBoard, 0, {0x02, 0x05}},
      {"demo-refuse-all", samples::BuildDemoBoard, 0, {0x01, 0x01}},
      {"two-steps", samples::BuildTwoStepBoard, 0x04, {0, 0}},
      {"non-finite", samples::BuildNonFiniteBoard, 0, {0, 0}},
#ifdef KELPIE_HAVE_BOARD_GENERATOR
      {"generated-3", GeneratedSmall, 0x45, {0, 0, 0, 0}},
      {"generated-12", GeneratedLarger, 0, {0x06, 0}},
#endif
  };
  for (const Seed& seed : seeds) {
    if (!WriteFile(dir + "/" + seed.name, Record(seed.build, seed.header, seed.plans))) {
      std::fprintf(stderr, "cannot write %s/%s\n", dir.c_str(), seed.name);
      return 1;
    }
  }
  // Plans that throw need their count byte: the third Write, the first
  // Close, the fifth call of any kind.
  struct Thrower {
    const char* name;
    std::vector<std::uint8_t> plans;
  };
  const std::vector<Thrower> throwers = {
      {"demo-throw-write", {0x28, 2, 0x28 | 0x40, 2}},
      {"demo-throw-close", {0x30, 0, 0x30 | 0x80, 0}},
      {"demo-throw-any", {0x20, 4, 0x38 | 0xc0, 1}},
  };
  for (const Thrower& t : throwers) {
    if (!WriteFile(dir + "/" + t.name, Record(samples::BuildDemoBoard, 0, t.plans))) return 1;
  }
  // The empty program: a server with nothing in it, exported once each way.
  if (!WriteFile(dir + "/empty", {0, 0, 0})) return 1;
  std::printf("wrote %zu seeds to %s\n", seeds.size() + throwers.size() + 1, dir.c_str());
  return 0;
}
