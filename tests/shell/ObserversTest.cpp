// Observer lists: observers are told in the order they joined, until their
// subscription goes, even when they leave while being told.
#include "shell/Observers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zorbin {
namespace {

TEST(ObserverList, ObserversAreToldInTurnUntilTheirSubscriptionGoes) {
  TObserverList<int> list;
  std::vector<std::string> told;
  TSubscription a = list.Add([&](int v) { told.push_back("a" + std::to_string(v)); });
  {
    TSubscription b = list.Add([&](int v) { told.push_back("b" + std::to_string(v)); });
    list.Notify(1);
  }
  list.Notify(2);
  TSubscription moved = std::move(a);
  list.Notify(3);
  moved.Cancel();
  list.Notify(4);
  EXPECT_EQ(told, (std::vector<std::string>{"a1", "b1", "a2", "a3"}));
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_FALSE(a.Active());
  EXPECT_FALSE(moved.Active());
}

TEST(ObserverList, LeavingWhileToldAndOutlivingTheList) {
  auto list = std::make_unique<TObserverList<>>();
  int secondTold = 0;
  TSubscription second;
  TSubscription first = list->Add([&] { second.Cancel(); });
  second = list->Add([&] { ++secondTold; });
  TSubscription joinedLate;
  TSubscription third = list->Add([&] {
    if (!joinedLate.Active()) joinedLate = list->Add([&] { ++secondTold; });
  });
  list->Notify();
  EXPECT_EQ(secondTold, 0);  // it left before its turn, and the late one waits for the next time
  list->Notify();
  EXPECT_EQ(secondTold, 1);
  EXPECT_EQ(list->Count(), 3u);
  list.reset();
  first.Cancel();  // nothing left to leave
  EXPECT_FALSE(first.Active());
}

}  // namespace
}  // namespace zorbin
