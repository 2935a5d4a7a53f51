// Kelpie board-export plug-in: the binary interface a host compiles against.
//
// A host loads libkelpie.so (kelpie.dll on Windows) or links it, resolves the
// two extern "C" entry points below,
// creates one server with createkelpieserver(sink, versionText, 208),
// describes one board through the IKELPIE table and asks for an export with
// WriteODB or WriteIDF, handing over its FileStore. deletekelpieserver ends
// the server's life.
//
// Binary layout: IKELPIE, MessageSink and FileStore are called by vtable
// position. Each declares exactly the virtual functions listed, in this order,
// and nothing else virtual: there is no virtual destructor, so slot N is
// vtable entry N. Never reorder, insert or remove a virtual function here.
//
// Handles (Step*, Layer*, ...) are opaque: the library owns the records, the
// host keeps the pointers and hands them back unchanged. They stay valid until
// the server is deleted.
//
// Lengths are inches, angles degrees. Texts are NUL-terminated 8-bit strings
// that the library copies where it keeps them.
//
// Windows (x64 only): kelpie.dll is built with mingw-w64 and exports the same
// two functions (import library libkelpie.dll.a, definition file kelpie.def).
// A host built with Microsoft's compiler uses this header as it is:
//  - Table layout: single inheritance, no virtual destructor and no
//    overloaded virtual function, so both compilers put slot N at entry N of
//    the table that the object's first pointer points to. The library never
//    asks a host object for its type information (no typeid, no
//    dynamic_cast), whose layout differs between the compilers.
//  - Calling convention: x64 has one; __cdecl, __stdcall and __thiscall all
//    mean it, and "this" is the first argument of every slot. The entry
//    points are extern "C" and undecorated. All types here have the same
//    size in both compilers (int 32 bits, bool 8, double 64; pointers and
//    FileHandle 64); the interface uses no long, which is 32 bits on Windows.
//  - Texts: 8-bit bytes in both directions, never converted between
//    character sets (pass UTF-8 or whatever the downstream tools read).
//    Paths handed to the store are plain ASCII (names that become paths lose
//    their bytes above 127) with "\" between parts, which Windows reads
//    natively. Store the texts in binary mode: the library chooses the line
//    endings itself (CR LF in IDF files, LF in ODB++ files).
//  - Memory: the DLL has its own runtime and heap. What it returns (handles,
//    GetOdbJobName's text) it allocates and frees itself: never delete or
//    free it; deletekelpieserver releases everything. Texts it passes to the
//    sink and the store are valid during the call only.
//  - No exception may leave a sink or store operation: the library cannot
//    catch the exceptions of another compiler's runtime.
#ifndef KELPIE_KELPIE_H
#define KELPIE_KELPIE_H

#include <cstdint>

#if defined(_WIN32) && defined(KELPIE_BUILDING_LIBRARY)
#define KELPIE_EXPORT __declspec(dllexport)
#elif defined(_WIN32)
#define KELPIE_EXPORT __declspec(dllimport)
#elif defined(KELPIE_BUILDING_LIBRARY)
#define KELPIE_EXPORT __attribute__((visibility("default")))
#else
#define KELPIE_EXPORT
#endif

namespace kelpie {

// The interface version that createkelpieserver accepts.
constexpr int kApiVersion = 208;

// Opaque record handles.
struct Step;
struct MatrixStep;
struct Layer;
struct PadShape;
struct PinType;
struct PackageType;
struct Net;
struct Component;
struct Pin;
struct LineFeature;
struct ArcFeature;
struct Surface;

// Layer attributes, as AddLayer takes them.
enum LayerType : int {
  kLayerNotSet = 0,
  kLayerSignal = 1,
  kLayerPowerGround = 2,
  kLayerMixed = 3,
  kLayerSolderMask = 4,
  kLayerSolderPaste = 5,
  kLayerSilkScreen = 6,
  kLayerDrill = 7,
  kLayerRout = 8,
  kLayerDocument = 9,
  kLayerComponentTop = 10,
  kLayerComponentBottom = 11,
  kLayerMask = 12,
};
enum LayerPolarity : int { kPolarityNotSet = 0, kPolarityPositive = 1, kPolarityNegative = 2 };
enum LayerContext : int { kContextNotSet = 0, kContextBoard = 1, kContextMisc = 2 };

// Where the library's messages go. Info receives one of two forms:
//  - a format with exactly one "%s" and the text for it. Only four formats
//    are ever used: "Job name: %s", "Customer name: %s", "Comment: %s" and
//    "Board thickness: %s";
//  - any other text is complete and comes with a single int 0 behind it
//    ("Adding layer: " + name, 0).
// Complete texts carry host-given names that may contain '%' ("Adding layer:
// 50%s"): a sink must show them verbatim and never hand them to printf as a
// format. Compare the format with the four texts above to tell the forms
// apart; looking for '%' in it is not enough. Error and Warning always
// receive a complete text and 0. The text is only valid during the call.
class MessageSink {
 public:
  virtual void Info(const char* format, ...) = 0;           // slot 0
  virtual void Error(const char* text, int zero) = 0;       // slot 1
  virtual void Warning(const char* text, int zero) = 0;     // slot 2

 protected:
  ~MessageSink() = default;
};

// Handle of an open file in a FileStore; 0 means "could not open".
using FileHandle = std::intptr_t;

// Where the library's output files go. Paths are relative and use "\" between
// their parts. MakeDirectory must create every missing level of the path.
// Write and Close are also called with handle 0 after a failed Open and must
// then do nothing. Results of MakeDirectory, Write and Close are ignored.
class FileStore {
 public:
  virtual bool MakeDirectory(const char* path) = 0;                // slot 0
  virtual FileHandle Open(const char* path) = 0;                   // slot 1
  virtual bool Write(FileHandle handle, const char* text) = 0;     // slot 2
  virtual bool Close(FileHandle handle) = 0;                       // slot 3

 protected:
  ~FileStore() = default;
};

// The export server. Operations marked "step" act on the current step (set by
// AddStep) and report "No current step" without one.
class IKELPIE {
 public:
  virtual void Reserved0() = 0;                                                  // 0
  virtual void SetJobName(const char* name) = 0;                                 // 1
  virtual void GetJobName(char* buffer) = 0;                                     // 2
  virtual void SetCustomerName(const char* name) = 0;                            // 3
  virtual void SetComment(const char* text) = 0;                                 // 4
  virtual void SetBoardThickness(double inches) = 0;                             // 5
  virtual void Reserved6(int unused) = 0;                                        // 6
  virtual void Reserved7(int unused) = 0;                                        // 7 (same as 6)
  virtual Step* AddStep(const char* name, const double* xs, const double* ys,
                        int count) = 0;                                          // 8
  virtual void ClearCurrentStep() = 0;                                           // 9
  virtual MatrixStep* AddMatrixStep(Step* step, double unused1,
                                    double unused2) = 0;                         // 10
  virtual Layer* AddLayer(const char* name, int row, int type, int polarity,
                          int context) = 0;                                      // 11
  virtual Layer* AddDrillLayer(const char* name, int row, Layer* start,
                               Layer* end) = 0;                                  // 12
  virtual PadShape* AddPadShape(const char* name, int kind, double width,
                                double height, double unused1,
                                double unused2) = 0;                             // 13 step
  virtual PadShape* AddPolygonPadShape(const char* name, const double* xs,
                                       const double* ys, int count) = 0;         // 14 step
  virtual PadShape* AddRoundPadShape(const char* name, double diameter,
                                     int plated) = 0;                            // 15 step
  virtual PinType* AddPinType(const char* name) = 0;                             // 16 step
  virtual bool AddPinTypePad(PinType* pinType, PadShape* shape,
                             Layer* layer) = 0;                                  // 17 step
  virtual bool AddPinTypePadAlias(PinType* pinType, PadShape* shape,
                                  Layer* layer) = 0;                             // 18 step (same as 17)
  virtual bool AddPinTypePadAt(PinType* pinType, PadShape* shape, double unused1,
                               double unused2, Layer* layer) = 0;                // 19 step
  virtual PackageType* AddPackageType(const char* name, double xMin, double xMax,
                                      double yMin, double yMax) = 0;             // 20 step
  virtual bool SetPackageOutline(PackageType* package, const double* xs,
                                 const double* ys, int count,
                                 double height) = 0;                             // 21 step
  virtual bool AddPackagePin(PackageType* package, PinType* pinType,
                             const char* name, double x, double y, double angle,
                             int number) = 0;                                    // 22 step
  virtual Net* AddNet(const char* name) = 0;                                     // 23 step
  virtual Component* AddComponent(Layer* layer, PackageType* package,
                                  const char* reference, const char* partName,
                                  double x, double y, double rotation,
                                  int mirrorMode) = 0;                           // 24 step
  virtual Pin* AddComponentPin(Component* component, PinType* pinType, double x,
                               double y, double angle, int value, int kind,
                               Net* net) = 0;                                    // 25 step
  virtual Pin* AddPin(PinType* pinType, double x, double y, double angle,
                      int value, int kind, Net* net) = 0;                        // 26 step
  virtual LineFeature* AddLine(Layer* layer, double xs, double ys, double xe,
                               double ye, double width, Net* net) = 0;           // 27
  virtual ArcFeature* AddArc(Layer* layer, double xs, double ys, double xe,
                             double ye, double xc, double yc, int clockwise,
                             double width, Net* net) = 0;                        // 28
  virtual bool AddPlainLine(Layer* layer, double xs, double ys, double xe,
                            double ye, double width) = 0;                        // 29
  virtual bool AddCircle(Layer* layer, double cx, double cy, double r,
                         double width, int unused) = 0;                          // 30
  virtual bool AddContour(Layer* layer, const double* xs, const double* ys,
                          int count, double width, int filled) = 0;              // 31
  virtual Surface* AddSurface(Layer* layer, Net* net) = 0;                       // 32
  virtual bool AddSurfaceContour(Surface* surface, const double* xs,
                                 const double* ys, int count, int filled) = 0;   // 33
  virtual bool AddPinPad(Layer* layer, PadShape* shape, Pin* pin) = 0;           // 34
  virtual bool AddPad(Layer* layer, PadShape* shape, double x, double y) = 0;    // 35
  virtual bool AddShapeLine(Layer* layer, PadShape* shape, double xs, double ys,
                            double xe, double ye) = 0;                           // 36
  virtual bool WriteODB(FileStore* store) = 0;                                   // 37
  virtual bool WriteIDF(FileStore* store) = 0;                                   // 38
  virtual const char* GetOdbJobName() = 0;                                       // 39

 protected:
  ~IKELPIE() = default;
};

}  // namespace kelpie

extern "C" {
// Creates a server for interface version apiVersion (must be kApiVersion).
// The sink receives every message of every server from then on. A wrong
// version creates nothing and returns the server created last (or null).
KELPIE_EXPORT kelpie::IKELPIE* createkelpieserver(kelpie::MessageSink* sink,
                                                  const char* versionText,
                                                  int apiVersion);
// Destroys a server and every record it owns; null is ignored.
KELPIE_EXPORT void deletekelpieserver(kelpie::IKELPIE* server);
}

// Function pointer types for hosts that resolve the entry points with dlsym.
using CreateKelpieServerFn = kelpie::IKELPIE* (*)(kelpie::MessageSink*, const char*, int);
using DeleteKelpieServerFn = void (*)(kelpie::IKELPIE*);

#endif  // KELPIE_KELPIE_H
