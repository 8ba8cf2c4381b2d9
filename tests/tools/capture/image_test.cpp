#include "tools/capture/image.h"
#include "tests/support/temp_dir.h"
#include "tools/capture/contact_sheet.h"
#include "tools/capture/progress.h"
#include "tools/capture/video_encoder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

namespace tessaly::capture {
namespace {

Image gradient(int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.pixel(x, y);
      p[0] = static_cast<std::uint8_t>(x * 10);
      p[1] = static_cast<std::uint8_t>(y * 10);
      p[2] = 7;
      p[3] = 255;
    }
  }
  return image;
}

TEST(CaptureImage, FlipReversesTheRows) {
  Image image = gradient(3, 5);
  flipRows(image);
  EXPECT_EQ(image.pixel(2, 0)[1], 40);
  EXPECT_EQ(image.pixel(2, 4)[1], 0);
  EXPECT_EQ(image.pixel(1, 2)[1], 20);  // the middle row stays
}

TEST(CaptureImage, ShrinkAveragesBlocksAndDropsTheRemainder) {
  const Image image = gradient(5, 4);
  const Image half = shrink(image, 2);
  ASSERT_EQ(half.width, 2);
  ASSERT_EQ(half.height, 2);
  // Block (0..1, 2..3): red (0 + 10) / 2 = 5, green (20 + 30) / 2 = 25.
  EXPECT_EQ(half.pixel(0, 1)[0], 5);
  EXPECT_EQ(half.pixel(0, 1)[1], 25);
  EXPECT_EQ(half.pixel(1, 0)[0], 25);
  EXPECT_EQ(shrink(image, 1).rgba, image.rgba);
}

TEST(CaptureImage, PasteAndFillAreClippedToThePicture) {
  Image target(4, 4);
  const Image source = gradient(3, 3);
  paste(target, source, 2, -1);
  EXPECT_EQ(target.pixel(2, 0)[1], 10);  // source row 1
  EXPECT_EQ(target.pixel(3, 1)[0], 10);  // source column 1
  EXPECT_EQ(target.pixel(1, 0)[3], 0);   // left of the paste: untouched
  const std::uint8_t white[4] = {255, 255, 255, 255};
  fillRect(target, -5, 3, 100, 100, white);
  EXPECT_EQ(target.pixel(0, 3)[0], 255);
  EXPECT_EQ(target.pixel(3, 3)[0], 255);
  EXPECT_EQ(target.pixel(0, 2)[0], 0);
}

TEST(CaptureFont, DrawsGlyphsCellByCellAtTheirScale) {
  Image image(40, 20);
  const std::uint8_t white[4] = {255, 255, 255, 255};
  drawText(image, "1.", 2, 3, 2, white);
  // The '1' has its stem in the middle column, two font pixels wide each.
  EXPECT_EQ(image.pixel(2 + 2 * 2, 3 + 2 * 1)[0], 255);
  EXPECT_EQ(image.pixel(2, 3 + 2 * 1)[0], 0);
  // Its foot spans columns 1 to 3 of the bottom row.
  EXPECT_EQ(image.pixel(2 + 2 * 1, 3 + 2 * 6)[0], 255);
  // The '.' starts one cell (6 font pixels) further right, in rows 5 and 6.
  EXPECT_EQ(image.pixel(2 + 12 + 2 * 2, 3 + 2 * 5)[0], 255);
  EXPECT_EQ(image.pixel(2 + 12 + 2 * 2, 3 + 2 * 4)[0], 0);
  EXPECT_EQ(textWidth("1.", 2), (2 * 6 - 1) * 2);
  EXPECT_EQ(textWidth("", 3), 0);
  // Unknown characters leave their cell blank.
  Image blank(20, 10);
  drawText(blank, "?~", 0, 0, 1, white);
  EXPECT_TRUE(std::all_of(blank.rgba.begin(), blank.rgba.end(), [](auto v) { return v == 0; }));
}

TEST(ContactSheet, PlacesThumbnailsRowByRowWithTheirTimeUnderneath) {
  EXPECT_EQ(sheetShrinkFactor(1280), 3);
  EXPECT_EQ(sheetShrinkFactor(1920), 4);
  EXPECT_EQ(sheetShrinkFactor(480), 1);
  EXPECT_EQ(sheetShrinkFactor(200), 1);
  EXPECT_EQ(timeLabel(12.345), "12.35 s");
  EXPECT_EQ(timeLabel(0.0), "0.00 s");

  ContactSheet sheet(3, 2, 30, 20);
  const Image& image = sheet.image();
  EXPECT_EQ(image.width, 8 + 2 * (30 + 8));
  EXPECT_EQ(image.height, 8 + 2 * (20 + ContactSheet::labelHeight + 8));
  Image red(30, 20);
  for (std::size_t i = 0; i < red.rgba.size(); i += 4) red.rgba[i] = red.rgba[i + 3] = 255;
  sheet.place(2, red, "1.00 s");
  // Third thumbnail: first column, second row.
  const int top = 8 + 20 + ContactSheet::labelHeight + 8;
  EXPECT_EQ(image.pixel(8, top)[0], 255);
  EXPECT_EQ(image.pixel(8 + 29, top + 19)[0], 255);
  EXPECT_NE(image.pixel(8 + 30, top)[0], 255);
  // The label is written in the strip below it.
  bool labelled = false;
  for (int y = top + 20; y < top + 20 + ContactSheet::labelHeight; ++y) {
    for (int x = 8; x < 8 + 30; ++x) labelled = labelled || image.pixel(x, y)[0] > 200;
  }
  EXPECT_TRUE(labelled);
}

TEST(CaptureProgress, ShowsTheBarCountsRateAndTimeLeft) {
  EXPECT_EQ(formatProgress(0, 100, 0.0), "[........................]  0/100  -- fps  -- left");
  EXPECT_EQ(formatProgress(50, 100, 2.0),
            "[############............]  50/100  25.0 fps  0:02 left");
  EXPECT_EQ(formatProgress(10, 4896, 1.0),
            "[........................]  10/4896  10.0 fps  8:09 left");
  EXPECT_NE(formatProgress(1, 36001, 1.0).find("  1.0 fps  10:00:00 left"), std::string::npos);
  EXPECT_EQ(formatProgress(100, 100, 4.0).substr(0, 26), "[########################]");
}

TEST(VideoEncoder, AsksFfmpegForH264WithTheSoundOfTheCapturedSpan) {
  VideoSettings settings;
  settings.output = "out.mp4";
  settings.width = 321;
  settings.height = 181;
  settings.fps = 30;
  settings.soundtrack = "Data/Sound/KestruneOriginalSoundtrack.mp3";
  settings.audioStart = 20.0;
  settings.duration = 0.5;
  const std::vector<std::string> args = ffmpegArguments(settings);
  const auto has = [&](std::vector<std::string> run) {
    return std::search(args.begin(), args.end(), run.begin(), run.end()) != args.end();
  };
  EXPECT_TRUE(has({"-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", "321x181", "-framerate",
                   "30", "-i", "pipe:0"}));
  EXPECT_TRUE(has(
      {"-ss", "20.000000", "-t", "0.500000", "-i", "Data/Sound/KestruneOriginalSoundtrack.mp3"}));
  EXPECT_TRUE(has({"-map", "0:v"}));
  EXPECT_TRUE(has({"-map", "1:a"}));
  EXPECT_TRUE(has({"-c:v", "libx264"}));
  EXPECT_EQ(args.back(), "out.mp4");

  settings.soundtrack.clear();
  const std::vector<std::string> silent = ffmpegArguments(settings);
  EXPECT_EQ(std::find(silent.begin(), silent.end(), "1:a"), silent.end());
  EXPECT_EQ(std::find(silent.begin(), silent.end(), "-ss"), silent.end());
}

TEST(FindOnPath, FindsExecutableFilesOnly) {
  test::TempDir dir;
  const std::string tool = dir.write("bin/tool", "#!/bin/sh\n");
  chmod(tool.c_str(), 0755);
  dir.write("bin/plain", "data");
  const char* old = std::getenv("PATH");
  const std::string saved = old != nullptr ? old : "";
  setenv("PATH", ("/nonexistent:" + dir.file("bin")).c_str(), 1);
  EXPECT_EQ(findOnPath("tool"), tool);
  EXPECT_EQ(findOnPath("plain"), std::nullopt);
  EXPECT_EQ(findOnPath("bin"), std::nullopt);
  EXPECT_EQ(findOnPath("missing"), std::nullopt);
  setenv("PATH", saved.c_str(), 1);
}

}  // namespace
}  // namespace tessaly::capture
