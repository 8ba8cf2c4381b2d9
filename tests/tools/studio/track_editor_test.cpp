// The track editor's model without a window: edits and their undo, block
// operations, the save and what the editor makes of files changed on disk.
#include "tools/studio/track_editor.h"

#include "sync/track_text.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace tessaly::studio {
namespace {

using sync::KeyType;
using sync::SyncKey;
using Keys = std::vector<SyncKey>;

constexpr KeyType S = KeyType::step;
constexpr KeyType L = KeyType::linear;
constexpr KeyType M = KeyType::smooth;
constexpr KeyType R = KeyType::ramp;

std::string show(const Keys& keys) {
  std::string text;
  for (const SyncKey& key : keys) {
    text += std::to_string(key.row) + ":" + std::to_string(key.value) + ":" +
            std::to_string(static_cast<int>(key.type)) + " ";
  }
  return text;
}

// Tracks named a, b, c... with files in a temporary Data/Rocket/.
struct Fixture {
  explicit Fixture(std::vector<Keys> columns) {
    std::filesystem::create_directories(dir.path() / "Data/Rocket");
    base = dir.file("Data/Rocket/sync");
    std::vector<sync::SyncTrack*> pointers;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::string name(1, static_cast<char>('a' + i));
      dir.write("Data/Rocket/sync_" + name + ".track", sync::trackFileBytes(columns[i]));
      tracks.push_back(std::make_unique<sync::SyncTrack>(name, columns[i]));
      pointers.push_back(tracks.back().get());
    }
    editor = std::make_unique<TrackEditor>(pointers, base);
  }
  std::vector<std::string> state() const {
    std::vector<std::string> all;
    for (const auto& track : tracks)
      all.push_back(show(track->keys()));
    return all;
  }
  test::TempDir dir;
  std::string base;
  std::vector<std::unique_ptr<sync::SyncTrack>> tracks;
  std::unique_ptr<TrackEditor> editor;
};

TEST(TrackEditor, EachEditChangesTheTracksAndUndoesAndRedoesExactly) {
  struct Case {
    const char* name;
    std::vector<Keys> before;
    std::function<void(TrackEditor&)> edit;
    std::vector<Keys> after;
  };
  const Keys two{{0, 1, S}, {8, 2, L}};
  const Case cases[] = {
      {"a new key takes the interpolation of the key before",
       {two},
       [](TrackEditor& e) { e.setKey(0, 12, 5); },
       {{{0, 1, S}, {8, 2, L}, {12, 5, L}}}},
      {"a new key before all keys is a step",
       {{{8, 2, L}}},
       [](TrackEditor& e) { e.setKey(0, 3, 5); },
       {{{3, 5, S}, {8, 2, L}}}},
      {"a key set again keeps its interpolation",
       {two},
       [](TrackEditor& e) { e.setKey(0, 8, -4); },
       {{{0, 1, S}, {8, -4, L}}}},
      {"delete takes the keys of the block in every track",
       {two, two, two},
       [](TrackEditor& e) {
         e.erase({4, 8, 0, 1});
       },
       {{{0, 1, S}}, {{0, 1, S}}, two}},
      {"interpolation set over a block",
       {two, two},
       [](TrackEditor& e) {
         e.setType({0, 100, 1, 1}, R);
       },
       {two, {{0, 1, R}, {8, 2, R}}}},
      {"interpolation cycles on from the block's first key",
       {{{0, 1, M}, {8, 2, R}}},
       [](TrackEditor& e) {
         e.cycleType({0, 8, 0, 0});
       },
       {{{0, 1, R}, {8, 2, R}}}},
      {"move down lands over a key and takes its place",
       {{{0, 1, S}, {4, 2, L}, {5, 3, M}}},
       [](TrackEditor& e) {
         e.move({4, 4, 0, 0}, 1);
       },
       {{{0, 1, S}, {5, 2, L}}}},
      {"move up stops at row 0",
       {{{2, 1, S}, {6, 2, L}}},
       [](TrackEditor& e) {
         e.move({2, 6, 0, 0}, -5);
       },
       {{{0, 1, S}, {4, 2, L}}}},
      {"scale multiplies the values in the block only",
       {two, two},
       [](TrackEditor& e) {
         e.scale({8, 8, 0, 1}, 2.5f);
       },
       {{{0, 1, S}, {8, 5, L}}, {{0, 1, S}, {8, 5, L}}}},
      {"cut and paste moves a block to other rows and tracks",
       {two, {{3, 7, M}}},
       [](TrackEditor& e) {
         e.cut({0, 8, 0, 0});
         e.paste(1, 2);
       },
       {{}, {{2, 1, S}, {10, 2, L}}}},
      {"paste replaces what the block covers and stops at the last track",
       {two, {{5, 9, M}, {20, 1, S}}},
       [](TrackEditor& e) {
         e.copy({0, 9, 0, 1});
         e.paste(1, 0);
       },
       {two, {{0, 1, S}, {8, 2, L}, {20, 1, S}}}},
      {"an edit of a track out of row order puts it in order",
       {{{8, 2, L}, {0, 1, S}, {8, 3, M}}},
       [](TrackEditor& e) { e.setKey(0, 4, 6); },
       {{{0, 1, S}, {4, 6, S}, {8, 3, M}}}},
      {"a key set in a track out of order keeps the played key's interpolation",
       {{{8, 2, L}, {0, 1, S}, {8, 3, M}}},
       [](TrackEditor& e) { e.setKey(0, 8, 6); },
       {{{0, 1, S}, {8, 6, M}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(c.before);
    const std::vector<std::string> before = f.state();
    c.edit(*f.editor);
    Fixture expected(c.after);
    const std::vector<std::string> after = expected.state();
    EXPECT_EQ(f.state(), after);
    while (f.editor->undo()) {
    }
    EXPECT_EQ(f.state(), before);
    EXPECT_FALSE(f.editor->anyDirty());
    while (f.editor->redo()) {
    }
    EXPECT_EQ(f.state(), after);
  }
}

TEST(TrackEditor, UndoHoldsThousandsOfStepsAndANewEditDropsTheRedo) {
  Fixture f(std::vector<Keys>{Keys{}});
  for (int i = 0; i < 1500; ++i)
    f.editor->setKey(0, i, static_cast<float>(i));
  EXPECT_EQ(f.tracks[0]->keyCount(), 1500);
  f.editor->setKey(0, 3, 3.0f);  // changes nothing: no step
  EXPECT_EQ(f.editor->undoSteps(), 1500u);
  for (int i = 0; i < 1200; ++i)
    ASSERT_TRUE(f.editor->undo());
  EXPECT_EQ(f.tracks[0]->keyCount(), 300);
  EXPECT_EQ(f.tracks[0]->valueAt(299.5), 299.0);
  f.editor->setKey(0, 1000, 1.0f);
  EXPECT_FALSE(f.editor->redo());
  EXPECT_TRUE(f.editor->dirty(0));
}

TEST(TrackEditor, SaveWritesTheChangedTracksWholeAndAFreshReadGivesTheSameKeys) {
  Fixture f({{{0, 1, S}}, {{0, 2, S}}, {{0, 3, S}}});
  const std::string untouched = test::readFile(f.dir.file("Data/Rocket/sync_b.track"));
  f.editor->setKey(0, 16, 0.25f);
  f.editor->setType({0, 0, 2, 2}, M);
  EXPECT_TRUE(f.editor->dirty(0));
  EXPECT_FALSE(f.editor->dirty(1));
  EXPECT_TRUE(f.editor->dirty(2));
  EXPECT_TRUE(f.editor->save().empty());
  EXPECT_FALSE(f.editor->anyDirty());
  for (int c = 0; c < 3; ++c) {
    const sync::TrackData read = sync::readTrackFile(f.editor->path(c));
    EXPECT_EQ(show(read.keys), show(f.tracks[c]->keys())) << c;
  }
  EXPECT_EQ(test::readFile(f.dir.file("Data/Rocket/sync_b.track")), untouched);
  // Undone back to the saved keys: clean again; one further: dirty.
  f.editor->undo();
  EXPECT_TRUE(f.editor->dirty(2));
  f.editor->redo();
  EXPECT_FALSE(f.editor->dirty(2));
}

TEST(TrackEditor, ASaveThatCannotWriteSaysSoAndKeepsTheEditsUnsaved) {
  Fixture f({{{0, 1, S}}, {{0, 2, S}}});
  f.editor->setKey(0, 4, 2.0f);
  f.editor->setKey(1, 4, 3.0f);
  // A folder where the first track's file goes: no rename can replace it
  // (not even root's).
  const std::string blocked = f.editor->path(0);
  std::filesystem::remove(blocked);
  std::filesystem::create_directories(blocked + "/inside");
  const std::vector<std::string> problems = f.editor->save();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("sync_a.track"), std::string::npos) << problems[0];
  EXPECT_TRUE(f.editor->dirty(0));
  EXPECT_FALSE(f.editor->dirty(1));  // the other track is saved
  EXPECT_EQ(sync::readTrackFile(f.editor->path(1)).keys.size(), 2u);
  std::filesystem::remove_all(blocked);
  EXPECT_TRUE(f.editor->save().empty());
  EXPECT_EQ(sync::readTrackFile(f.editor->path(0)).keys.size(), 2u);
}

TEST(TrackEditor, FilesChangedOnDiskAreTheOwnSaveTakenInOrAConflictThatLosesNothing) {
  Fixture f({{{0, 1, S}}, {{0, 2, S}}});
  // The editor's own save, seen by the watcher afterwards: kept out, even
  // with newer edits made meanwhile.
  f.editor->setKey(0, 8, 5.0f);
  ASSERT_TRUE(f.editor->save().empty());
  f.editor->setKey(0, 9, 6.0f);
  const std::string own = test::readFile(f.editor->path(0));
  ExternalChange change = f.editor->externalChange(f.editor->path(0), own);
  EXPECT_FALSE(change.apply);
  EXPECT_TRUE(f.editor->conflicts().empty());
  EXPECT_EQ(f.tracks[0]->keyCount(), 3);

  // A clean track changed elsewhere is taken in, undoably.
  const std::string theirsB = sync::trackFileBytes({{0, 7, L}});
  change = f.editor->externalChange(f.editor->path(1), theirsB);
  EXPECT_FALSE(change.apply);
  EXPECT_EQ(f.tracks[1]->valueAt(0), 7.0);
  EXPECT_FALSE(f.editor->dirty(1));
  f.editor->undo();
  EXPECT_EQ(f.tracks[1]->valueAt(0), 2.0);
  EXPECT_TRUE(f.editor->dirty(1));
  f.editor->redo();

  // A track with unsaved edits changed elsewhere: a conflict, nothing saved
  // over it until the user chooses.
  const std::string theirsA = sync::trackFileBytes({{0, 9, S}});
  test::writeFile(f.editor->path(0), theirsA);
  change = f.editor->externalChange(f.editor->path(0), theirsA);
  EXPECT_FALSE(change.apply);
  ASSERT_EQ(f.editor->conflicts().size(), 1u);
  EXPECT_EQ(f.tracks[0]->keyCount(), 3);
  EXPECT_EQ(f.editor->save().size(), 1u);
  EXPECT_EQ(test::readFile(f.editor->path(0)), theirsA);

  // Keep mine: theirs stays as text beside the file, mine is saved.
  f.editor->resolve(0, true);
  EXPECT_TRUE(f.editor->conflicts().empty());
  const std::string backup = test::readFile(f.editor->path(0) + ".theirs.txt");
  EXPECT_NE(backup.find("0 9 step"), std::string::npos) << backup;
  EXPECT_TRUE(f.editor->save().empty());
  EXPECT_EQ(sync::readTrackFile(f.editor->path(0)).keys.size(), 3u);

  // Take theirs: the track becomes the file, and undo brings mine back.
  f.editor->setKey(0, 20, 1.0f);
  f.editor->externalChange(f.editor->path(0), theirsA);
  f.editor->resolve(0, false);
  EXPECT_EQ(show(f.tracks[0]->keys()), show({{0, 9, S}}));
  EXPECT_FALSE(f.editor->dirty(0));
  f.editor->undo();
  EXPECT_EQ(f.tracks[0]->keyCount(), 4);

  // A file the editor does not hold is the reloader's.
  EXPECT_TRUE(f.editor->externalChange("Data/Rocket/sync_other.track", theirsA).apply);
}

}  // namespace
}  // namespace tessaly::studio
