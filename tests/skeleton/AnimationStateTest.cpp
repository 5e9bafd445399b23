#include <algorithm>
#include <cmath>
#include <map>

#include "SkeletonTestSupport.h"
#include "skeleton/runtime/AnimationState.h"
#include "skeleton/runtime/AnimationStateData.h"
#include "skeleton/runtime/Skeleton.h"

namespace spine::test {
namespace {

const char* kStateJson = R"({
  "bones":[{"name":"root"},{"name":"arm","parent":"root"},{"name":"leg","parent":"root"}],
  "slots":[{"name":"hand","bone":"arm","attachment":"open"}],
  "skins":[{"name":"default","attachments":{"hand":{"open":{"width":1,"height":1},"fist":{"width":1,"height":1}}}}],
  "events":{"beat":{},"late":{"int":5}},
  "animations":{
    "raise":{"bones":{"arm":{"rotate":[{"angle":90}],"translate":[{"x":100}]},"leg":{"translate":[{"x":100}]}}},
    "lower":{"bones":{"arm":{"rotate":[{"angle":0}],"translate":[{"x":0}]}},
             "slots":{"hand":{"attachment":[{"name":"fist"}]}}},
    "beat":{"bones":{"arm":{"rotate":[{"angle":0},{"time":1,"angle":10}]}},
            "events":[{"name":"beat"},{"time":0.5,"name":"beat"},{"time":0.9,"name":"late"}]},
    "short":{"bones":{"arm":{"rotate":[{"angle":0},{"time":0.5,"angle":30}]}}}
  }
})";

struct Notice {
  EventType type;
  std::string animation;
  std::string event;
  bool operator==(const Notice&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Notice& n) {
  static const char* names[] = {"start", "interrupt", "end", "complete", "dispose", "event"};
  return out << names[static_cast<int>(n.type)] << "(" << n.animation << (n.event.empty() ? "" : " " + n.event) << ")";
}

class AnimationStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    data = loadJson(kStateJson, &error);
    ASSERT_TRUE(data) << error;
    skeleton = std::make_unique<Skeleton>(*data);
    stateData = std::make_unique<AnimationStateData>(*data);
    state = std::make_unique<AnimationState>(*stateData);
    state->setListener([this](AnimationState&, EventType type, TrackEntry& entry, const Event* event) {
      notices.push_back({type, entry.animation->name(), event ? event->data->name : ""});
    });
  }
  void step(float delta) {
    state->update(delta);
    state->apply(*skeleton);
    skeleton->update(delta);
    skeleton->updateWorldTransform();
  }
  int count(EventType type, const std::string& animation, const std::string& event = "") const {
    return static_cast<int>(std::count(notices.begin(), notices.end(), Notice{type, animation, event}));
  }
  Bone& bone(const char* name) { return *skeleton->findBone(name); }

  std::unique_ptr<SkeletonData> data;
  std::unique_ptr<Skeleton> skeleton;
  std::unique_ptr<AnimationStateData> stateData;
  std::unique_ptr<AnimationState> state;
  std::vector<Notice> notices;
};

TEST_F(AnimationStateTest, CrossfadeIsHalfwayHalfwayThroughTheMix) {
  stateData->setMix("raise", "lower", 0.2f);
  state->setAnimation(0, "raise", true);
  step(0.1f);
  EXPECT_NEAR(bone("arm").rotation, 90, 1e-3);
  state->setAnimation(0, "lower", true);
  step(0.1f);
  // Keyed by both: raise holds its value and lower takes over by the mix, turning the same way it started.
  EXPECT_NEAR(bone("arm").rotation, 45, 1e-3);
  EXPECT_NEAR(bone("arm").x, 50, 1e-3);
  // Keyed only by raise: it fades out towards the setup pose.
  EXPECT_NEAR(bone("leg").x, 50, 1e-3);
  step(0.1f);
  EXPECT_NEAR(bone("arm").x, 0, 1e-3);
  EXPECT_NEAR(bone("leg").x, 0, 1e-3);
  step(0.1f);
  EXPECT_EQ(state->getCurrent(0)->mixingFrom, nullptr);
  EXPECT_EQ(count(EventType::End, "raise"), 1);
  EXPECT_EQ(count(EventType::Dispose, "raise"), 1);
}

TEST_F(AnimationStateTest, AlphaScalesTheWholeTrack) {
  TrackEntry* entry = state->setAnimation(0, "raise", true);
  entry->alpha = 0.25f;
  step(0.1f);
  EXPECT_NEAR(bone("leg").x, 25, 1e-3);
}

TEST_F(AnimationStateTest, UpperTrackOverridesLowerOne) {
  state->setAnimation(0, "raise", true);
  state->setAnimation(1, "lower", true);
  step(0.1f);
  EXPECT_NEAR(bone("arm").x, 0, 1e-3);
  EXPECT_NEAR(bone("leg").x, 100, 1e-3);
}

TEST_F(AnimationStateTest, EventsFireOncePerPassAcrossLoops) {
  state->setAnimation(0, "beat", true);
  const float delta = 0.13f;
  const int steps = 20;
  for (int i = 0; i < steps; ++i) step(delta);
  const float played = delta * steps;  // 2.6 s of a 1 s loop
  auto expected = [&](float time) { return static_cast<int>(std::floor(played - time)) + 1; };
  EXPECT_EQ(count(EventType::Event, "beat", "beat"), expected(0) + expected(0.5f));
  EXPECT_EQ(count(EventType::Event, "beat", "late"), expected(0.9f));
  EXPECT_EQ(count(EventType::Complete, "beat"), 2);
}

TEST_F(AnimationStateTest, LoopBoundaryOrdersEventsThenCompleteThenNewPass) {
  state->setAnimation(0, "beat", true);
  step(0.95f);  // fires beat(0), beat(0.5), late(0.9)
  notices.clear();
  step(0.1f);  // crosses 1.0 and the next pass's key at 0
  std::vector<Notice> expected = {{EventType::Complete, "beat", ""}, {EventType::Event, "beat", "beat"}};
  EXPECT_EQ(notices, expected);
}

TEST_F(AnimationStateTest, NonLoopingEntryReplacedByEmptyNotifiesInOrder) {
  state->setAnimation(0, "short", false);
  state->addEmptyAnimation(0, 0.2f, 0);
  for (int i = 0; i < 60; ++i) step(1 / 60.0f);
  // The empty entry has no duration, so it completes on its first application, while "short" still fades out.
  std::vector<Notice> expected = {
      {EventType::Start, "short", ""},      {EventType::Interrupt, "short", ""}, {EventType::Start, "<empty>", ""},
      {EventType::Complete, "<empty>", ""}, {EventType::Complete, "short", ""},  {EventType::End, "short", ""},
      {EventType::Dispose, "short", ""},    {EventType::End, "<empty>", ""},     {EventType::Dispose, "<empty>", ""}};
  EXPECT_EQ(notices, expected);
  EXPECT_EQ(state->getCurrent(0), nullptr);
  EXPECT_NEAR(bone("arm").rotation, 0, 1e-3);  // faded back to setup
}

TEST_F(AnimationStateTest, QueuedEmptyFadeEndsWithThePreviousEntryWhateverTheDefaultMix) {
  stateData->setDefaultMix(0.1f);
  state->setAnimation(0, "short", false);  // 0.5 s
  state->addEmptyAnimation(0, 0.2f, 0);
  EXPECT_NEAR(state->getCurrent(0)->next->delay, 0.3f, 1e-6);
  for (int i = 0; i < 60; ++i) step(1 / 60.0f);
  const auto complete = std::find(notices.begin(), notices.end(), Notice{EventType::Complete, "short", ""});
  const auto end = std::find(notices.begin(), notices.end(), Notice{EventType::End, "short", ""});
  EXPECT_LT(complete, end);
  EXPECT_NE(end, notices.end());
}

TEST_F(AnimationStateTest, ReplacingAnEntryThatNeverPlayedDoesNotMixFromIt) {
  stateData->setDefaultMix(0.5f);
  state->setAnimation(0, "raise", true);
  state->setAnimation(0, "lower", true);
  std::vector<Notice> expected = {{EventType::Start, "raise", ""},
                                  {EventType::Interrupt, "raise", ""},
                                  {EventType::End, "raise", ""},
                                  {EventType::Dispose, "raise", ""},
                                  {EventType::Start, "lower", ""}};
  EXPECT_EQ(notices, expected);
  EXPECT_EQ(state->getCurrent(0)->mixingFrom, nullptr);
}

TEST_F(AnimationStateTest, QueuedEntryStartsAfterTheCurrentOneEnds) {
  state->setAnimation(0, "short", false);
  state->addAnimation(0, "beat", true, 0);
  for (int i = 0; i < 29; ++i) step(1 / 60.0f);
  EXPECT_EQ(state->getCurrent(0)->animation->name(), "short");
  step(1 / 60.0f);
  step(1 / 60.0f);
  EXPECT_EQ(state->getCurrent(0)->animation->name(), "beat");
}

TEST_F(AnimationStateTest, AttachmentKeyedByAnOutgoingEntryReturnsToSetup) {
  state->setAnimation(0, "lower", true);
  step(0.1f);
  EXPECT_EQ(skeleton->findSlot("hand")->attachment->name, "fist");
  state->setEmptyAnimation(0, 0);
  step(0.1f);
  step(0.1f);
  EXPECT_EQ(skeleton->findSlot("hand")->attachment->name, "open");
}

TEST_F(AnimationStateTest, ListenerMaySetAnimationsWhileNotified) {
  state->setListener([this](AnimationState& s, EventType type, TrackEntry& entry, const Event*) {
    notices.push_back({type, entry.animation->name(), ""});
    if (type == EventType::Complete && entry.animation->name() == "short") s.setAnimation(0, "raise", true);
  });
  state->setAnimation(0, "short", false);
  for (int i = 0; i < 40; ++i) step(1 / 60.0f);
  EXPECT_EQ(state->getCurrent(0)->animation->name(), "raise");
  EXPECT_EQ(count(EventType::Start, "raise"), 1);
}

TEST_F(AnimationStateTest, ClearTracksEndsEverything) {
  state->setAnimation(0, "raise", true);
  state->addAnimation(0, "lower", true, 1);
  state->setAnimation(1, "beat", true);
  step(0.1f);
  notices.clear();
  state->clearTracks();
  EXPECT_EQ(count(EventType::End, "raise"), 1);
  EXPECT_EQ(count(EventType::Dispose, "lower"), 1);
  EXPECT_EQ(count(EventType::End, "beat"), 1);
  EXPECT_EQ(state->getCurrent(0), nullptr);
  EXPECT_EQ(state->getCurrent(1), nullptr);
}

TEST_F(AnimationStateTest, OutgoingEntryFiresEventsOnlyBelowItsThreshold) {
  for (float threshold : {0.0f, 1.0f}) {
    SetUp();
    stateData->setDefaultMix(1);
    TrackEntry* beat = state->setAnimation(0, "beat", true);
    beat->eventThreshold = threshold;
    step(0.45f);
    state->setAnimation(0, "raise", true);
    notices.clear();
    step(0.1f);  // passes the key at 0.5 while mixing out
    EXPECT_EQ(count(EventType::Event, "beat", "beat"), threshold > 0 ? 1 : 0) << threshold;
  }
}

TEST_F(AnimationStateTest, TimeScalesMultiply) {
  state->timeScale = 2;
  TrackEntry* entry = state->setAnimation(0, "beat", true);
  entry->timeScale = 0.5f;
  step(0.5f);
  EXPECT_NEAR(entry->trackTime, 0.5f, 1e-5);
  entry->timeScale = 1;
  step(0.25f);
  EXPECT_NEAR(entry->trackTime, 1.0f, 1e-5);
  EXPECT_NEAR(bone("arm").rotation, 0, 1e-3);  // wrapped to the start of the next loop
}

TEST_F(AnimationStateTest, UnknownAnimationsAndBadTracksAreRefused) {
  EXPECT_EQ(state->setAnimation(0, "missing", true), nullptr);
  EXPECT_EQ(state->setAnimation(-1, "raise", true), nullptr);
  EXPECT_EQ(state->addAnimation(AnimationState::kMaxTracks, "raise", true, 0), nullptr);
  EXPECT_TRUE(notices.empty());
}

}  // namespace
}  // namespace spine::test
