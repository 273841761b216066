#include "frame/host/sessions.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace ravadid {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

// A clock the test moves by hand.
struct ManualClock {
  std::chrono::steady_clock::time_point now{std::chrono::hours(1000)};
  SessionManager::Clock function() {
    return [this] { return now; };
  }
};

class SessionManagerTest : public ::testing::Test {
 protected:
  ManualClock clock;
  SessionManager manager{SessionOptions{}, clock.function()};

  std::string addWith(std::string_view key, std::string value) {
    auto session = manager.create();
    session->store().set(key, Value(std::move(value)));
    return manager.add(session);
  }
};

TEST(SessionIdTest, IdsAre256RandomBitsInHexAndDoNotRepeat) {
  std::set<std::string> ids;
  for (int i = 0; i < 2000; ++i) {
    std::string id = SessionManager::newId();
    ASSERT_EQ(id.size(), 64u);
    ASSERT_TRUE(SessionManager::isWellFormedId(id)) << id;
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 2000u);
}

TEST(SessionIdTest, OnlyWellFormedIdsAreAccepted) {
  std::string good(64, 'a');
  struct Case {
    std::string id;
    bool wellFormed;
  } cases[] = {
      {good, true},
      {std::string(64, '0'), true},
      {std::string(63, 'a'), false},
      {std::string(65, 'a'), false},
      {std::string(64, 'A'), false},  // upper case is never issued
      {std::string(63, 'a') + "g", false},
      {std::string(63, 'a') + ";", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SessionManager::isWellFormedId(c.id), c.wellFormed) << c.id;
  }
}

TEST_F(SessionManagerTest, AddedSessionIsFoundUnderItsIdWithItsItems) {
  std::string id = addWith("USER", "jdoe");
  auto session = manager.find(id);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->store().text("user"), "jdoe");
  EXPECT_EQ(manager.size(), 1u);
}

TEST_F(SessionManagerTest, UnknownOrMalformedIdFindsNothing) {
  addWith("USER", "jdoe");
  EXPECT_EQ(manager.find(SessionManager::newId()), nullptr);
  EXPECT_EQ(manager.find("not-an-id"), nullptr);
  EXPECT_EQ(manager.find(""), nullptr);
}

TEST_F(SessionManagerTest, SessionItemsIgnoreKeyCase) {
  std::string id = addWith("TripReq", "42");
  auto session = manager.find(id);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->store().text("TRIPREQ"), "42");
  session->store().set("tripreq", Value("43"));
  EXPECT_EQ(session->store().text("TripReq"), "43");
  EXPECT_EQ(session->store().size(), 1u);
}

TEST_F(SessionManagerTest, SessionTimesOutAfterTwentyIdleMinutes) {
  std::string id = addWith("USER", "jdoe");
  clock.now += minutes(20);
  EXPECT_NE(manager.find(id), nullptr) << "exactly the timeout is still live";
  clock.now += minutes(20) + seconds(1);
  EXPECT_EQ(manager.find(id), nullptr);
  EXPECT_EQ(manager.size(), 0u);
}

TEST_F(SessionManagerTest, EachRequestRestartsTheIdleTime) {
  std::string id = addWith("USER", "jdoe");
  for (int i = 0; i < 5; ++i) {
    clock.now += minutes(15);
    ASSERT_NE(manager.find(id), nullptr) << "after " << (i + 1) * 15 << " minutes";
  }
}

TEST_F(SessionManagerTest, TimedOutSessionLosesItsItems) {
  std::string id = addWith("USER", "jdoe");
  auto held = manager.find(id);
  clock.now += minutes(21);
  EXPECT_EQ(manager.find(id), nullptr);
  EXPECT_EQ(held->store().size(), 0u);
}

TEST_F(SessionManagerTest, SessionTimeoutSetOnTheSessionDecidesExpiry) {
  auto session = manager.create();
  session->setTimeoutMinutes(60);
  std::string id = manager.add(session);
  clock.now += minutes(59);
  EXPECT_NE(manager.find(id), nullptr);
  session->setTimeoutMinutes(5);
  clock.now += minutes(6);
  EXPECT_EQ(manager.find(id), nullptr);
}

TEST(SessionTest, TimeoutIsClampedToOneMinuteToOneDayAndNoTimeoutKeepsTheCurrentOne) {
  struct Case {
    int set;
    int read;
  } cases[] = {{20, 20}, {1, 1}, {0, 20}, {-5, 20}, {1440, 1440}, {100000, 1440}};
  for (const Case& c : cases) {
    Session session(20);
    session.setTimeoutMinutes(c.set);
    EXPECT_EQ(session.timeoutMinutes(), c.read) << c.set;
  }
}

TEST_F(SessionManagerTest, RenewMovesTheSessionAndTheOldIdFindsNothing) {
  std::string oldId = addWith("USER", "jdoe");
  std::string newId = manager.renew(oldId);
  ASSERT_FALSE(newId.empty());
  EXPECT_NE(newId, oldId);
  EXPECT_EQ(manager.find(oldId), nullptr);
  auto session = manager.find(newId);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->store().text("USER"), "jdoe");
  EXPECT_EQ(manager.size(), 1u);
}

TEST_F(SessionManagerTest, RenewOfUnknownOrTimedOutIdGivesNothing) {
  EXPECT_EQ(manager.renew(SessionManager::newId()), "");
  std::string id = addWith("USER", "jdoe");
  clock.now += minutes(21);
  EXPECT_EQ(manager.renew(id), "");
  EXPECT_EQ(manager.size(), 0u);
}

TEST_F(SessionManagerTest, AbandonForgetsTheSessionAndDropsItsItems) {
  std::string id = addWith("USER", "jdoe");
  auto held = manager.find(id);
  manager.abandon(id);
  EXPECT_EQ(manager.find(id), nullptr);
  EXPECT_EQ(held->store().size(), 0u);
  manager.abandon(id);  // twice is harmless
}

TEST_F(SessionManagerTest, PurgeForgetsOnlyTimedOutSessions) {
  addWith("A", "1");
  addWith("A", "2");
  clock.now += minutes(15);
  std::string fresh = addWith("A", "3");
  clock.now += minutes(10);
  manager.purgeExpired();
  EXPECT_EQ(manager.size(), 1u);
  EXPECT_NE(manager.find(fresh), nullptr);
}

TEST_F(SessionManagerTest, TimedOutSessionsArePurgedWithoutBeingAskedFor) {
  for (int i = 0; i < 10; ++i) addWith("A", std::to_string(i));
  clock.now += minutes(30);
  std::string live = addWith("A", "live");  // any use of the manager sweeps now and then
  EXPECT_EQ(manager.size(), 1u);
  EXPECT_NE(manager.find(live), nullptr);
}

TEST(SessionManagerLimitTest, AtTheLimitTheLongestUnusedSessionMakesRoom) {
  ManualClock clock;
  SessionOptions options;
  options.maxSessions = 3;
  SessionManager manager(options, clock.function());
  std::vector<std::string> ids;
  for (int i = 0; i < 3; ++i) {
    ids.push_back(manager.add(manager.create()));
    clock.now += seconds(1);
  }
  ASSERT_NE(manager.find(ids[0]), nullptr);  // ids[1] is now the longest unused
  std::string added = manager.add(manager.create());
  EXPECT_EQ(manager.size(), 3u);
  EXPECT_EQ(manager.find(ids[1]), nullptr);
  EXPECT_NE(manager.find(ids[0]), nullptr);
  EXPECT_NE(manager.find(ids[2]), nullptr);
  EXPECT_NE(manager.find(added), nullptr);
}

TEST(SessionManagerLimitTest, TimedOutSessionsMakeRoomBeforeTheLeastRecentlyUsed) {
  ManualClock clock;
  SessionOptions options;
  options.maxSessions = 3;
  SessionManager manager(options, clock.function());
  std::string a = manager.add(manager.create());
  std::string b = manager.add(manager.create());
  std::string c = manager.add(manager.create());
  {
    RequestSession request(manager, {std::string(kSessionCookie) + "=" + c});
    request.setTimeoutMinutes(1);
    request.finish();
  }
  clock.now += minutes(2);
  manager.find(a);  // b is the least recently used, c has timed out
  std::string d = manager.add(manager.create());
  EXPECT_EQ(manager.size(), 3u);
  EXPECT_EQ(manager.find(c), nullptr);
  for (const std::string& id : {a, b, d}) EXPECT_NE(manager.find(id), nullptr);
}

TEST_F(SessionManagerTest, TimeoutLengthenedAfterTheLastUseIsHonouredByThePurge) {
  std::string id = addWith("USER", "jdoe");
  manager.find(id)->setTimeoutMinutes(60);  // as a sign-in sets it while its request runs
  clock.now += minutes(30);
  manager.purgeExpired();
  EXPECT_NE(manager.find(id), nullptr);
  clock.now += minutes(61);
  manager.purgeExpired();
  EXPECT_EQ(manager.size(), 0u);
}

TEST(SessionManagerThreadTest, ManyThreadsAddFindRenewAndAbandonAtOnce) {
  SessionManager manager;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&manager, &failures, t] {
      for (int i = 0; i < 200; ++i) {
        auto session = manager.create();
        session->store().set("N", Value(std::to_string(t * 1000 + i)));
        std::string id = manager.add(session);
        auto found = manager.find(id);
        if (!found || found->store().text("n") != std::to_string(t * 1000 + i)) ++failures;
        std::string renewed = manager.renew(id);
        if (renewed.empty() || manager.find(id)) ++failures;
        if (i % 2) manager.abandon(renewed);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(manager.size(), 8u * 100u);
}

// ---- RequestSession ---------------------------------------------------------------------

class RequestSessionTest : public ::testing::Test {
 protected:
  ManualClock clock;
  SessionManager manager{SessionOptions{}, clock.function()};

  static std::vector<std::string> cookie(const std::string& id) {
    return {std::string(kSessionCookie) + "=" + id};
  }
  static std::string idIn(const std::string& setCookie) {
    std::string prefix = std::string(kSessionCookie) + "=";
    if (setCookie.rfind(prefix, 0) != 0) return {};
    return setCookie.substr(prefix.size(), setCookie.find(';') - prefix.size());
  }
};

TEST_F(RequestSessionTest, RequestThatStoresNothingLeavesNoSessionAndSetsNoCookie) {
  RequestSession request(manager, {});
  EXPECT_EQ(request.store().text("USER"), "");
  EXPECT_EQ(request.finish(), "");
  EXPECT_EQ(manager.size(), 0u);
}

TEST_F(RequestSessionTest, FirstStoreStartsASessionWithAProtectedCookie) {
  RequestSession request(manager, {});
  request.store().set("USER", Value("jdoe"));
  std::string setCookie = request.finish();
  EXPECT_NE(setCookie.find("; HttpOnly"), std::string::npos) << setCookie;
  EXPECT_NE(setCookie.find("; SameSite=Lax"), std::string::npos) << setCookie;
  EXPECT_NE(setCookie.find("; Path=/"), std::string::npos) << setCookie;
  std::string id = idIn(setCookie);
  ASSERT_TRUE(SessionManager::isWellFormedId(id)) << setCookie;

  RequestSession next(manager, cookie(id));
  EXPECT_EQ(next.store().text("user"), "jdoe");
  EXPECT_EQ(next.finish(), "") << "a known session keeps its cookie";
}

TEST_F(RequestSessionTest, UnknownIdFromTheBrowserIsNeverAdopted) {
  std::string planted = SessionManager::newId();
  RequestSession request(manager, cookie(planted));
  request.store().set("USER", Value("jdoe"));
  std::string id = idIn(request.finish());
  EXPECT_TRUE(SessionManager::isWellFormedId(id));
  EXPECT_NE(id, planted);
  EXPECT_EQ(manager.find(planted), nullptr);
}

TEST_F(RequestSessionTest, TimedOutSessionStartsOverEmpty) {
  RequestSession first(manager, {});
  first.store().set("USER", Value("jdoe"));
  std::string id = idIn(first.finish());
  clock.now += minutes(21);
  RequestSession later(manager, cookie(id));
  EXPECT_EQ(later.store().text("USER"), "");
}

TEST_F(RequestSessionTest, RenewedIdReplacesTheCookieAndTheOldIdNoLongerReachesTheSession) {
  RequestSession first(manager, {});
  first.store().set("ROLE", Value("A"));
  std::string oldId = idIn(first.finish());

  RequestSession signIn(manager, cookie(oldId));
  signIn.renewId();
  signIn.store().set("USER", Value("jdoe"));
  std::string newId = idIn(signIn.finish());
  ASSERT_TRUE(SessionManager::isWellFormedId(newId));
  EXPECT_NE(newId, oldId);

  RequestSession withOld(manager, cookie(oldId));
  EXPECT_EQ(withOld.store().text("USER"), "");
  RequestSession withNew(manager, cookie(newId));
  EXPECT_EQ(withNew.store().text("USER"), "jdoe");
  EXPECT_EQ(withNew.store().text("ROLE"), "A");
}

TEST_F(RequestSessionTest, RenewOnANewSessionKeepsItEvenWithoutItems) {
  RequestSession request(manager, {});
  request.renewId();
  EXPECT_TRUE(SessionManager::isWellFormedId(idIn(request.finish())));
  EXPECT_EQ(manager.size(), 1u);
}

TEST_F(RequestSessionTest, AbandonDropsTheSessionClearsTheCookieAndLosesLaterWrites) {
  RequestSession first(manager, {});
  first.store().set("USER", Value("jdoe"));
  std::string id = idIn(first.finish());

  RequestSession logout(manager, cookie(id));
  logout.abandon();
  EXPECT_EQ(logout.store().text("USER"), "");
  logout.store().set("AFTER", Value("x"));
  std::string setCookie = logout.finish();
  EXPECT_EQ(idIn(setCookie), "");
  EXPECT_NE(setCookie.find("Max-Age=0"), std::string::npos) << setCookie;
  EXPECT_EQ(manager.size(), 0u);

  RequestSession next(manager, cookie(id));
  EXPECT_EQ(next.store().text("USER"), "");
  EXPECT_EQ(next.store().text("AFTER"), "");
}

TEST_F(RequestSessionTest, SecondCookieOfTheSameNameIsTriedWhenTheFirstIsStale) {
  RequestSession first(manager, {});
  first.store().set("USER", Value("jdoe"));
  std::string id = idIn(first.finish());
  std::vector<std::string> headers = {std::string(kSessionCookie) + "=" + SessionManager::newId() +
                                      "; " + std::string(kSessionCookie) + "=" + id};
  RequestSession request(manager, headers);
  EXPECT_EQ(request.store().text("USER"), "jdoe");
}

TEST(CookieValuesTest, FindsTheNamedCookieInCookieHeaders) {
  struct Case {
    std::vector<std::string> headers;
    std::vector<std::string> values;
  } cases[] = {
      {{}, {}},
      {{"RavadidSession=abc"}, {"abc"}},
      {{"a=1; RavadidSession=abc; b=2"}, {"abc"}},
      {{"a=1;RavadidSession=abc"}, {"abc"}},
      {{"RavadidSession=\"abc\""}, {"abc"}},
      {{"RavadidSessionX=abc; XRavadidSession=def"}, {}},
      {{"ravadidsession=abc"}, {}},  // cookie names are case-sensitive
      {{"RavadidSession"}, {}},
      {{"RavadidSession="}, {""}},
      {{"RavadidSession=a; RavadidSession=b", "RavadidSession=c"}, {"a", "b", "c"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cookieValues(c.headers, "RavadidSession"), c.values)
        << (c.headers.empty() ? "" : c.headers.front());
  }
}

}  // namespace
}  // namespace ravadid

namespace ravadid {
namespace {

// A manager that keeps a session only while someone is signed in, as the server runs it.
class SignedInSessionTest : public ::testing::Test {
 protected:
  SignedInSessionTest() : manager(options(), clock.function()) {}
  static SessionOptions options() {
    SessionOptions o;
    o.maxSessions = 3;
    o.keep = [](const Store& store) { return !store.text("USER").empty(); };
    return o;
  }
  // A sign-in post: resets the session, then signs userId in unless it is empty.
  std::string signIn(const std::vector<std::string>& cookies, const std::string& userId) {
    RequestSession request(manager, cookies);
    request.store().set("USER", Value(""));
    request.store().set("numFunds", Value("0"));
    if (!userId.empty()) {
      request.renewId();
      request.store().set("USER", Value(userId));
    }
    return request.finish();
  }
  static std::vector<std::string> cookieOf(const std::string& setCookie) {
    return {setCookie.substr(0, setCookie.find(';'))};
  }

  ManualClock clock;
  SessionManager manager;
};

TEST_F(SignedInSessionTest, SignedInSessionsSurviveAFloodOfFailedSignIns) {
  std::string first = signIn({}, "first");
  std::string second = signIn({}, "second");
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(signIn({}, ""), "");
  EXPECT_EQ(manager.size(), 2u);
  for (const std::string& setCookie : {first, second}) {
    RequestSession request(manager, cookieOf(setCookie));
    EXPECT_NE(request.store().text("USER"), "");
    request.finish();
  }
}

TEST_F(SignedInSessionTest, FailedSignInDropsTheSignedInSessionAndClearsItsCookie) {
  std::string signedIn = signIn({}, "jdoe");
  std::string failed = signIn(cookieOf(signedIn), "");
  EXPECT_NE(failed.find("Max-Age=0"), std::string::npos) << failed;
  EXPECT_EQ(manager.size(), 0u);
  RequestSession later(manager, cookieOf(signedIn));
  EXPECT_EQ(later.store().text("numFunds"), "");
}

TEST_F(SignedInSessionTest, AtTheLimitTheLeastRecentlyUsedSignedInSessionMakesRoom) {
  std::vector<std::string> cookies;
  for (const char* user : {"a", "b", "c"}) {
    cookies.push_back(signIn({}, user));
    clock.now += seconds(1);
  }
  RequestSession(manager, cookieOf(cookies[0])).finish();  // "b" is now the least recent
  signIn({}, "d");
  EXPECT_EQ(manager.size(), 3u);
  const char* expected[] = {"a", "", "c"};
  for (int i = 0; i < 3; ++i) {
    RequestSession request(manager, cookieOf(cookies[i]));
    EXPECT_EQ(request.store().text("USER"), expected[i]) << i;
  }
}

TEST_F(SignedInSessionTest, SecureRequestGetsASecureCookie) {
  for (bool secure : {false, true}) {
    RequestSession request(manager, {}, secure);
    request.store().set("USER", Value("jdoe"));
    std::string setCookie = request.finish();
    EXPECT_EQ(setCookie.find("; Secure") != std::string::npos, secure) << setCookie;
  }
}

}  // namespace
}  // namespace ravadid
