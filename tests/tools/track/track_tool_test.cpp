// tessaly-track as a script uses it: export a production track, import the
// text (edited or not) into a file, and bad command lines or text refused
// with nothing written.
#include "tools/track/track_tool.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace tessaly::track {
namespace {

// Runs the tool; its exit status, standard output and standard error.
struct ToolRun {
  int status = 0;
  std::string out;
  std::string err;
};

std::string contentOf(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file)) {
    text.append(buffer, n);
  }
  std::fclose(file);
  return text;
}

ToolRun run(std::vector<std::string> arguments) {
  std::vector<const char*> argv{"tessaly-track"};
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  ToolRun result;
  result.status = runTrackTool(static_cast<int>(argv.size()), argv.data(), out, err);
  result.out = contentOf(out);
  result.err = contentOf(err);
  return result;
}

TEST(TrackTool, ExportImportRoundTripsAndAnEditedTextChangesTheTrack) {
  test::TempDir dir;
  const std::string production = TESSALY_BINARY_DIR "/Data/Rocket/sync_scene.alpha.track";
  const ToolRun exported = run({"export", production});
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.out.rfind("# Tessaly sync track", 0), 0u);
  const std::string text = dir.write("scene.alpha.txt", exported.out);

  const std::string copy = dir.file("sync_scene.alpha.track");
  const ToolRun imported = run({"import", text, copy});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.err, "");
  EXPECT_EQ(test::readFile(copy), test::readFile(production));

  // A fade moved: the first key's row changed in the text.
  const std::size_t firstKey = exported.out.find('\n') + 1;
  const std::size_t space = exported.out.find(' ', firstKey);
  std::string edited = exported.out;
  edited.replace(firstKey, space - firstKey, "3");
  dir.write("scene.alpha.txt", edited);
  ASSERT_EQ(run({"import", text, copy}).status, 0);
  EXPECT_NE(test::readFile(copy), test::readFile(production));
  EXPECT_EQ(run({"export", copy}).out, edited);
}

TEST(TrackTool, BadTextAndBadCommandLinesWriteNothing) {
  test::TempDir dir;
  const std::string track = dir.write("sync_fov.track", "keep");
  const std::string text = dir.write("fov.txt", "0 45 step\n120 60 wobble\n");
  const ToolRun bad = run({"import", text, track});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find(text + ":2: \"wobble\" is not an interpolation"), std::string::npos)
      << bad.err;
  EXPECT_NE(bad.err.find(track + " not written"), std::string::npos) << bad.err;
  EXPECT_EQ(test::readFile(track), "keep");

  const ToolRun missing = run({"export", dir.file("absent.track")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot read " + dir.file("absent.track")), std::string::npos);

  const ToolRun unwritable = run({"import", dir.write("ok.txt", "0 1 step\n"), dir.file("no/such.track")});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write " + dir.file("no/such.track")), std::string::npos);

  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{}, {"export"}, {"import", text}, {"convert", track}}) {
    const ToolRun usage = run(wrong);
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("Usage: tessaly-track"), std::string::npos);
  }
  EXPECT_EQ(run({"--help"}).status, 0);
  EXPECT_EQ(test::readFile(track), "keep");
}

}  // namespace
}  // namespace tessaly::track
