// The pictures of the sample board, written through the library and read
// back: every layer drawn, the sides in their colours and the view from
// below mirrored; the IDF board from above; the index page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "check_test_support.h"
#include "gallery.h"
#include "parse.h"
#include "read_job.h"
#include "render_board.h"
#include "render_idf.h"

namespace kelpie::check {
namespace {

using test::Scratch;

struct Rgb {
  int red;
  int green;
  int blue;
};

// The colour of the PNG's pixel at a point of the board.
Rgb PixelAt(const std::string& png, const View& view, reader::Point at) {
  cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
  EXPECT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS) << png;
  const cairo_matrix_t matrix = view.Matrix();
  cairo_matrix_transform_point(&matrix, &at.x, &at.y);
  const unsigned char* row =
      cairo_image_surface_get_data(image) + static_cast<int>(at.y) * cairo_image_surface_get_stride(image);
  std::uint32_t pixel = 0;
  std::memcpy(&pixel, row + 4 * static_cast<int>(at.x), 4);
  cairo_surface_destroy(image);
  return {static_cast<int>(pixel >> 16 & 255), static_cast<int>(pixel >> 8 & 255), static_cast<int>(pixel & 255)};
}

bool Gold(Rgb c) { return c.red > 170 && c.green > 140 && c.blue < 120; }
bool MaskGreen(Rgb c) { return c.green > c.red + 40 && c.green > c.blue + 40; }
bool Dark(Rgb c) { return c.red < 40 && c.green < 40 && c.blue < 40; }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The sample board's job, read back and drawn once for all the tests.
class SamplePictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new Scratch;
    const test::OdbJob written = test::WriteOdb(test::DescribeSampleBoard);
    const auto source = reader::MakeMemorySource("job", "job", written.files);
    reader::Problems problems;
    job_ = new reader::Job(reader::ReadJob(*source, problems));
    pictures_ = new std::vector<Picture>;
    std::string error;
    EXPECT_TRUE(RenderOdbJob(*job_, scratch_->path(), "sample", *pictures_, error)) << error;
  }
  static void TearDownTestSuite() {
    delete pictures_;
    delete job_;
    delete scratch_;
  }

  static const reader::Step& Step() { return job_->steps.at(0); }
  static const reader::Features& FeaturesOf(const std::string& layer) { return *Step().FindLayer(layer)->features; }
  static View ViewOf(bool fromBelow) {
    Box box;
    AddToBox(*Step().profile, box);
    return FitView(box, kPictureSize, fromBelow);
  }
  static std::string File(const std::string& path) { return scratch_->path() + "/" + path; }

  // The pads of a copper layer: drilled ones, and undrilled ones with an
  // opening of the mask above them.
  static void SortPads(const std::string& copper, const std::string& mask, std::vector<reader::Point>& bare,
                       std::vector<reader::Point>& drilled) {
    auto has = [](const std::string& layer, reader::Point at) {
      for (const reader::Feature& pad : FeaturesOf(layer).features) {
        if (pad.start.x == at.x && pad.start.y == at.y) return true;
      }
      return false;
    };
    for (const reader::Feature& pad : FeaturesOf(copper).features) {
      if (pad.kind != reader::FeatureKind::kPad) continue;
      if (has("drill", pad.start)) {
        drilled.push_back(pad.start);
      } else if (has(mask, pad.start)) {
        bare.push_back(pad.start);
      }
    }
  }

  static Scratch* scratch_;
  static reader::Job* job_;
  static std::vector<Picture>* pictures_;
};

Scratch* SamplePictures::scratch_ = nullptr;
reader::Job* SamplePictures::job_ = nullptr;
std::vector<Picture>* SamplePictures::pictures_ = nullptr;

TEST_F(SamplePictures, BothSidesThenEveryLayerAsPngAndSvg) {
  ASSERT_EQ(pictures_->size(), Step().layers.size() + 2);
  EXPECT_EQ((*pictures_)[0].png, "sample/top.png");
  EXPECT_EQ((*pictures_)[1].png, "sample/bottom.png");
  for (std::size_t i = 0; i < Step().layers.size(); ++i) {
    const Picture& picture = (*pictures_)[i + 2];
    EXPECT_EQ(picture.title, Step().layers[i].name);
    EXPECT_EQ(picture.png, "sample/layers/" + Step().layers[i].name + ".png");
    const std::string svg = ReadText(File(picture.svg));
    EXPECT_TRUE(svg.starts_with("<?xml")) << picture.svg;
    EXPECT_TRUE(svg.ends_with("</svg>\n")) << picture.svg;
  }
  for (const Picture& picture : *pictures_) {
    cairo_surface_t* image = cairo_image_surface_create_from_png(File(picture.png).c_str());
    EXPECT_EQ(cairo_image_surface_get_width(image), kPictureSize) << picture.png;
    cairo_surface_destroy(image);
  }
  EXPECT_EQ((*pictures_)[2].kind, "COMPONENT layer");
  EXPECT_EQ((*pictures_)[2].counts, "0 pads, 0 lines, 0 arcs, 0 surfaces, 15 components");
  EXPECT_EQ((*pictures_)[0].counts, "copper top; mask mask_top; silk silk_top; drill drill");
  EXPECT_EQ((*pictures_)[1].counts, "copper bottom; mask mask_bottom; silk silk_bottom; drill drill");
}

TEST_F(SamplePictures, TopSideShowsBarePadsAndHoles) {
  std::vector<reader::Point> bare;
  std::vector<reader::Point> drilled;
  SortPads("top", "mask_top", bare, drilled);
  ASSERT_GT(bare.size(), 20u);
  ASSERT_GT(drilled.size(), 10u);
  const View view = ViewOf(false);
  for (const reader::Point& pad : bare) EXPECT_TRUE(Gold(PixelAt(File("sample/top.png"), view, pad))) << pad.x << " " << pad.y;
  for (const reader::Point& hole : drilled) EXPECT_TRUE(Dark(PixelAt(File("sample/top.png"), view, hole))) << hole.x << " " << hole.y;
  EXPECT_TRUE(MaskGreen(PixelAt(File("sample/top.png"), view, {1.0, 1.8})));
  // A trace under the mask is not bare: the middle of the longest line.
  const reader::Feature* longest = nullptr;
  auto length = [](const reader::Feature& line) { return std::hypot(line.end.x - line.start.x, line.end.y - line.start.y); };
  for (const reader::Feature& line : FeaturesOf("top").features) {
    if (line.kind == reader::FeatureKind::kLine && (longest == nullptr || length(line) > length(*longest))) longest = &line;
  }
  ASSERT_NE(longest, nullptr);
  const reader::Point middle{(longest->start.x + longest->end.x) / 2, (longest->start.y + longest->end.y) / 2};
  const Rgb trace = PixelAt(File("sample/top.png"), view, middle);
  EXPECT_FALSE(Gold(trace));
  EXPECT_GT(trace.green, trace.red);
  // Outside the board's chamfered corner.
  EXPECT_TRUE(Dark(PixelAt(File("sample/top.png"), view, {0.03, 1.97})));
}

TEST_F(SamplePictures, BottomSideIsSeenFromBelow) {
  std::vector<reader::Point> bare;
  std::vector<reader::Point> drilled;
  SortPads("bottom", "mask_bottom", bare, drilled);
  ASSERT_GT(bare.size(), 10u);
  std::size_t unmirrored = 0;
  for (const reader::Point& pad : bare) {
    EXPECT_TRUE(Gold(PixelAt(File("sample/bottom.png"), ViewOf(true), pad))) << pad.x << " " << pad.y;
    unmirrored += Gold(PixelAt(File("sample/bottom.png"), ViewOf(false), pad)) ? 1 : 0;
  }
  EXPECT_LT(unmirrored, bare.size() / 2);
  // The chamfered corner is at the top left seen from above, at the top right from below.
  EXPECT_TRUE(Dark(PixelAt(File("sample/bottom.png"), ViewOf(true), {0.03, 1.97})));
  EXPECT_FALSE(Dark(PixelAt(File("sample/bottom.png"), ViewOf(true), {2.97, 1.97})));
}

TEST(IdfPicture, OutlineHolesAndPlacements) {
  const test::IdfFiles files = test::WriteIdf(test::DescribeSampleBoard);
  reader::Problems problems;
  reader::IdfJob job = reader::ParseIdf(files.board, "job.emn", files.library, "job.emp", problems);
  const Scratch scratch;
  std::vector<Picture> pictures;
  std::string error;
  ASSERT_TRUE(RenderIdfJob(job, scratch.path(), "idf", pictures, error)) << error;
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].counts,
            "1 outline loop, 19 holes, 21 placements (15 top, 6 bottom), 21 library packages");
  Box box;
  for (const reader::IdfLoopPoint& point : job.board.outline->points) box.Add(point.at);
  const View view = FitView(box, kPictureSize, false);
  const std::string png = scratch.path() + "/idf/top.png";
  EXPECT_TRUE(Dark(PixelAt(png, view, {3.81, 3.81})));    // a mounting hole
  const Rgb board = PixelAt(png, view, {10, 30});
  EXPECT_TRUE(MaskGreen(board));
  const Rgb u1 = PixelAt(png, view, {30, 24});  // inside U1's outline, on top
  EXPECT_GT(u1.blue, board.blue + 60);

  // Outlines turn counter-clockwise with their placement: U2's, moved 6 mm
  // to the right of its origin, lands above U2 (turned by 90).
  for (reader::IdfPackage& package : job.library.packages) {
    if (package.geometry != "SENSOR") continue;
    for (reader::IdfLoopPoint& point : package.outline) point.at.x += 6;
  }
  ASSERT_TRUE(RenderIdfJob(job, scratch.path(), "idf", pictures, error)) << error;
  EXPECT_GT(PixelAt(png, view, {53.34, 42.83}).blue, board.blue + 60);
  EXPECT_LT(PixelAt(png, view, {53.34, 30.83}).blue, board.blue + 20);

  // Placements whose package the library lacks are marked red.
  job.library.packages.clear();
  pictures.clear();
  ASSERT_TRUE(RenderIdfJob(job, scratch.path(), "idf", pictures, error)) << error;
  EXPECT_TRUE(pictures[0].counts.ends_with("0 library packages, 21 placements without a package (red)"));
  const Rgb marked = PixelAt(png, view, {33.02, 25.4});
  EXPECT_GT(marked.red, 200);
  EXPECT_LT(marked.green, 100);
}

TEST(IndexPage, ListsEveryJobWithItsResultsAndPictures) {
  const Scratch scratch;
  Gallery gallery(scratch / "pictures");
  reader::Problems problems;
  problems.Add("job/steps/pcb/layers/top/features", 12, "symbol 7 is not in the table (<3 entries>)");
  const test::OdbJob written = test::WriteOdb(test::DescribeSampleBoard);
  const auto source = reader::MakeMemorySource("job", "job", written.files);
  reader::Problems read;
  const reader::Job job = reader::ReadJob(*source, read);
  std::string error;
  ASSERT_TRUE(gallery.AddOdb("out/kelpie-sample.tgz", job, "1 step", problems, error)) << error;
  ASSERT_TRUE(gallery.AddOdb("out/kelpie-sample", job, "1 step", reader::Problems(), error)) << error;
  gallery.AddUnreadable("missing.zip", "cannot open missing.zip");
  ASSERT_TRUE(gallery.Finish(error)) << error;

  const std::string page = ReadText(scratch / "pictures/index.html");
  EXPECT_NE(page.find("job/steps/pcb/layers/top/features:12: symbol 7 is not in the table (&lt;3 entries&gt;)"),
            std::string::npos);
  EXPECT_NE(page.find("1 problem found:"), std::string::npos);
  EXPECT_NE(page.find("Every check passed."), std::string::npos);
  EXPECT_NE(page.find("cannot open missing.zip"), std::string::npos);
  // Three jobs, two verdicts: the unreadable job has none.
  std::size_t verdicts = 0;
  for (std::size_t at = page.find("verdict"); at != std::string::npos; at = page.find("verdict", at + 1)) ++verdicts;
  EXPECT_EQ(verdicts, 2u);
  // Each job in its own folder; every picture linked relative to the page.
  for (const JobReport& report : gallery.jobs()) {
    for (const Picture& picture : report.pictures) {
      EXPECT_NE(page.find("src=\"" + PathUrl(picture.png) + "\""), std::string::npos) << picture.png;
      EXPECT_TRUE(std::filesystem::exists(scratch / ("pictures/" + picture.png))) << picture.png;
    }
  }
  EXPECT_NE(page.find("src=\"kelpie-sample.tgz/top.png\""), std::string::npos);
  EXPECT_NE(page.find("src=\"kelpie-sample/layers/comp_%2B_top.png\""), std::string::npos);
  EXPECT_EQ(page.find("src=\"/"), std::string::npos);
}

}  // namespace
}  // namespace kelpie::check
