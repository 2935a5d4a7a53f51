// Hostile input never crashes or hangs the reader: members that leave the
// job, a zip bomb, a huge declared size, deep nesting, truncated and garbage
// archives and files. Archives that refuse are unreadable input; damaged
// files inside a readable job are problems.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "check_test_support.h"

namespace kelpie::check::test {
namespace {

struct Member {
  std::string name;
  std::string bytes;
  bool directory = false;
};

// Writes a .tgz (or a .zip) holding the members.
void WriteArchive(const std::string& path, const std::vector<Member>& members) {
  archive* writer = archive_write_new();
  if (path.ends_with(".zip")) {
    archive_write_set_format_zip(writer);
  } else {
    archive_write_set_format_pax_restricted(writer);
    archive_write_add_filter_gzip(writer);
  }
  ASSERT_EQ(archive_write_open_filename(writer, path.c_str()), ARCHIVE_OK);
  for (const Member& member : members) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, member.name.c_str());
    archive_entry_set_filetype(entry, member.directory ? AE_IFDIR : AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(member.bytes.size()));
    archive_write_header(writer, entry);
    archive_write_data(writer, member.bytes.data(), member.bytes.size());
    archive_entry_free(entry);
  }
  archive_write_close(writer);
  archive_write_free(writer);
}

// A tar whose one member declares 8 GiB and holds nothing: the header by
// hand, since no writer would produce it.
std::string HugeDeclaredTar() {
  std::string header(512, '\0');
  auto put = [&](std::size_t at, const std::string& text) { header.replace(at, text.size(), text); };
  put(0, "job/steps/pcb/layers/top/features");
  put(100, "0000644");
  put(108, "0000000");
  put(116, "0000000");
  put(124, "77777777777");  // size, octal
  put(136, "00000000000");
  put(148, "        ");  // the checksum counts its own field as blanks
  put(156, "0");
  put(257, "ustar");
  put(263, "00");
  unsigned sum = 0;
  for (char c : header) sum += static_cast<unsigned char>(c);
  char checksum[8];
  std::snprintf(checksum, sizeof checksum, "%06o", sum);
  put(148, std::string(checksum, 6) + std::string("\0 ", 2));
  return header + std::string(1024, '\0');
}

std::string OpenError(const std::string& path, const reader::SourceLimits& limits = {}) {
  std::string error;
  const std::unique_ptr<reader::Source> source = reader::OpenSource(path, limits, error);
  EXPECT_EQ(source, nullptr) << path;
  return error;
}

TEST(BadInput, ArchivesThatReachOutOfTheJobAreRefused) {
  const Scratch scratch;
  const struct {
    const char* file;
    std::vector<Member> members;
    const char* says;
  } cases[] = {
      {"dots.tgz", {{"job/matrix/matrix", "x"}, {"job/../../escape", "x"}}, "leads out of the job with '..'"},
      {"absolute.zip", {{"/etc/kelpie", "x"}}, "has an absolute path"},
      {"two-tops.tgz", {{"job/matrix/matrix", "x"}, {"other/misc/info", "x"}}, "lies outside the top folder job/"},
      {"deep.zip", {{"job/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/p/q/r/s/t/u/v/w/x/y/z/features", "x"}}, "levels deep"},
      {"empty.tgz", {}, "an empty archive"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.file);
    WriteArchive(scratch / each.file, each.members);
    EXPECT_NE(OpenError(scratch / each.file).find(each.says), std::string::npos);
  }
}

TEST(BadInput, ZipBombStopsAtTheCap) {
  const Scratch scratch;
  WriteArchive(scratch / "bomb.zip", {{"job/steps/pcb/layers/top/features", std::string(8 << 20, '0')}});
  reader::SourceLimits limits;
  limits.totalBytes = 1 << 20;
  EXPECT_EQ(OpenError(scratch / "bomb.zip", limits),
            scratch / "bomb.zip" + " unpacks to more than 1 MiB (the cap on decompressed size); not read");
}

TEST(BadInput, HugeDeclaredSizeIsRefusedBeforeReading) {
  const Scratch scratch;
  WriteFile(scratch / "huge.tar", HugeDeclaredTar());
  EXPECT_EQ(OpenError(scratch / "huge.tar"), scratch / "huge.tar" +
                                                 "/job/steps/pcb/layers/top/features: declares 8589934591 bytes, more "
                                                 "than the cap of 1 GiB");
}

TEST(BadInput, DeepDirectoriesAreRefused) {
  const Scratch scratch;
  std::string deep = scratch / "job";
  for (int level = 0; level < 30; ++level) deep += "/d";
  WriteFile(deep + "/features", "x");
  EXPECT_NE(OpenError(scratch / "job").find("nested more than 24 levels deep (the cap)"), std::string::npos);
}

TEST(BadInput, TruncatedAndGarbageArchivesAreUnreadable) {
  const Scratch scratch;
  const OdbJob sample = WriteOdb(DescribeSampleBoard);
  std::vector<Member> members;
  for (const auto& [path, bytes] : sample.files) members.push_back({"job/" + path, bytes});
  WriteArchive(scratch / "whole.tgz", members);
  std::FILE* whole = std::fopen((scratch / "whole.tgz").c_str(), "rb");
  ASSERT_NE(whole, nullptr);
  std::string bytes(1 << 20, '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), whole));
  std::fclose(whole);
  WriteFile(scratch / "truncated.tgz", bytes.substr(0, bytes.size() / 2));
  std::mt19937 random(10);
  std::string garbage(4096, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  WriteFile(scratch / "garbage.zip", garbage);
  EXPECT_FALSE(OpenError(scratch / "truncated.tgz").empty());
  EXPECT_FALSE(OpenError(scratch / "garbage.zip").empty());
}

// Damaged files inside a job that opens: every file that is checked (it has
// a .sum companion, or it is EDA data or a components file) gives problems
// when it is cut short or overwritten with garbage, and nothing crashes.
// (Fonts, misc files and the step's attrlist are free text to the reader.)
TEST(BadInput, DamagedFilesAreProblemsNotCrashes) {
  const OdbJob sample = WriteOdb(DescribeSampleBoard);
  std::mt19937 random(20);
  for (const auto& [path, bytes] : sample.files) {
    const std::size_t slash = path.rfind('/');
    const std::string summary = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".sum";
    const bool checked = sample.files.count(summary) != 0 || path.ends_with("/data") || path.ends_with("/components");
    if (!checked) continue;
    SCOPED_TRACE(path);
    Files truncated = sample.files;
    truncated[path].resize(bytes.size() / 3);
    EXPECT_FALSE(CheckOdb(truncated).empty());
    Files garbage = sample.files;
    for (char& c : garbage[path]) c = static_cast<char>(random());
    EXPECT_FALSE(CheckOdb(garbage).empty());
  }
}

}  // namespace
}  // namespace kelpie::check::test
