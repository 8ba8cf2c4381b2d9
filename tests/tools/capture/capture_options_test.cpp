#include "tools/capture/capture_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly::capture {
namespace {

ParseResult parse(std::vector<std::string> arguments) {
  return parseOptions(arguments);
}

TEST(CaptureOptions, DefaultsAre720pAt60FpsOverTheWholeShowWithMultisampling) {
  const ParseResult result = parse({"--video", "show.mp4"});
  ASSERT_EQ(result.error, "");
  const CaptureOptions& options = result.options;
  EXPECT_EQ(options.width, 1280);
  EXPECT_EQ(options.height, 720);
  EXPECT_EQ(options.fps, 60);
  EXPECT_EQ(options.from, 0.0);
  EXPECT_EQ(options.to, 81.6);
  EXPECT_TRUE(options.multisampling);
  EXPECT_EQ(options.mode, OutputMode::span);
  EXPECT_EQ(options.video, "show.mp4");
  EXPECT_TRUE(result.warnings.empty());
}

TEST(CaptureOptions, ReadsEveryOptionInBothSpellings) {
  const ParseResult result =
      parse({"--size", "640x360", "--fps=25", "--from", "1.5", "--to=10", "--no-multisampling",
             "--sheet", "s.png", "--columns", "3", "--count=9"});
  ASSERT_EQ(result.error, "");
  const CaptureOptions& options = result.options;
  EXPECT_EQ(options.width, 640);
  EXPECT_EQ(options.height, 360);
  EXPECT_EQ(options.fps, 25);
  EXPECT_EQ(options.from, 1.5);
  EXPECT_EQ(options.to, 10.0);
  EXPECT_FALSE(options.multisampling);
  EXPECT_EQ(options.mode, OutputMode::span);
  EXPECT_EQ(options.sheet, "s.png");
  EXPECT_EQ(options.columns, 3);
  EXPECT_EQ(options.count, 9);

  const ParseResult stills = parse({"--at", "0,12.5,81.6", "-o", "shot%02d.png"});
  ASSERT_EQ(stills.error, "");
  EXPECT_EQ(stills.options.stillTimes, (std::vector<double>{0.0, 12.5, 81.6}));
  EXPECT_EQ(stills.options.output, "shot%02d.png");

  EXPECT_TRUE(parse({"--help"}).options.help);
}

TEST(CaptureOptions, RejectsBadUsageWithAOneLineReason) {
  const std::vector<std::vector<std::string>> bad = {
      {},                                          // nothing to capture
      {"--size", "1280"},                          // no height
      {"--size", "0x720", "--video", "a.mp4"},     // empty picture
      {"--size", "99999x10", "--video", "a.mp4"},  // absurd
      {"--fps", "0", "--video", "a.mp4"},
      {"--fps", "29.97", "--video", "a.mp4"},
      {"--from", "-1", "--video", "a.mp4"},
      {"--from", "nan", "--video", "a.mp4"},
      {"--from", "5", "--to", "5", "--video", "a.mp4"},  // no frame in the span
      {"--at", "1,,2", "-o", "a%d.png"},
      {"--at", "1"},                      // no -o
      {"--at", "1,2", "-o", "same.png"},  // several stills, one name
      {"--at", "1", "-o", "bad%s.png"},
      {"--at", "1", "-o", "a.png", "--video", "b.mp4"},  // stills and a span
      {"--frames", "f/%d.png", "--at", "1", "-o", "a.png"},
      {"--at", "1", "-o", "a.bmp"},                       // a format not written
      {"--sheet", "s.tiff"},
      {"--frames", "f/frame.png"},                        // several frames, one name
      {"--frames", "f/%s.png"},
      {"--frames", "f/%05d.gif"},
      {"--at", "12x"},
      {"--at", "-5r", "-o", "a.png"},
      {"--at", "r", "-o", "a.png"},
      {"--from", "2000000r", "--video", "a.mp4"},        // more than a day
      {"--video", "a.mp4", "-o", "b.png"},
      {"--video", "a.mp4", "--count", "4"},  // sheet options without a sheet
      {"--sheet", "s.png", "--columns", "0"},
      {"--video"},  // no value
      {"--frobnicate"},
      {"--no-multisampling=1", "--video", "a.mp4"},
  };
  for (const auto& arguments : bad) {
    std::string line;
    for (const auto& argument : arguments) line += argument + " ";
    const ParseResult result = parse(arguments);
    EXPECT_FALSE(result.error.empty()) << line;
    EXPECT_EQ(result.error.find('\n'), std::string::npos) << line;
  }
}

// Times in seconds or in sync rows (836 a minute), pictures by their
// extension, outputs of one span together, and the warnings for times past
// the show's end at 81.6 s.
TEST(CaptureOptions, TimesRowsFormatsSpanOutputsAndWarnings) {
  EXPECT_DOUBLE_EQ(parseTime("120r").value_or(0), 120.0 * 60.0 / 836.0);
  EXPECT_EQ(parseTime("0r"), 0.0);
  EXPECT_EQ(parseTime("12.5"), 12.5);
  EXPECT_GT(parseTime("1137R").value_or(0), 81.6);  // the show ends at row 1136.96
  EXPECT_EQ(parseTime("r"), std::nullopt);
  EXPECT_EQ(parseTime("5 r"), std::nullopt);

  EXPECT_EQ(pictureFormat("a/b.JPG"), PictureFormat::jpeg);
  EXPECT_EQ(pictureFormat("b.jpeg"), PictureFormat::jpeg);
  EXPECT_EQ(pictureFormat("dir.jpg/b.png"), PictureFormat::png);
  EXPECT_EQ(pictureFormat("frame"), PictureFormat::png);
  EXPECT_EQ(pictureFormat(".hidden"), PictureFormat::png);
  EXPECT_EQ(pictureFormat("a.webp"), std::nullopt);

  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> warnings;  // each a part of the warning line
  };
  const std::vector<Case> cases = {
      {{"--at", "81.6,1136r", "-o", "a%d.jpg"}, {}},  // 1136 rows: 81.53 s
      {{"--at", "10,90,1200r", "-o", "a%d.png"},
       {"--at 90 s is past the show's end at 81.6 s", "--at 1200r (86.12 s) is past"}},
      {{"--video", "v.mp4", "--to", "100"}, {"--to 100 s is past the show's end"}},
      {{"--video", "v.mp4", "--from", "90", "--to", "95"}, {"--from 90 s is past"}},
      {{"--frames", "f/%05d.png", "--from", "10", "--to", "11"}, {}},
  };
  for (const Case& row : cases) {
    const ParseResult result = parse(row.arguments);
    ASSERT_EQ(result.error, "") << row.arguments[1];
    ASSERT_EQ(result.warnings.size(), row.warnings.size()) << row.arguments[1];
    for (std::size_t i = 0; i < row.warnings.size(); ++i) {
      EXPECT_NE(result.warnings[i].find(row.warnings[i]), std::string::npos) << result.warnings[i];
    }
  }

  // One span, three outputs; the rows given for it are seconds in the span.
  const ParseResult all = parse({"--video", "v.mp4", "--sheet", "s.jpg", "--frames",
                                 "out/%05d.png", "--from", "139.33333333333334r", "--to", "11"});
  ASSERT_EQ(all.error, "");
  EXPECT_EQ(all.options.mode, OutputMode::span);
  EXPECT_EQ(all.options.video, "v.mp4");
  EXPECT_EQ(all.options.sheet, "s.jpg");
  EXPECT_EQ(all.options.frames, "out/%05d.png");
  EXPECT_NEAR(all.options.from, 10.0, 1e-9);
  EXPECT_EQ(frameSpan(all.options.from, all.options.to, 60).firstFrame, 600);
  // One frame needs no number in its name.
  EXPECT_EQ(parse({"--frames", "one.png", "--from", "1", "--to", "1.01"}).error, "");
}

TEST(FrameSpan, FramesLieAtWholeMultiplesOfOneOverFps) {
  // The whole show at 60 fps: frames 0 to 4895, whatever 81.6 x 60 rounds to.
  EXPECT_EQ(frameSpan(0.0, 81.6, 60).firstFrame, 0);
  EXPECT_EQ(frameSpan(0.0, 81.6, 60).frameCount, 4896);
  // From 1 s to 1.5 s at 10 fps: frames 10 to 14.
  EXPECT_EQ(frameSpan(1.0, 1.5, 10).firstFrame, 10);
  EXPECT_EQ(frameSpan(1.0, 1.5, 10).frameCount, 5);
  // A start between frames begins at the next frame.
  EXPECT_EQ(frameSpan(1.01, 1.5, 10).firstFrame, 11);
  EXPECT_EQ(frameSpan(1.01, 1.5, 10).frameCount, 4);
  EXPECT_EQ(frameSpan(2.0, 2.0, 60).frameCount, 0);
  EXPECT_EQ(frameTime(90, 60), 1.5);
}

TEST(SheetFrames, SpreadsTheFramesOverTheSpanTakingTheMiddleOfEachShare) {
  EXPECT_EQ(sheetFrames({0, 4896}, 4), (std::vector<long>{612, 1836, 3060, 4284}));
  EXPECT_EQ(sheetFrames({100, 10}, 5), (std::vector<long>{101, 103, 105, 107, 109}));
  EXPECT_EQ(sheetFrames({7, 1}, 1), (std::vector<long>{7}));
}

TEST(StillFileName, NumbersFromOneWithPrintfStylePadding) {
  EXPECT_EQ(stillFileName("shot%d.png", 3, 4), "shot3.png");
  EXPECT_EQ(stillFileName("shot%03d.png", 7, 10), "shot007.png");
  EXPECT_EQ(stillFileName("shot%3d.png", 7, 10), "shot  7.png");
  EXPECT_EQ(stillFileName("100%%-%d.png", 2, 2), "100%-2.png");
  EXPECT_EQ(stillFileName("one.png", 1, 1), "one.png");
  EXPECT_EQ(stillFileName("one.png", 1, 2), std::nullopt);
  EXPECT_EQ(stillFileName("bad%x.png", 1, 1), std::nullopt);
  EXPECT_EQ(stillFileName("bad%", 1, 1), std::nullopt);
  EXPECT_EQ(stillFileName("wide%0999d.png", 1, 1), std::nullopt);
}

}  // namespace
}  // namespace tessaly::capture
