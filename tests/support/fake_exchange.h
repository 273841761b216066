// An Exchange for tests: the request is what the test puts into the maps, the response is
// left in public fields. Behaves like the real server: writes after end() are dropped, and a
// redirect drops what was written and ends the response.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "frame/host/exchange.h"
#include "frame/store.h"

namespace ravadid::testing {

class FakeExchange : public Exchange {
 public:
  using Items =
      std::unordered_map<std::string, std::string, CaseInsensitiveHash, CaseInsensitiveEqual>;

  // Request.
  Items formItems;
  Items queryItems;  // a bare "WCU" is {"WCU", ""}
  Items serverVariables;

  // Response.
  std::string body;
  int status = 200;
  std::string redirectTarget;
  bool hasEnded = false;
  std::string contentType;       // of a download; empty for a page
  std::string downloadFileName;  // of a download

  // Session.
  Store sessionStore;
  int timeoutMinutes = 20;
  int abandonCount = 0;
  int renewCount = 0;

  std::string form(std::string_view name) const override { return find(formItems, name); }
  std::string query(std::string_view name) const override { return find(queryItems, name); }
  bool hasQuery(std::string_view name) const override {
    return queryItems.find(name) != queryItems.end();
  }
  std::string serverVariable(std::string_view name) const override {
    return find(serverVariables, name);
  }

  void write(std::string_view text) override {
    if (!hasEnded) body.append(text);
  }
  void redirect(std::string_view url) override {
    if (hasEnded) return;
    redirectTarget = std::string(url);
    status = 302;
    body.clear();
    hasEnded = true;
  }
  void end() override { hasEnded = true; }
  void download(std::string_view type, std::string_view fileName, std::string&& text) override {
    if (hasEnded) return;
    contentType = std::string(type);
    downloadFileName = std::string(fileName);
    body = std::move(text);
    hasEnded = true;
  }
  bool ended() const override { return hasEnded; }
  void setStatus(int s) override { status = s; }

  Store& session() override { return sessionStore; }
  void setSessionTimeout(int minutes) override { timeoutMinutes = minutes; }
  int sessionTimeout() const override { return timeoutMinutes; }
  void abandonSession() override {
    sessionStore.clear();
    ++abandonCount;
  }
  void renewSessionId() override { ++renewCount; }

 private:
  static std::string find(const Items& items, std::string_view name) {
    auto it = items.find(name);
    return it == items.end() ? std::string() : it->second;
  }
};

}  // namespace ravadid::testing
