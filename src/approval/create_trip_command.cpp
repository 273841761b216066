#include "approval/create_trip_command.h"

#include <string>
#include <string_view>

#include "approval/trip_creation.h"
#include "frame/application.h"
#include "frame/host/exchange.h"
#include "frame/pages.h"
#include "frame/store.h"
#include "frame/web_application.h"

namespace ravadid {
namespace {

// The command's stand-in for an HTTP request: nothing posted, no session, and what the trap
// writes kept aside (the report is printed from the request error text).
class CommandExchange final : public Exchange {
 public:
  std::string form(std::string_view) const override { return {}; }
  std::string query(std::string_view) const override { return {}; }
  bool hasQuery(std::string_view) const override { return false; }
  std::string serverVariable(std::string_view) const override { return {}; }
  void write(std::string_view) override {}
  void redirect(std::string_view) override {}
  void download(std::string_view, std::string_view, std::string&&) override {}
  void end() override {}
  bool ended() const override { return false; }
  void setStatus(int) override {}
  Store& session() override { return session_; }
  void setSessionTimeout(int) override {}
  int sessionTimeout() const override { return 0; }
  void abandonSession() override {}
  void renewSessionId() override {}

 private:
  Store session_;
};

}  // namespace

int runCreateTripCommand(const Installation& installation, int32_t requestNumber, std::ostream& out,
                         std::ostream& err) {
  WebApplication web(installation, makeStandardPages());
  CommandExchange exchange;
  Ravadid app(web, exchange);
  int32_t trip = 0;
  app.run({.name = "CreateTripCommand", .writesReport = false}, [&] {
    trip = CreateTrip(app, requestNumber);
    app.closeStep();
  });
  if (!app.noError()) {
    err << app.errorText() << "\n";
    return 1;
  }
  out << trip << "\n";
  return 0;
}

}  // namespace ravadid
