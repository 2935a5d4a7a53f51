// libFuzzer target: runs one program of interface calls (see program.h)
// against a fresh server, exports one or more times into an in-memory store
// that refuses and throws as the input says, and deletes the server.
//
// Besides the sanitizers it checks the host contract: no exception leaves
// the library, an export's result agrees with its closing message, the
// store only sees handles it handed out and every file is closed, and a
// refused createkelpieserver hands back the live server.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fuzz_host.h"
#include "kelpie/kelpie.h"
#include "program.h"

namespace kelpie::fuzz {
namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Handles that the server handed out, by type. Null results are not kept:
// handing null back where a record is expected is outside the contract.
template <typename T>
struct Handles {
  std::vector<T*> items;
  void Keep(T* item) {
    if (item != nullptr) items.push_back(item);
  }
  bool Empty() const { return items.empty(); }
  T* Pick(ProgramReader& in) { return items[in.Handle(items.size())]; }
  // Null is a valid choice here (nets, drill span ends).
  T* PickOrNull(ProgramReader& in) {
    if (in.Byte() == 0 || items.empty()) return nullptr;
    return Pick(in);
  }
};

class Runner {
 public:
  Runner(const std::uint8_t* data, std::size_t size) : in_(data, size) {}

  void Run() {
    const std::uint8_t header = in_.Byte();
    const int rounds = 1 + (header & 3);
    std::vector<StorePlan> finalPlans;
    for (int i = 0; i < 2 * rounds; ++i) finalPlans.push_back(in_.Store());

    server_ = createkelpieserver(&sink_, "fuzz host", kApiVersion);
    if (server_ == nullptr) Violation("createkelpieserver failed");

    for (int op = 0; op < kMaxOperations && !in_.Empty(); ++op) Execute();

    for (int round = 0; round < rounds; ++round) {
      const bool odbFirst = (header >> (2 + round) & 1) != 0;
      Export(odbFirst, finalPlans[2 * round]);
      Export(!odbFirst, finalPlans[2 * round + 1]);
    }
    IdfTwice();
    if ((header & 0x40) != 0) OdbTwice();
    deletekelpieserver(server_);
  }

 private:
  void Export(bool odb, const StorePlan& plan) {
    store_.Begin(plan);
    const bool written = odb ? server_->WriteODB(&store_) : server_->WriteIDF(&store_);
    store_.CheckAllClosed();
    // The job's last word says how it ended, and the result must agree.
    if (written) {
      if (sink_.lastKind != FuzzSink::kInfo || !StartsWith(sink_.lastText, "Write job '") ||
          !EndsWith(sink_.lastText, "' complete"))
        Violation("export returned true but its last message is", sink_.lastText);
    } else if (sink_.lastKind != FuzzSink::kError) {
      Violation("export returned false without an error; last message:", sink_.lastText);
    } else if (!(StartsWith(sink_.lastText, "Write job '") && EndsWith(sink_.lastText, "' failed")) &&
               !EndsWith(sink_.lastText, "export is not available in this build")) {
      Violation("export returned false but its last message is", sink_.lastText);
    }
  }

  // An IDF export leaves the model so that the next one writes the same
  // files again: only the date stamps in the headers may differ.
  void IdfTwice() {
    using Files = std::map<std::string, std::string>;
    Files first, second;
    store_.capture = &first;
    Export(false, StorePlan{});
    const bool firstWritten = sink_.lastKind == FuzzSink::kInfo;
    store_.capture = &second;
    Export(false, StorePlan{});
    store_.capture = nullptr;
    if (firstWritten != (sink_.lastKind == FuzzSink::kInfo))
      Violation("a second IDF export ended differently from the first");
    if (first.size() != second.size()) Violation("a second IDF export wrote other files");
    for (auto& [path, text] : first) {
      auto other = second.find(path);
      if (other == second.end()) Violation("a second IDF export did not write", path);
      if (WithoutDateStamp(text) != WithoutDateStamp(other->second))
        Violation("a second IDF export wrote other text in", path);
    }
  }

  // Once an ODB++ export has run to its end (so that the layer stack is
  // resolved and pin types are classified), the next two write the same
  // tree but for the one more "$NONE$" net without pins that each appends.
  void OdbTwice() {
    using Files = std::map<std::string, std::string>;
    Files settle, first, second;
    store_.capture = &settle;
    Export(true, StorePlan{});
    store_.capture = &first;
    Export(true, StorePlan{});
    const bool firstWritten = sink_.lastKind == FuzzSink::kInfo;
    store_.capture = &second;
    Export(true, StorePlan{});
    store_.capture = nullptr;
    if (firstWritten != (sink_.lastKind == FuzzSink::kInfo))
      Violation("a later ODB++ export ended differently from the one before");
    if (first.size() != second.size()) Violation("a later ODB++ export wrote other files");
    for (auto& [path, text] : first) {
      auto other = second.find(path);
      if (other == second.end()) Violation("a later ODB++ export did not write", path);
      if (path.find("\\.") != std::string::npos) continue;  // summaries carry the clock
      const bool listsNets = EndsWith(path, "\\eda\\data") || EndsWith(path, "\\netlist");
      if (listsNets ? WithoutNoneNets(text) != WithoutNoneNets(other->second)
                    : text != other->second)
        Violation("a later ODB++ export wrote other text in", path);
    }
  }

  static std::string WithoutNoneNets(const std::string& text) {
    std::string kept;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      end = end == std::string::npos ? text.size() : end + 1;
      const std::string line = text.substr(start, end - start);
      if (line.find("$NONE$") == std::string::npos) kept += line;
      start = end;
    }
    return kept;
  }

  // The second line of an IDF file carries the clock.
  static std::string WithoutDateStamp(const std::string& text) {
    const std::size_t first = text.find('\n');
    if (first == std::string::npos) return text;
    const std::size_t second = text.find('\n', first + 1);
    if (second == std::string::npos) return text.substr(0, first);
    return text.substr(0, first) + text.substr(second);
  }

  void Execute() {
    const int opcode = in_.Byte() % kOpCount;
    IKELPIE& s = *server_;
    switch (opcode) {
      case 0: s.Reserved0(); break;
      case 1: {
        const std::string name = in_.Name();
        if (name.size() > longestJobName_) longestJobName_ = name.size();
        s.SetJobName(name.c_str());
        break;
      }
      case 2: {
        // The caller's buffer holds exactly the longest name ever set.
        std::vector<char> buffer(longestJobName_ + 1, '\x55');
        s.GetJobName(buffer.data());
        if (std::memchr(buffer.data(), 0, buffer.size()) == nullptr)
          Violation("GetJobName wrote no terminating NUL");
        break;
      }
      case 3: s.SetCustomerName(in_.Name().c_str()); break;
      case 4: s.SetComment(in_.Name().c_str()); break;
      case 5: s.SetBoardThickness(in_.Number()); break;
      case 6: s.Reserved6(in_.Int()); break;
      case 7: s.Reserved7(in_.Int()); break;
      case 8: {
        const std::string name = in_.Name();
        const Points p = in_.PointList();
        steps_.Keep(s.AddStep(name.c_str(), p.xs.data(), p.ys.data(), p.count));
        break;
      }
      case 9: s.ClearCurrentStep(); break;
      case 10: {
        if (steps_.Empty()) break;
        Step* step = steps_.Pick(in_);
        const double a = in_.Number(), b = in_.Number();
        s.AddMatrixStep(step, a, b);
        break;
      }
      case 11: {
        const std::string name = in_.Name();
        const int row = in_.Int(), type = in_.Int(), polarity = in_.Int(), context = in_.Int();
        layers_.Keep(s.AddLayer(name.c_str(), row, type, polarity, context));
        break;
      }
      case 12: {
        const std::string name = in_.Name();
        const int row = in_.Int();
        Layer* start = layers_.PickOrNull(in_);
        Layer* end = layers_.PickOrNull(in_);
        layers_.Keep(s.AddDrillLayer(name.c_str(), row, start, end));
        break;
      }
      case 13: {
        const std::string name = in_.Name();
        const int kind = in_.Int();
        const double w = in_.Number(), h = in_.Number(), u1 = in_.Number(), u2 = in_.Number();
        shapes_.Keep(s.AddPadShape(name.c_str(), kind, w, h, u1, u2));
        break;
      }
      case 14: {
        const std::string name = in_.Name();
        const Points p = in_.PointList();
        shapes_.Keep(s.AddPolygonPadShape(name.c_str(), p.xs.data(), p.ys.data(), p.count));
        break;
      }
      case 15: {
        const std::string name = in_.Name();
        const double d = in_.Number();
        shapes_.Keep(s.AddRoundPadShape(name.c_str(), d, in_.Int()));
        break;
      }
      case 16: pinTypes_.Keep(s.AddPinType(in_.Name().c_str())); break;
      case 17:
      case 18:
      case 19: {
        if (pinTypes_.Empty() || shapes_.Empty() || layers_.Empty()) break;
        PinType* pinType = pinTypes_.Pick(in_);
        PadShape* shape = shapes_.Pick(in_);
        Layer* layer = layers_.Pick(in_);
        if (opcode == 17) s.AddPinTypePad(pinType, shape, layer);
        if (opcode == 18) s.AddPinTypePadAlias(pinType, shape, layer);
        if (opcode == 19) {
          const double a = in_.Number(), b = in_.Number();
          s.AddPinTypePadAt(pinType, shape, a, b, layer);
        }
        break;
      }
      case 20: {
        const std::string name = in_.Name();
        const double x0 = in_.Number(), x1 = in_.Number(), y0 = in_.Number(), y1 = in_.Number();
        packages_.Keep(s.AddPackageType(name.c_str(), x0, x1, y0, y1));
        break;
      }
      case 21: {
        if (packages_.Empty()) break;
        PackageType* package = packages_.Pick(in_);
        const Points p = in_.PointList();
        s.SetPackageOutline(package, p.xs.data(), p.ys.data(), p.count, in_.Number());
        break;
      }
      case 22: {
        if (packages_.Empty() || pinTypes_.Empty()) break;
        PackageType* package = packages_.Pick(in_);
        PinType* pinType = pinTypes_.Pick(in_);
        const std::string name = in_.Name();
        const double x = in_.Number(), y = in_.Number(), angle = in_.Number();
        s.AddPackagePin(package, pinType, name.c_str(), x, y, angle, in_.Int());
        break;
      }
      case 23: nets_.Keep(s.AddNet(in_.Name().c_str())); break;
      case 24: {
        if (layers_.Empty() || packages_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        PackageType* package = packages_.Pick(in_);
        const std::string reference = in_.Name();
        const std::string part = in_.Name();
        const double x = in_.Number(), y = in_.Number(), rotation = in_.Number();
        components_.Keep(
            s.AddComponent(layer, package, reference.c_str(), part.c_str(), x, y, rotation, in_.Int()));
        break;
      }
      case 25: {
        if (components_.Empty() || pinTypes_.Empty()) break;
        Component* component = components_.Pick(in_);
        PinType* pinType = pinTypes_.Pick(in_);
        const double x = in_.Number(), y = in_.Number(), angle = in_.Number();
        const int value = in_.Int(), kind = in_.Int();
        pins_.Keep(s.AddComponentPin(component, pinType, x, y, angle, value, kind,
                                     nets_.PickOrNull(in_)));
        break;
      }
      case 26: {
        if (pinTypes_.Empty()) break;
        PinType* pinType = pinTypes_.Pick(in_);
        const double x = in_.Number(), y = in_.Number(), angle = in_.Number();
        const int value = in_.Int(), kind = in_.Int();
        pins_.Keep(s.AddPin(pinType, x, y, angle, value, kind, nets_.PickOrNull(in_)));
        break;
      }
      case 27: {
        if (layers_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        const double xs = in_.Number(), ys = in_.Number(), xe = in_.Number(), ye = in_.Number();
        const double width = in_.Number();
        s.AddLine(layer, xs, ys, xe, ye, width, nets_.PickOrNull(in_));
        break;
      }
      case 28: {
        if (layers_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        const double xs = in_.Number(), ys = in_.Number(), xe = in_.Number(), ye = in_.Number();
        const double xc = in_.Number(), yc = in_.Number();
        const int clockwise = in_.Int();
        const double width = in_.Number();
        s.AddArc(layer, xs, ys, xe, ye, xc, yc, clockwise, width, nets_.PickOrNull(in_));
        break;
      }
      case 29: {
        if (layers_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        const double xs = in_.Number(), ys = in_.Number(), xe = in_.Number(), ye = in_.Number();
        s.AddPlainLine(layer, xs, ys, xe, ye, in_.Number());
        break;
      }
      case 30: {
        if (layers_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        const double cx = in_.Number(), cy = in_.Number(), r = in_.Number(), w = in_.Number();
        s.AddCircle(layer, cx, cy, r, w, in_.Int());
        break;
      }
      case 31: {
        if (layers_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        const Points p = in_.PointList();
        const double width = in_.Number();
        s.AddContour(layer, p.xs.data(), p.ys.data(), p.count, width, in_.Int());
        break;
      }
      case 32: {
        if (layers_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        surfaces_.Keep(s.AddSurface(layer, nets_.PickOrNull(in_)));
        break;
      }
      case 33: {
        if (surfaces_.Empty()) break;
        Surface* surface = surfaces_.Pick(in_);
        const Points p = in_.PointList();
        s.AddSurfaceContour(surface, p.xs.data(), p.ys.data(), p.count, in_.Int());
        break;
      }
      case 34: {
        if (layers_.Empty() || shapes_.Empty() || pins_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        PadShape* shape = shapes_.Pick(in_);
        s.AddPinPad(layer, shape, pins_.Pick(in_));
        break;
      }
      case 35: {
        if (layers_.Empty() || shapes_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        PadShape* shape = shapes_.Pick(in_);
        const double x = in_.Number(), y = in_.Number();
        s.AddPad(layer, shape, x, y);
        break;
      }
      case 36: {
        if (layers_.Empty() || shapes_.Empty()) break;
        Layer* layer = layers_.Pick(in_);
        PadShape* shape = shapes_.Pick(in_);
        const double xs = in_.Number(), ys = in_.Number(), xe = in_.Number(), ye = in_.Number();
        s.AddShapeLine(layer, shape, xs, ys, xe, ye);
        break;
      }
      case 37:
      case 38:
        if (++exports_ > 6) break;  // each export walks the whole model
        Export(opcode == 37, in_.Store());
        break;
      case 39: {
        const char* name = s.GetOdbJobName();
        if (name == nullptr) Violation("GetOdbJobName returned null");
        (void)std::strlen(name);
        if (s.GetOdbJobName() != name) Violation("GetOdbJobName moved its buffer");
        break;
      }
      case kOpWrongVersionCreate:
        if (createkelpieserver(&sink_, "fuzz host", kApiVersion - 1 - in_.Byte()) != server_)
          Violation("a refused createkelpieserver did not hand back the live server");
        break;
      default: break;
    }
  }

  ProgramReader in_;
  FuzzSink sink_;
  FuzzStore store_;
  IKELPIE* server_ = nullptr;
  std::size_t longestJobName_ = 0;
  int exports_ = 0;
  Handles<Step> steps_;
  Handles<Layer> layers_;
  Handles<PadShape> shapes_;
  Handles<PinType> pinTypes_;
  Handles<PackageType> packages_;
  Handles<Net> nets_;
  Handles<Component> components_;
  Handles<Pin> pins_;
  Handles<Surface> surfaces_;
};

}  // namespace
}  // namespace kelpie::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelpie::fuzz::Runner runner(data, size);
  runner.Run();
  return 0;
}
