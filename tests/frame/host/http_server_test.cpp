#include "frame/host/http_server.h"

#include <gtest/gtest.h>

namespace ravadid {
namespace {

TEST(ForwardedOverHttpsTest, TheProxyHeaderIsTrustedOnlyFromThisMachine) {
  struct Case {
    const char* peer;
    const char* proto;
    bool https;
  } cases[] = {
      {"127.0.0.1", "https", true},
      {"127.200.3.4", "HTTPS", true},
      {"::1", "https", true},
      {"::ffff:127.0.0.1", "https", true},
      {"127.0.0.1", "http", false},
      {"127.0.0.1", "", false},
      {"127.0.0.1", "https, http", false},
      {"10.0.0.5", "https", false},
      {"128.0.0.1", "https", false},
      {"192.168.1.20", "https", false},
      {"::2", "https", false},
      {"::ffff:10.0.0.1", "https", false},
      {"fe80::1", "https", false},
      {"", "https", false},
      {"localhost", "https", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(forwardedOverHttps(c.peer, c.proto), c.https) << c.peer << " " << c.proto;
  }
}

}  // namespace
}  // namespace ravadid
