// Per-browser session stores, found by a random id that the browser returns in a cookie.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "frame/store.h"

namespace ravadid {

inline constexpr std::string_view kSessionCookie = "RavadidSession";

// Bounds of a session timeout in minutes; values outside are clamped.
inline constexpr int kMinSessionTimeout = 1;
inline constexpr int kMaxSessionTimeout = 24 * 60;

class Session {
 public:
  explicit Session(int timeoutMinutes);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Store& store() { return store_; }
  int timeoutMinutes() const { return timeoutMinutes_.load(std::memory_order_relaxed); }
  void setTimeoutMinutes(int minutes);

 private:
  Store store_;
  std::atomic<int> timeoutMinutes_;
};

struct SessionOptions {
  int timeoutMinutes = 20;
  // At this many sessions the timed-out ones go, then the one unused for the longest time
  // makes room for a new one.
  std::size_t maxSessions = 100000;
  // Whether a session is worth keeping after a request: one that is not is never kept, and a
  // kept one that stops being worth it is dropped. Unset: a session lasts once something was
  // stored in it or its id renewed.
  std::function<bool(const Store&)> keep;
};

class SessionManager {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // clock defaults to the steady clock; tests pass their own.
  explicit SessionManager(SessionOptions options = {}, Clock clock = {});
  SessionManager(const SessionManager&) = delete;
  SessionManager& operator=(const SessionManager&) = delete;

  // 256 random bits from the operating system as 64 lower-case hex digits.
  static std::string newId();
  // Whether text has the form newId() gives; anything else is never looked up.
  static bool isWellFormedId(std::string_view id);

  // The live session under id, its idle time restarted; null when unknown or timed out.
  std::shared_ptr<Session> find(std::string_view id);
  // A session with the default timeout that the manager does not keep yet.
  std::shared_ptr<Session> create() const;
  // Keeps the session under a fresh id and returns that id.
  std::string add(std::shared_ptr<Session> session);
  // Moves the session under id to a fresh id and returns it; empty when id is not live.
  std::string renew(std::string_view id);
  // Forgets the session under id and drops its items.
  void abandon(std::string_view id);
  // Files the session under id by its current timeout, after a request changed it.
  void refreshExpiry(std::string_view id);
  // Forgets every session idle for longer than its timeout.
  void purgeExpired();
  std::size_t size() const;
  const SessionOptions& options() const { return options_; }

 private:
  using TimePoint = std::chrono::steady_clock::time_point;
  // Ids are held by pointer to the map's key, which stays put while the entry lives.
  using RecencyList = std::list<const std::string*>;
  using ExpiryIndex = std::multimap<TimePoint, const std::string*>;
  struct Entry {
    std::shared_ptr<Session> session;
    TimePoint lastAccess;
    RecencyList::iterator recency;
    ExpiryIndex::iterator expiry;
  };
  using Sessions = std::unordered_map<std::string, Entry>;

  static bool expired(const Entry& entry, TimePoint now);
  static TimePoint expiryOf(const Entry& entry);
  TimePoint now() const;
  // Callers hold mutex_.
  void insertLocked(std::string id, Entry entry);
  void touchLocked(Sessions::iterator it, TimePoint now);
  // Forgets the session and drops its items.
  void eraseLocked(Sessions::iterator it);
  void purgeExpiredLocked(TimePoint now);
  std::string freshIdLocked();

  SessionOptions options_;
  Clock clock_;
  mutable std::mutex mutex_;
  Sessions sessions_;
  // From the least to the most recently used, so the session that makes room is found at once.
  RecencyList recency_;
  // By the time each session expires as of its last use, so timed-out sessions are found
  // without a scan. A request that changes the timeout files its session again when it ends.
  ExpiryIndex expiries_;
};

// The session as one request sees it. It is looked up from the request's cookie; a request
// without a live session gets a new one, which is kept only when it is worth keeping after the
// request (SessionOptions::keep), so requests that leave nothing worth keeping leave nothing
// behind.
class RequestSession {
 public:
  // cookieHeaders: the values of the request's Cookie headers. secureCookie: the browser
  // reached the site over HTTPS, so the cookie it gets is marked Secure.
  RequestSession(SessionManager& manager, const std::vector<std::string>& cookieHeaders,
                 bool secureCookie = false);

  Store& store();
  int timeoutMinutes();
  void setTimeoutMinutes(int minutes);
  // Drops every item and ends the session. The rest of the request works on a detached store
  // whose items are lost; the browser's cookie is cleared.
  void abandon();
  // Moves the session to a fresh id (sign-in), so an id known before no longer reaches it.
  void renewId();
  // After the request ran: keeps a new session worth keeping, drops a kept one that is no
  // longer worth it, and gives the Set-Cookie value the response must carry, or empty text
  // when the cookie stays as it is.
  std::string finish();
  // After finish(): whether the manager keeps the session for the browser's next request.
  bool kept() const { return finished_ && !id_.empty(); }

 private:
  Session& current();
  bool worthKeeping() const;

  SessionManager& manager_;
  std::shared_ptr<Session> session_;
  std::string id_;  // the id the manager keeps session_ under; empty while not kept
  bool hadCookie_ = false;
  bool secureCookie_ = false;
  bool timeoutChanged_ = false;
  bool abandoned_ = false;
  bool renewed_ = false;
  bool finished_ = false;
};

// Set-Cookie values for the session cookie; secure adds the Secure attribute.
std::string sessionCookie(std::string_view id, bool secure = false);
std::string expiredSessionCookie(bool secure = false);
// The values of the cookie named name in Cookie header values ("a=1; b=2"), in order.
std::vector<std::string> cookieValues(const std::vector<std::string>& cookieHeaders,
                                      std::string_view name);

}  // namespace ravadid
