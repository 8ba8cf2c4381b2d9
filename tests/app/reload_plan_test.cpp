// Which reload a changed path calls for, how the queue waits for files to be
// written out, and how shader logs come to name their files.
#include "app/reload_plan.h"

#include "app/show_reload.h"

#include <gtest/gtest.h>

namespace tessaly::app {
namespace {

using Clock = ReloadQueue::Clock;
using std::chrono::milliseconds;

TEST(ReloadPlan, EachChangedPathMapsToItsReloadOrToNone) {
  struct Case {
    const char* path;
    std::optional<ReloadTarget> target;
    const char* file;  // reloadFileOf(target)
  };
  const Case cases[] = {
      {"Shaders/Overlay.frag", ReloadTarget{ReloadKind::shaderPair, "Overlay"},
       "Data/Shaders/Overlay.frag"},
      {"Shaders/Filters.vert", ReloadTarget{ReloadKind::shaderPair, "Filters"},
       "Data/Shaders/Filters.frag"},
      {"Textures/Wall.PNG", ReloadTarget{ReloadKind::picture, "Textures/Wall.PNG"},
       "Data/Textures/Wall.PNG"},
      {"Loading.jpg", ReloadTarget{ReloadKind::rootPicture, "Loading.jpg"}, "Data/Loading.jpg"},
      {"Models/Stang.obj", ReloadTarget{ReloadKind::model, "Models/Stang.obj"},
       "Data/Models/Stang.obj"},
      {"Models/Stang.mtl", ReloadTarget{ReloadKind::materialLibrary, "Stang.mtl"},
       "Data/Models/Stang.mtl"},
      {"Maya/Light1.ma", ReloadTarget{ReloadKind::mayaScene, "Maya"}, "Data/Maya/"},
      {"Maya/Cam.MA", ReloadTarget{ReloadKind::mayaScene, "Maya"}, "Data/Maya/"},
      {"Rocket/sync_scene.num.track", ReloadTarget{ReloadKind::track, "scene.num"},
       "Data/Rocket/sync_scene.num.track"},
      {"Sound/KestruneOriginalSoundtrack.mp3",
       ReloadTarget{ReloadKind::soundtrack, "Sound/KestruneOriginalSoundtrack.mp3"},
       "Data/Sound/KestruneOriginalSoundtrack.mp3"},
      // What the show never reads: editors' side files, subfolders the
      // listing does not enter, names that are only an extension.
      {"Shaders/.Overlay.frag.swp", std::nullopt, ""},
      {"Shaders/.frag", std::nullopt, ""},
      {"Shaders/old/Overlay.frag", std::nullopt, ""},
      {"Textures/sub/Wall.png", std::nullopt, ""},
      {"Textures/notes.txt", std::nullopt, ""},
      {"Models/Stang.obj~", std::nullopt, ""},
      {"Rocket/sync_.track", std::nullopt, ""},
      {"Rocket/scene.num.track", std::nullopt, ""},
      {"Sound/other.mp3", std::nullopt, ""},
      {"LICENSE", std::nullopt, ""},
      {"Shaders", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::optional<ReloadTarget> target = reloadTargetOf(c.path);
    ASSERT_EQ(target.has_value(), c.target.has_value());
    if (target) {
      EXPECT_EQ(target->kind, c.target->kind);
      EXPECT_EQ(target->key, c.target->key);
      EXPECT_EQ(reloadFileOf(*target), c.file);
    }
  }
}

TEST(ReloadQueue, WaitsForQuietUnlessTheWriteIsFinishedAndCoalescesPerTarget) {
  ReloadQueue queue;
  const Clock::time_point t0{};
  const ReloadTarget frag{ReloadKind::shaderPair, "Model"};
  const ReloadTarget track{ReloadKind::track, "scene.num"};
  const ReloadTarget picture{ReloadKind::picture, "Textures/A.png"};

  // Writes in progress wait for settleTime of quiet; more writes push it on.
  queue.note(frag, false, t0);
  queue.note(track, false, t0 + milliseconds(10));
  queue.note(frag, false, t0 + milliseconds(100));
  EXPECT_TRUE(queue.takeDue(t0 + milliseconds(200), 10).size() == 1);  // the track only
  EXPECT_EQ(queue.size(), 1u);
  EXPECT_TRUE(queue.takeDue(t0 + milliseconds(249), 10).empty());
  auto due = queue.takeDue(t0 + settleTime + milliseconds(100), 10);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0], frag);
  EXPECT_TRUE(queue.empty());

  // A finished write (closed, or renamed into place) is due at once, and
  // many changes to one file are one reload, in first-arrival order.
  queue.note(picture, false, t0);
  queue.note(frag, true, t0);
  for (int i = 0; i < 1000; ++i) {
    queue.note(picture, i % 2 == 0, t0);
  }
  queue.note(picture, true, t0);
  EXPECT_EQ(queue.size(), 2u);
  due = queue.takeDue(t0, 1);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0], picture);
  due = queue.takeDue(t0, 1);
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0], frag);

  // A flood of distinct files stays one entry each.
  for (int i = 0; i < 10000; ++i) {
    queue.note({ReloadKind::picture, "Textures/" + std::to_string(i) + ".png"}, true, t0);
    queue.note({ReloadKind::picture, "Textures/" + std::to_string(i) + ".png"}, true, t0);
  }
  EXPECT_EQ(queue.size(), 10000u);
  EXPECT_EQ(queue.takeDue(t0, 20000).size(), 10000u);
}

TEST(ShaderLog, DriverLinesNameTheFileAndLineOtherLinesStay) {
  const std::string log =
      "Data/Shaders/Model.frag: shader compile failed\n"
      "0:12(5): error: `broken' undeclared\n"
      "0:3(1): warning: unused\n"
      "\n"
      "Data/Shaders/Model.vert + Data/Shaders/Model.frag: program link failed\n"
      "0:1(1): error: linking failed\n";
  EXPECT_EQ(describeShaderLog(log),
            "Data/Shaders/Model.frag:12:5: error: `broken' undeclared\n"
            "Data/Shaders/Model.frag:3:1: warning: unused\n"
            "Data/Shaders/Model.vert + Data/Shaders/Model.frag: program link failed\n"
            "0:1(1): error: linking failed");
  EXPECT_EQ(describeShaderLog(""), "");
}

}  // namespace
}  // namespace tessaly::app
