// A busy site over HTTP: start requests rewriting the site settings while other requests read
// them, a debug log that must not grow without bound, a list holding a damaged row.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/demo_server.h"
#include "support/sqlite_exec.h"

namespace ravadid {
namespace {

TEST(BusySiteTest, SimultaneousBarePagesAndSignedInPagesAlwaysShowTheDistrict) {
  testing::DemoServer demo;
  const int port = demo.port();
  const std::string heading = "<h1>Larkdale Unified School District</h1>";

  httplib::Client first("127.0.0.1", port);
  ASSERT_NE(first.Get("/RavadidLarkdale.asp")->body.find(heading), std::string::npos);
  // One signed-in session, shared by the list readers.
  auto signIn = first.Post(
      "/RavadidLarkdale.asp?WCI=Login&WCE=LoginValidateUser&WCU",
      httplib::Params{
          {"user", "clerk"}, {"password", "clerk"}, {"btnsubmit", "Work With Trip Requests"}});
  ASSERT_TRUE(signIn);
  std::string cookie = signIn->get_header_value("Set-Cookie");
  cookie = cookie.substr(0, cookie.find(';'));

  std::atomic<int> answered{0};
  std::atomic<int> blank{0};
  std::vector<std::thread> clients;
  for (int t = 0; t < 20; ++t) {
    clients.emplace_back([&, t] {
      httplib::Client c("127.0.0.1", port);
      c.set_read_timeout(20);
      for (int i = 0; i < 10; ++i) {
        auto r = t % 4 == 0 ? c.Get("/RavadidLarkdale.asp?WCI=RequestSearch&WCU",
                                    httplib::Headers{{"Cookie", cookie}})
                            : c.Get("/RavadidLarkdale.asp");
        if (!r || r->status != 200) continue;
        ++answered;
        if (r->body.find(heading) == std::string::npos) ++blank;
      }
    });
  }
  for (auto& c : clients) c.join();
  EXPECT_EQ(answered, 200);
  EXPECT_EQ(blank, 0);
}

TEST(BusySiteTest, TheDebugLogStaysWithinItsLimitKeepingOneOldFile) {
  constexpr std::uintmax_t kLimit = 32 * 1024;
  testing::DemoServer demo(
      [](testing::TempInstallation&, WebApplication& web) { web.log().setMaxBytes(kLimit); });
  httplib::Client client("127.0.0.1", demo.port());
  for (int i = 0; i < 60; ++i) ASSERT_EQ(client.Get("/RavadidLarkdale.asp")->status, 200);
  const std::filesystem::path log = demo.site.logFile();
  EXPECT_LE(std::filesystem::file_size(log), kLimit);
  EXPECT_GT(std::filesystem::file_size(log.string() + ".1"), kLimit / 2);
  EXPECT_LE(std::filesystem::file_size(log.string() + ".1"), kLimit);
  EXPECT_FALSE(std::filesystem::exists(log.string() + ".2"));
}

TEST(BusySiteTest, ARequestWithATextInItsDateColumnsDoesNotBreakTheList) {
  testing::DemoServer demo([](testing::TempInstallation& site, WebApplication&) {
    testing::sqliteExec(site.dataFolder() / "Tripschl.mdb",
                        "UPDATE TRIPSREQ SET depdate = 'next week', REQDATE = 'unknown' WHERE "
                        "TRIPNUM = (SELECT MIN(TRIPNUM) FROM TRIPSREQ WHERE CUSTOMER = 'LHS')");
  });
  httplib::Client client("127.0.0.1", demo.port());
  client.Get("/RavadidLarkdale.asp");
  auto signIn = client.Post("/RavadidLarkdale.asp?WCI=Login&WCE=LoginValidateUser&WCU",
                            httplib::Params{{"user", "lhs.teacher"},
                                            {"password", "teacher"},
                                            {"btnsubmit", "Work With Trip Requests"}});
  ASSERT_TRUE(signIn);
  EXPECT_EQ(signIn->body.find("Error in Procedure"), std::string::npos);
  EXPECT_NE(signIn->body.find("next week, "), std::string::npos);
  EXPECT_NE(signIn->body.find("<td><font size='-2'>unknown</font></td>"), std::string::npos);
}

}  // namespace
}  // namespace ravadid
