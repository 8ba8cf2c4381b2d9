// The studio's transport and timeline: stepping by rows and beats, scene
// changes from "scene.num", the loop span, the end of the show, and the
// mouse on the timeline.
#include "sync/sync_track.h"
#include "tools/studio/timeline.h"
#include "tools/studio/transport.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessaly::studio {
namespace {

constexpr double rps = 13.933333333333334;
constexpr double length = 81.5999984741211;

double atRow(double row) { return row / rps; }

TEST(Transport, StepsGoToTheNextWholeRowOrBeatAndStayInTheShow) {
  Transport transport(length, rps);
  transport.setRowsPerBeat(8);
  struct Case {
    const char* what;
    double from;
    int rows;  // 0: a beat step instead
    int beats;
    double toRow;
  };
  const std::vector<Case> cases = {
      {"on a row, one on", atRow(100), 1, 0, 101},
      {"on a row, one back", atRow(100), -1, 0, 99},
      {"between rows, on", atRow(100.4), 1, 0, 101},
      {"between rows, back", atRow(100.4), -1, 0, 100},
      {"three rows on", atRow(10), 3, 0, 13},
      {"beat on from a beat", atRow(16), 0, 1, 24},
      {"beat on from inside a beat", atRow(17.5), 0, 1, 24},
      {"beat back from inside a beat", atRow(17.5), 0, -1, 16},
      {"beat back from a beat", atRow(16), 0, -1, 8},
      {"back from the start stays at 0", 0.0, -1, 0, 0},
      {"beat back near the start", atRow(3), 0, -1, 0},
  };
  for (const Case& c : cases) {
    const double to =
        c.rows != 0 ? transport.stepRows(c.from, c.rows) : transport.stepBeats(c.from, c.beats);
    EXPECT_NEAR(to * rps, c.toRow, 1e-9) << c.what;
  }
  // A time read back from a row a hair below it still counts as on it.
  EXPECT_NEAR(transport.stepRows(atRow(50) - 1e-12, 1) * rps, 51.0, 1e-9);
  EXPECT_EQ(transport.stepRows(length - 0.01, 5), length) << "clamped at the end";
  transport.setRowsPerBeat(0);
  EXPECT_EQ(transport.rowsPerBeat(), 1);
}

TEST(Transport, SceneSpansAndChangesFollowTheKeysOfSceneNum) {
  // Scene 1 from row 0, a repeated value, 2 at 256, 3 at 512, 4 at 768, a
  // key past the end.
  const std::vector<sync::SyncKey> keys = {
      {.row = 0, .value = 1.0f},   {.row = 100, .value = 1.0f}, {.row = 256, .value = 2.0f},
      {.row = 512, .value = 3.0f}, {.row = 768, .value = 4.0f}, {.row = 5000, .value = 0.0f}};
  const double lastRow = length * rps;
  const std::vector<SceneSpan> spans = sceneSpans(keys, lastRow);
  ASSERT_EQ(spans.size(), 4u);
  EXPECT_EQ(spans[0].startRow, 0.0);
  EXPECT_EQ(spans[0].endRow, 256.0);
  EXPECT_EQ(spans[0].scene, 1.0f);
  EXPECT_EQ(spans[3].startRow, 768.0);
  EXPECT_EQ(spans[3].endRow, lastRow);
  EXPECT_EQ(spans[3].scene, 4.0f);
  EXPECT_EQ(sceneChangeRows(spans), (std::vector<double>{256, 512, 768}));

  // The track holds its first value before its first key.
  const std::vector<SceneSpan> late =
      sceneSpans({{.row = 40, .value = 2.0f}, {.row = 80, .value = 0.0f}}, 200);
  ASSERT_EQ(late.size(), 2u);
  EXPECT_EQ(late[0].scene, 2.0f);
  EXPECT_EQ(late[0].endRow, 80.0);
  const std::vector<SceneSpan> none = sceneSpans({}, 200);
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].scene, 0.0f);

  Transport transport(length, rps);
  transport.setSceneChanges(sceneChangeRows(spans));
  EXPECT_NEAR(transport.nextSceneChange(0.0) * rps, 256, 1e-9);
  EXPECT_NEAR(transport.nextSceneChange(atRow(256)) * rps, 512, 1e-9) << "on a change: the next";
  EXPECT_NEAR(transport.previousSceneChange(atRow(256)), 0.0, 1e-9)
      << "on a change: the one before";
  EXPECT_NEAR(transport.previousSceneChange(atRow(600)) * rps, 512, 1e-9);
  EXPECT_EQ(transport.nextSceneChange(atRow(800)), length) << "after the last: the end";
  EXPECT_EQ(transport.previousSceneChange(atRow(100)), 0.0);
}

TEST(Transport, TheLoopSpanPlaysRoundAndTheShowPausesOrLoopsAtItsEnd) {
  using Action = Transport::Next::Action;
  Transport transport(length, rps);
  EXPECT_EQ(transport.afterTick(40.0, false).action, Action::play);
  const Transport::Next end = transport.afterTick(length, false);
  EXPECT_EQ(end.action, Action::pause);
  EXPECT_EQ(end.seconds, length);
  const Transport::Next round = transport.afterTick(length + 0.2, true);
  EXPECT_EQ(round.action, Action::seek);
  EXPECT_EQ(round.seconds, 0.0);

  transport.setLoopIn(20.0);
  EXPECT_EQ(transport.loop().out, length) << "an in alone loops to the end";
  transport.setLoopOut(30.0);
  EXPECT_TRUE(transport.loop().active());
  EXPECT_EQ(transport.afterTick(29.9, false).action, Action::play);
  const Transport::Next back = transport.afterTick(30.0, false);
  EXPECT_EQ(back.action, Action::seek);
  EXPECT_EQ(back.seconds, 20.0);
  EXPECT_EQ(transport.afterTick(10.0, false).action, Action::play) << "before the span: plays on";

  transport.setLoopOut(5.0);
  EXPECT_EQ(transport.loop().in, 0.0) << "an out before the in moves the in to the start";
  transport.setLoopSpan(50.0, 45.0);
  EXPECT_EQ(transport.loop().in, 45.0);
  EXPECT_EQ(transport.loop().out, 50.0);
  transport.loop().on = false;
  EXPECT_EQ(transport.afterTick(50.0, false).action, Action::play) << "a span switched off";
  transport.setLoopSpan(-5.0, 500.0);
  EXPECT_EQ(transport.loop().in, 0.0);
  EXPECT_EQ(transport.loop().out, length);
}

TEST(Transport, SpeedsStepBetweenAQuarterAndTwice) {
  EXPECT_EQ(fasterSpeed(1.0), 1.25);
  EXPECT_EQ(slowerSpeed(1.0), 0.75);
  EXPECT_EQ(fasterSpeed(2.0), 2.0);
  EXPECT_EQ(slowerSpeed(0.25), 0.25);
  EXPECT_EQ(fasterSpeed(0.6), 0.75) << "from a speed set in the panel";
  EXPECT_EQ(slowerSpeed(0.6), 0.5);
}

TEST(Timeline, TimesAndPointsMapBothWaysAndTheMouseSeeksOrMarksTheLoop) {
  const Rect strip = timelineRect(1000.0f, 600.0f, 20.0f, 10.0f);
  EXPECT_EQ(strip.x, 10.0f);
  EXPECT_EQ(strip.width, 980.0f);
  EXPECT_EQ(strip.y, 570.0f);
  const TimelineGeometry geometry(strip, 98.0);
  EXPECT_EQ(geometry.xOf(0.0), 10.0f);
  EXPECT_EQ(geometry.xOf(98.0), 990.0f);
  EXPECT_EQ(geometry.xOf(49.0), 500.0f);
  EXPECT_EQ(geometry.xOf(-3.0), 10.0f);
  EXPECT_NEAR(geometry.secondsAt(500.0f), 49.0, 1e-6);
  EXPECT_EQ(geometry.secondsAt(0.0f), 0.0);
  EXPECT_EQ(geometry.secondsAt(2000.0f), 98.0);

  TimelineDrag drag;
  EXPECT_FALSE(drag.press(geometry, 500.0f, 100.0f, false, false).seek) << "above the strip";
  EXPECT_EQ(drag.kind(), TimelineDrag::Kind::none);
  EXPECT_FALSE(drag.move(geometry, 600.0f).seek) << "no drag, no seek";

  const auto press = drag.press(geometry, 500.0f, 580.0f, false, false);
  ASSERT_TRUE(press.seek);
  EXPECT_NEAR(*press.seek, 49.0, 1e-6);
  const auto scrub = drag.move(geometry, 990.0f);
  ASSERT_TRUE(scrub.seek) << "a drag scrubs wherever the pointer goes";
  EXPECT_NEAR(*scrub.seek, 98.0, 1e-6);
  drag.release();
  EXPECT_FALSE(drag.move(geometry, 300.0f).seek);

  for (const bool right : {true, false}) {
    const auto start = drag.press(geometry, 108.0f, 575.0f, right, !right);
    EXPECT_FALSE(start.seek) << "marking a span does not seek";
    EXPECT_FALSE(start.loop);
    const auto span = drag.move(geometry, 58.0f);
    ASSERT_TRUE(span.loop);
    EXPECT_NEAR(span.loop->first, 9.8, 1e-5);
    EXPECT_NEAR(span.loop->second, 4.8, 1e-5);
    drag.release();
  }
}

}  // namespace
}  // namespace tessaly::studio
