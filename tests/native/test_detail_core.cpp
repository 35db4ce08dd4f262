// The status window controller's decisions: the condition table, the
// statuses of communication failures, sounds, the job shown, placing and the
// monitoring periods.
#include <gtest/gtest.h>

#include "ui/status/detail_core.h"

namespace {

using namespace moni::detail;

TEST(ConditionTable, FirstFittingRowDecidesTheNextType) {
  constexpr std::uint32_t kNormal = kStatusNormal, kError = kStatusError;
  struct Case {
    int type;
    std::uint32_t word;
    bool autoOpened, help, same;
    int row, next;
  };
  const Case cases[] = {
      // a window the system opened hides while its job waits
      {2, kNormal | kJobWaiting, true, false, false, 0, 4},
      {3, kNormal | kJobWaiting, true, false, false, 1, 4},
      {1, kNormal | kJobWaiting, true, false, false, 12, 2},  // a pop-up shows the detail instead
      {2, kNormal | kJobWaiting, false, false, false, 12, 2},  // the user's window stays
      {4, kNormal | kJobWaiting, false, false, false, 2, 4},
      // the error of a waiting job pops up once, not again for the same status
      {4, kError | kJobWaiting, false, false, true, 3, 4},
      {4, kError | kJobWaiting, false, false, false, 4, 1},
      {1, kError | kJobWaiting, false, false, true, 5, 1},
      {3, kError | kJobWaiting, false, false, false, 13, 2},
      // nothing left to show: the system's window closes, or hides while help is open
      {1, kNormal | kJobNone, true, true, false, 6, 4},
      {3, kNormal | kJobNone, true, false, false, 7, kClose},
      {2, kNormal | kJobNone, false, true, false, 8, 2},
      {4, kError | kJobNone, true, false, false, 9, 2},
      {4, kNormal | kJobPrinting, true, false, false, 10, 3},
      {3, kError | kJobPrinting, false, false, false, 11, 1},
  };
  for (const Case& c : cases) {
    const ConditionFacts facts{c.type, c.word, c.autoOpened, c.help, c.same};
    const int row = FindConditionRow(facts);
    EXPECT_EQ(row, c.row) << "type " << c.type << " word " << std::hex << c.word;
    if (row >= 0) {
      EXPECT_EQ(ConditionTable()[static_cast<size_t>(row)].next, c.next) << row;
    }
  }
}

TEST(ConditionTable, EveryWordOfEveryTypeFindsARow) {
  for (int type = 1; type <= 4; ++type) {
    for (bool notify : {false, true}) {
      for (std::uint32_t option : {0u, 1u}) {
        for (int jobs : {-1, 0, 1, 2}) {
          for (int qualifiers = 0; qualifiers < 8; ++qualifiers) {
            const ConditionFacts facts{type, ConditionWord(notify, option, jobs), (qualifiers & 1) != 0,
                                       (qualifiers & 2) != 0, (qualifiers & 4) != 0};
            EXPECT_GE(FindConditionRow(facts), 0) << type << " " << std::hex << facts.word;
          }
        }
      }
    }
  }
  EXPECT_EQ(FindConditionRow({2, kStatusNormal | 0x800u, false, false, false}), -1);  // no such job state
}

TEST(ConditionTable, WordsOfStatusAndJob) {
  EXPECT_EQ(ConditionWord(false, 0, 0), kStatusNormal | kJobNone);
  EXPECT_EQ(ConditionWord(true, 0, -1), kStatusError | kJobNone);
  EXPECT_EQ(ConditionWord(false, 0, 1), kStatusNormal | kJobWaiting);
  EXPECT_EQ(ConditionWord(true, 7, 0), kStatusError | kJobPrinting);  // the shown job decides over the list
}

TEST(StatusesOfTheWindow, ErrorsAndGracePeriod) {
  EXPECT_TRUE(IsNotifyWorthyError(true, true, 18));
  for (int quiet : {20, 21, 32}) EXPECT_FALSE(IsNotifyWorthyError(true, true, quiet)) << quiet;
  EXPECT_FALSE(IsNotifyWorthyError(true, false, 18));
  EXPECT_FALSE(IsNotifyWorthyError(false, true, 18));

  struct Case {
    int result, status;
  };
  for (const Case c : {Case{-2, 16}, Case{-3, 22}, Case{-4, 59}, Case{-1, 0}, Case{-5, 0}, Case{0, 0}, Case{1, 0}}) {
    EXPECT_EQ(StatusOfConditionResult(c.result), c.status) << c.result;
  }

  struct Failure {
    bool offline;
    int enable;
    bool grace;
    int status;
  };
  const Failure failures[] = {
      {true, 0, true, 59},    {true, 1, false, 59},  {false, -1, false, 21}, {false, 0, false, 21},
      {false, 0, true, 1000}, {false, -1, true, 1000}, {false, 1, true, 22},  {false, 2, false, 22},
  };
  for (const Failure& f : failures) {
    EXPECT_EQ(StatusOfCommFailure(f.offline, f.enable, f.grace), f.status) << f.offline << f.enable << f.grace;
  }

  struct Com {
    std::uint32_t value;
    bool offline;
    int status;
  };
  for (const Com c : {Com{1, true, 0}, Com{3, false, 16}, Com{4, false, 22}, Com{5, false, 59}, Com{0, false, 21},
                      Com{2, true, 59}, Com{6, false, 21}, Com{0xFFFFFFFF, false, 21}}) {
    EXPECT_EQ(StatusOfComStatus(c.value, c.offline), c.status) << c.value;
  }
}

TEST(Sounds, ANewConditionSoundsOnceAndOnlyWhilePrinting) {
  struct Step {
    bool printing, sounds;
    int number;
    bool wanted, play;
    int last;
  };
  const Step steps[] = {
      {true, true, 17, false, false, 17},   // printing: not wanted, remembered
      {true, true, 18, true, true, 18},     // paper out: played
      {true, true, 18, true, false, 18},    // still out: not again
      {true, true, 17, false, false, 17},
      {true, true, 18, true, true, 18},     // out again: played again
      {false, true, 18, true, false, -1},   // no job printing: nothing, forgotten
      {true, true, 18, true, true, 18},
      {true, false, 6, true, false, -1},    // no sound module
  };
  int last = kNoSound;
  for (const Step& s : steps) {
    const SoundChoice choice = DecideSound(s.printing, s.sounds, s.number, s.wanted, last);
    EXPECT_EQ(choice.play, s.play) << s.number;
    EXPECT_EQ(choice.lastSound, s.last) << s.number;
    last = choice.lastSound;
  }
  moni::status::StatusInfoRow row{};
  row.status = -1;
  EXPECT_EQ(SoundNumberOf(row), 0);  // an unknown state is one sound of its own, not "none"
  row.status = 18;
  EXPECT_EQ(SoundNumberOf(row), 18);
  EXPECT_EQ(SoundResourceOf({1, {511, 1, 759, 0, 0}}), 511);
  EXPECT_EQ(SoundResourceOf({1, {0x10200, 1, 0, 0, 0}}), 0x200);  // 16 bits of it
}

moni::progress::JobRecord Job(std::uint32_t id, std::uint32_t option = 1, std::uint32_t current = 5, std::uint32_t total = 10) {
  moni::progress::JobRecord r{};
  r.dwJobId = id;
  r.dwParam = option;
  r.dwProgress[0] = current;
  r.dwProgress[1] = total;
  return r;
}

TEST(ShownJob, AJobThatGoesIsShownCompleteForOneStepThenCleared) {
  ShownJob shown;
  std::uint32_t ink = 0;
  const auto job = Job(7);
  EXPECT_FALSE(StepShownJob(shown, &job, ink).resetInkOrderDisable);
  EXPECT_TRUE(shown.valid);
  EXPECT_EQ(shown.record.dwProgress[0], 5u);
  EXPECT_EQ(ink, 7u);

  StepShownJob(shown, nullptr, ink);  // gone
  EXPECT_TRUE(shown.valid);
  EXPECT_TRUE(shown.finished);
  EXPECT_EQ(shown.record.dwProgress[0], 100u);
  EXPECT_EQ(shown.record.dwProgress[1], 100u);
  EXPECT_EQ(shown.record.bInfo104, 1u);
  EXPECT_EQ(shown.record.dwInfo104, 0u);
  EXPECT_EQ(shown.record.dwJobId, 7u);

  StepShownJob(shown, nullptr, ink);
  EXPECT_FALSE(shown.valid);
  EXPECT_FALSE(shown.finished);
  EXPECT_EQ(shown.record.dwJobId, 0u);
}

TEST(ShownJob, ACancelledJobIsClearedWithoutTheCompleteStep) {
  ShownJob shown;
  std::uint32_t ink = 0;
  const auto job = Job(7);
  StepShownJob(shown, &job, ink);
  shown.accepted = false;  // the user cancelled it
  StepShownJob(shown, &job, ink);  // still reported: kept, still cancelled
  EXPECT_TRUE(shown.valid);
  EXPECT_FALSE(shown.accepted);
  const auto hidden = Job(7, 0);  // not shown by the meter any more
  StepShownJob(shown, &hidden, ink);
  EXPECT_FALSE(shown.valid);
  EXPECT_FALSE(shown.finished);
  EXPECT_TRUE(shown.accepted);
}

TEST(ShownJob, AnotherJobEndsTheShownOneFirst) {
  ShownJob shown;
  std::uint32_t ink = 0;
  const auto first = Job(7), second = Job(8, 1, 1, 4);
  StepShownJob(shown, &first, ink);
  const JobStep replaced = StepShownJob(shown, &second, ink);
  EXPECT_TRUE(replaced.resetInkOrderDisable);
  EXPECT_TRUE(shown.finished);
  EXPECT_EQ(shown.record.dwJobId, 7u);
  EXPECT_EQ(ink, 8u);
  const JobStep next = StepShownJob(shown, &second, ink);
  EXPECT_FALSE(next.resetInkOrderDisable);  // the ink monitor follows job 8 already
  EXPECT_FALSE(shown.finished);
  EXPECT_EQ(shown.record.dwJobId, 8u);
  EXPECT_EQ(shown.record.dwProgress[1], 4u);

  // A job that comes after the ink monitor followed another one.
  ShownJob fresh;
  std::uint32_t followed = 3;
  EXPECT_TRUE(StepShownJob(fresh, &first, followed).resetInkOrderDisable);
  EXPECT_EQ(followed, 7u);
}

TEST(Placing, StoredPositionsMustKeepSomeOfTheWindowOnTheScreen) {
  const Screen screen{1024, 740, 20};  // the bottom of the work area is 760
  struct Case {
    int type;
    std::int32_t x, y;
    int px, py;
    bool writeBack;
  };
  const Case cases[] = {
      {1, 100, 200, 100, 200, false},
      {1, 1023, 759, 1023, 759, false},  // the last pixel on the screen
      {1, 1024, 200, 412, 200, true},    // one past the right edge: centred
      {1, 100, 760, 100, 330, true},     // one past the bottom
      {1, -199, -99, -199, -99, false},  // one pixel of the window still shows
      {1, -200, 200, 412, 200, true},    // right edge at 0: nothing shows
      {1, 100, -100, 100, 330, true},
      {3, 0x70000000, 0x70000000, 824, 660, true},  // nothing stored: the corner
      {4, 2000, 10, 824, 10, true},
      {2, 0x70000000, 0x70000000, 412, 330, true},
  };
  for (const Case& c : cases) {
    const Placement p =
        PlaceWindow(c.type, true, static_cast<std::uint32_t>(c.x), static_cast<std::uint32_t>(c.y), 200, 100, screen);
    EXPECT_EQ(p.x, c.px) << c.x << "," << c.y;
    EXPECT_EQ(p.y, c.py) << c.x << "," << c.y;
    EXPECT_EQ(p.writeBack, c.writeBack) << c.x << "," << c.y;
  }
  const Placement centred = PlaceWindow(4, false, 5, 5, 200, 100, screen);
  EXPECT_EQ(centred.x, 412);
  EXPECT_EQ(centred.y, 330);
  EXPECT_FALSE(centred.writeBack);
}

TEST(Placing, AWindowThatGrewIsMovedBackOntoTheScreen) {
  const Screen screen{1024, 740, 20};  // the bottom of the work area is 760
  struct Case {
    int x, y, width, height;
    int px, py;
  };
  const Case cases[] = {
      {824, 660, 200, 100, 824, 660},  // exactly in the corner: stays
      {824, 660, 200, 101, 824, 659},  // one row too tall: up by one
      {825, 660, 200, 100, 824, 660},  // one column too far right
      {824, 460, 200, 400, 824, 360},  // the corner window of type 4 grown into type 3
      {0, 0, 2000, 900, 0, 0},         // larger than the screen: the top left stays visible
      {-50, -50, 200, 100, -50, -50},  // partly off the top left, as the user put it: kept
      {100, 700, 200, 100, 100, 660},
  };
  for (const Case& c : cases) {
    const Placement p = KeepOnScreen(c.x, c.y, c.width, c.height, screen);
    EXPECT_EQ(p.x, c.px) << c.x << "," << c.y << " " << c.width << "x" << c.height;
    EXPECT_EQ(p.y, c.py) << c.x << "," << c.y << " " << c.width << "x" << c.height;
  }
}

TEST(Periods, DecimalSecondsUpToADay) {
  struct Case {
    const char16_t* text;
    int seconds;
  };
  const Case cases[] = {{u"5", 5},          {u"  30", 30},     {u"\t7s", 7},      {u"", 0},     {u"x5", 0},
                        {u"-5", 0},         {u"0", 0},         {u"86400", 86400}, {u"86401", 0}, {u"99999999999999999999", 0},
                        {u"0010", 10}};
  for (const Case& c : cases) EXPECT_EQ(ParsePeriodSeconds(c.text), c.seconds);
}

}  // namespace
