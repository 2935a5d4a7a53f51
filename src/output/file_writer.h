// cFileWriter: the one way any output file is written. It hands each finished
// line to the host's FileStore, counts bytes and a checksum of everything it
// handed over, and on Close reports completion and writes the ".sum" file
// when asked to.
#ifndef KELPIE_OUTPUT_FILE_WRITER_H
#define KELPIE_OUTPUT_FILE_WRITER_H

#include <cstdint>
#include <string>

#include "kelpie/kelpie.h"

namespace kelpie {

class cFileWriter {
 public:
  // Opens directory + "\" + fileName (or fileName alone when the directory
  // is empty) through the job's store. A failed open leaves `closed` true;
  // the writer stays usable and its lines go to the store with handle 0.
  cFileWriter(const std::string& directory, const std::string& fileName, bool writeSummary);
  // Reports "File was not closed: " + path when Close was never called.
  ~cFileWriter();
  cFileWriter(const cFileWriter&) = delete;
  cFileWriter& operator=(const cFileWriter&) = delete;

  bool Close();

  // Whole lines; each adds the line ending. All return false.
  bool WriteLine(const std::string& text);
  bool WriteKeyNumber(const std::string& key, double value);
  bool WriteKeyText(const std::string& key, const std::string& value);
  bool WriteSpacedNumber(const std::string& keyword, double value);
  bool WriteSpacedText(const std::string& keyword, const std::string& text);

  // Lines built from fields. BeginLine refuses (true) while a line is pending.
  bool BeginLine(const std::string& text);
  bool Append(const std::string& text);
  bool AppendNumber(double value);
  bool AddField(const std::string& text);
  bool AddNumber(double value);
  bool EndLine(const std::string& text);

  // "RC x1+dx y1+dy x2-x1 y2-y1" and "CR xc yc radius".
  bool WriteRectangleRecord(double x1, double y1, double x2, double y2, double dx, double dy);
  bool WriteCircleRecord(double radius, double xc, double yc);

  bool closed = true;
  std::int32_t byteCount = 0;
  std::string directory;
  std::string fileName;
  std::string path;
  bool writeSummary = false;
  std::int32_t checksum = 0;
  std::string pending;
  FileHandle handle = 0;

 private:
  bool WriteSummary();
  // Hands one line, ending included, to the store and counts it.
  void Emit(std::string& line);
  std::string scratch_;
};

}  // namespace kelpie

#endif
