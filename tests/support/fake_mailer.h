// A mail component for tests: records what it is asked to send and answers as told.
#pragma once

#include <vector>

#include "frame/errors.h"
#include "frame/host/mailer.h"

namespace ravadid::testing {

class FakeMailer : public Mailer {
 public:
  struct Call {
    MailServer server;
    MailMessage message;
  };
  MailResult send(const MailServer& server, const MailMessage& message) override {
    calls.push_back({server, message});
    if (throws) raise(-2147220975, "The transport failed to connect to the server");
    return answer;
  }
  std::vector<Call> calls;
  MailResult answer{true, {}};
  bool throws = false;
};

}  // namespace ravadid::testing
