#include "frame/store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace ravadid {
namespace {

TextList makeList(std::vector<std::string> entries) {
  return std::make_shared<const std::vector<std::string>>(std::move(entries));
}

TEST(Store, KeysIgnoreLetterCase) {
  Store store;
  store.set("RequestDetail.New", Value("NEW"));
  EXPECT_EQ(store.get("requestdetail.new"), Value("NEW"));
  EXPECT_EQ(store.get("REQUESTDETAIL.NEW"), Value("NEW"));
  EXPECT_TRUE(store.contains("requestDetail.NEW"));
  store.set("REQUESTDETAIL.new", Value(""));
  EXPECT_EQ(store.size(), 1u);
  EXPECT_EQ(store.get("RequestDetail.New"), Value(""));
}

TEST(Store, AKeyNeverSetReadsEmpty) {
  Store store;
  EXPECT_TRUE(store.get("USER").isEmpty());
  EXPECT_EQ(store.text("USER"), "");
  EXPECT_FALSE(store.contains("USER"));
  EXPECT_EQ(store.size(), 0u);
  // An empty text is set, and differs from never set.
  store.set("USER", Value(""));
  EXPECT_TRUE(store.contains("USER"));
  EXPECT_TRUE(store.get("USER").isText());
}

TEST(Store, KeepsEachKindOfValue) {
  Store store;
  store.set("COUNT", Value::integer(3));
  store.set("LEAD", Value::whole(70000));
  store.set("FLAG", Value::boolean(true));
  store.set("WHEN", Value::date(45356.0));
  store.set("MISSING", Value::null());
  EXPECT_EQ(store.get("count"), Value::integer(3));
  EXPECT_EQ(store.get("lead"), Value::whole(70000));
  EXPECT_EQ(store.get("flag"), Value::boolean(true));
  EXPECT_EQ(store.get("when"), Value::date(45356.0));
  EXPECT_TRUE(store.get("missing").isNull());
}

TEST(Store, TextOfStoredValues) {
  Store store;
  store.set("A", Value("abc"));
  store.set("B", Value::integer(-3));
  store.set("C", Value::number(1.5));
  store.set("D", Value::boolean(false));
  store.set("E", Value::date(45356.0 + 0.4375));
  store.set("F", Value::null());
  store.set("G", Value::list(makeList({"", "A"})));
  EXPECT_EQ(store.text("a"), "abc");
  EXPECT_EQ(store.text("b"), "-3");
  EXPECT_EQ(store.text("c"), "1.5");
  EXPECT_EQ(store.text("d"), "False");
  EXPECT_EQ(store.text("e"), "3/5/2024 10:30:00 AM");
  EXPECT_EQ(store.text("f"), "");
  EXPECT_EQ(store.text("g"), "");
  EXPECT_EQ(store.text("never"), "");
}

TEST(Store, ListsAreSharedNotCopied) {
  Store store;
  TextList customers = makeList({"", "0001, North High", "0002, South Middle"});
  store.set("CustomersDD", Value::list(customers));
  Value back = store.get("customersdd");
  ASSERT_TRUE(back.isList());
  EXPECT_EQ(back.asList(), customers);  // the same shared list
  EXPECT_EQ(back.asList()->size(), 3u);
  EXPECT_EQ((*back.asList())[0], "");
  EXPECT_EQ(back, Value::list(makeList({"", "0001, North High", "0002, South Middle"})));
  store.set("CUSTOMERSDD", Value::list(makeList({""})));
  EXPECT_EQ(customers->size(), 3u);  // replacing the item leaves the old list intact
  EXPECT_EQ(store.get("CustomersDD").asList()->size(), 1u);
}

TEST(Store, RemoveClearAndForEach) {
  Store store;
  store.set("One", Value("1"));
  store.set("Two", Value("2"));
  store.set("Three", Value("3"));
  store.remove("TWO");
  store.remove("never set");
  EXPECT_FALSE(store.contains("two"));
  EXPECT_TRUE(store.get("Two").isEmpty());
  std::map<std::string, std::string> seen;
  store.forEach([&](const std::string& key, const Value& value) { seen[key] = value.asText(); });
  EXPECT_EQ(seen, (std::map<std::string, std::string>{{"One", "1"}, {"Three", "3"}}));
  store.clear();
  EXPECT_EQ(store.size(), 0u);
  EXPECT_TRUE(store.get("One").isEmpty());
}

TEST(Store, KeepsTheCaseOfTheFirstSetKey) {
  Store store;
  store.set("PageNumber", Value::integer(1));
  store.set("PAGENUMBER", Value::integer(2));
  std::vector<std::string> keys;
  store.forEach([&](const std::string& key, const Value&) { keys.push_back(key); });
  EXPECT_EQ(keys, std::vector<std::string>{"PageNumber"});
  EXPECT_EQ(store.get("pagenumber"), Value::integer(2));
}

TEST(Store, ConcurrentSetAndGetFromSeveralThreads) {
  Store store;
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  std::atomic<int> badReads{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string own = "Thread" + std::to_string(t);
      for (int i = 0; i < kRounds; ++i) {
        store.set(i % 2 ? own : "THREAD" + std::to_string(t), Value::whole(i));
        if (store.get(own) != Value::whole(i)) ++badReads;
        // A shared key replaced with whole lists: a reader sees one list or another, whole.
        const int n = i % 5 + 1;
        store.set("shared", Value::list(makeList(std::vector<std::string>(n, own))));
        Value shared = store.get("SHARED");
        if (!shared.isList() || shared.asList()->empty() ||
            shared.asList()->front() != shared.asList()->back()) {
          ++badReads;
        }
        store.text("thread" + std::to_string((t + 1) % kThreads));
        store.contains("Shared");
        store.size();
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(badReads.load(), 0);
  EXPECT_EQ(store.size(), static_cast<std::size_t>(kThreads) + 1);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(store.get("thread" + std::to_string(t)), Value::whole(kRounds - 1));
  }
}

TEST(Store, SnapshotKeepsWhatWasThereAndSetAllLandsTogether) {
  Store store;
  store.setAll({{"DISTNAME", Value("Old")}, {"DISTPHONE", Value("1")}});
  Store before = store.snapshot();
  store.setAll({{"distname", Value("New")}, {"DISTPHONE", Value("2")}});
  store.remove("DISTPHONE");
  EXPECT_EQ(before.text("DISTNAME") + before.text("DISTPHONE"), "Old1");
  EXPECT_EQ(store.text("DISTNAME") + store.text("DISTPHONE"), "New");
  before.set("DISTNAME", Value("Mine"));  // a snapshot's own writes stay its own
  EXPECT_EQ(store.text("DISTNAME"), "New");

  // Readers of snapshots taken while a writer publishes pairs see whole pairs only.
  store.setAll({{"DISTNAME", Value("0")}, {"DISTPHONE", Value("0")}});
  std::atomic<bool> done{false};
  std::atomic<int> mixed{0};
  std::thread reader([&] {
    while (!done) {
      Store now = store.snapshot();
      if (now.text("DISTNAME") != now.text("DISTPHONE")) ++mixed;
    }
  });
  for (int i = 0; i < 20000; ++i) {
    store.setAll({{"DISTNAME", Value(std::to_string(i))}, {"DISTPHONE", Value(std::to_string(i))}});
  }
  done = true;
  reader.join();
  EXPECT_EQ(mixed, 0);
}

}  // namespace
}  // namespace ravadid
