// The coroutine runtime on its own, with small states that write what they do into a log.
#include "core/co.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Log = std::string;
using LogCo = Co<Log*>;
using LogCos = Cos<Log*>;

template <char Name>
class Say : public LogCo {
 public:
  LogCo* Routine(Log* log) override {
    *log += Name;
    return this;
  }
};

class End : public LogCo {
 public:
  LogCo* Routine(Log* log) override {
    *log += '.';
    return nullptr;
  }
};

// Says 's' once, then hands its slot to Say<'b'>.
class SwitchToB : public LogCo {
 public:
  LogCo* Routine(Log* log) override {
    *log += 's';
    return Singleton<Say<'b'>>();
  }
};

Log Frame(LogCo* list) {
  Log log;
  EXPECT_EQ(list->Routine(&log), list) << "a list never ends its own slot";
  return log;
}

}  // namespace

TEST(Co, PlainBaseEndsItsSlot) {
  LogCo base;
  Log log;
  EXPECT_EQ(base.Routine(&log), nullptr);
  EXPECT_EQ(log, "");
}

TEST(Co, SingletonIsOneInstancePerClass) {
  EXPECT_EQ(Singleton<Say<'a'>>(), Singleton<Say<'a'>>());
  EXPECT_NE(static_cast<LogCo*>(Singleton<Say<'a'>>()), Singleton<Say<'b'>>());
}

TEST(Cos, EmptyListDoesNothing) {
  LogCo* slots[] = {nullptr, Singleton<Say<'a'>>(), nullptr};
  LogCos list(slots);
  EXPECT_EQ(list.slotCount, 0);
  EXPECT_EQ(Frame(&list), "");
}

TEST(Cos, EntriesAfterTheTerminatorAreNeverStepped) {
  LogCo* slots[] = {Singleton<Say<'a'>>(), nullptr, Singleton<Say<'z'>>(), nullptr};
  LogCos list(slots);
  EXPECT_EQ(list.slotCount, 1);
  slots[1] = Singleton<Say<'y'>>();  // filling the gap later does not extend the list
  EXPECT_EQ(Frame(&list), "a");
  EXPECT_EQ(Frame(&list), "a");
}

TEST(Cos, AnEndedSlotIsSkippedAndTheOthersGoOn) {
  LogCo* slots[] = {Singleton<Say<'a'>>(), Singleton<End>(), Singleton<Say<'c'>>(), nullptr};
  LogCos list(slots);
  EXPECT_EQ(Frame(&list), "a.c");
  EXPECT_EQ(slots[1], nullptr);
  EXPECT_EQ(list.slotCount, 3);
  EXPECT_EQ(Frame(&list), "ac");
  EXPECT_EQ(Frame(&list), "ac");
}

TEST(Cos, ATransitionTakesEffectOnTheNextFrame) {
  LogCo* slots[] = {Singleton<SwitchToB>(), Singleton<Say<'c'>>(), nullptr};
  LogCos list(slots);
  EXPECT_EQ(Frame(&list), "sc");  // the new state does not run in the frame it was chosen
  EXPECT_EQ(slots[0], Singleton<Say<'b'>>());
  EXPECT_EQ(Frame(&list), "bc");
}

TEST(Cos, NestedListsAreSteppedWhereTheirSlotComes) {
  LogCo* inner[] = {Singleton<Say<'x'>>(), Singleton<Say<'y'>>(), nullptr};
  LogCos innerList(inner);
  LogCo* outer[] = {Singleton<Say<'a'>>(), &innerList, Singleton<Say<'c'>>(), nullptr};
  LogCos outerList(outer);
  EXPECT_EQ(Frame(&outerList), "axyc");
  EXPECT_EQ(outer[1], &innerList);
}
