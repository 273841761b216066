#include "frame/host/sessions.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace ravadid {
namespace {

constexpr std::size_t kIdBytes = 32;
constexpr auto kPurgeInterval = std::chrono::seconds(60);

int clampTimeout(int minutes) {
  return std::clamp(minutes, kMinSessionTimeout, kMaxSessionTimeout);
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

Session::Session(int timeoutMinutes) : timeoutMinutes_(clampTimeout(timeoutMinutes)) {}

void Session::setTimeoutMinutes(int minutes) {
  // No timeout (sign-in before any start request loaded the setting) keeps the current one
  // rather than ending the session within a minute.
  if (minutes <= 0) return;
  timeoutMinutes_.store(clampTimeout(minutes), std::memory_order_relaxed);
}

// ---- SessionManager ---------------------------------------------------------------------

SessionManager::SessionManager(SessionOptions options, Clock clock)
    : options_(options), clock_(std::move(clock)) {
  options_.timeoutMinutes = clampTimeout(options_.timeoutMinutes);
  options_.maxSessions = std::max<std::size_t>(options_.maxSessions, 1);
  lastPurge_ = now();
}

std::string SessionManager::newId() {
  unsigned char bytes[kIdBytes];
  std::size_t filled = 0;
  while (filled < kIdBytes) {
    ssize_t n = getrandom(bytes + filled, kIdBytes - filled, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "getrandom");
    }
    filled += static_cast<std::size_t>(n);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  id.reserve(kIdBytes * 2);
  for (unsigned char b : bytes) {
    id += kHex[b >> 4];
    id += kHex[b & 0x0f];
  }
  return id;
}

bool SessionManager::isWellFormedId(std::string_view id) {
  return id.size() == kIdBytes * 2 && std::all_of(id.begin(), id.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

SessionManager::TimePoint SessionManager::now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

bool SessionManager::expired(const Entry& entry, TimePoint now) {
  return now - entry.lastAccess > std::chrono::minutes(entry.session->timeoutMinutes());
}

std::shared_ptr<Session> SessionManager::find(std::string_view id) {
  if (!isWellFormedId(id)) return nullptr;
  TimePoint t = now();
  std::lock_guard lock(mutex_);
  purgeIfDue(t);
  auto it = sessions_.find(std::string(id));
  if (it == sessions_.end()) return nullptr;
  if (expired(it->second, t)) {
    it->second.session->store().clear();
    sessions_.erase(it);
    return nullptr;
  }
  it->second.lastAccess = t;
  return it->second.session;
}

std::shared_ptr<Session> SessionManager::create() const {
  return std::make_shared<Session>(options_.timeoutMinutes);
}

std::string SessionManager::freshIdLocked() {
  std::string id = newId();
  while (sessions_.count(id)) id = newId();  // practically never loops
  return id;
}

std::string SessionManager::add(std::shared_ptr<Session> session) {
  TimePoint t = now();
  std::lock_guard lock(mutex_);
  purgeIfDue(t);
  if (sessions_.size() >= options_.maxSessions) purgeExpiredLocked(t);
  if (sessions_.size() >= options_.maxSessions) {
    auto oldest = std::min_element(sessions_.begin(), sessions_.end(), [](auto& a, auto& b) {
      return a.second.lastAccess < b.second.lastAccess;
    });
    oldest->second.session->store().clear();
    sessions_.erase(oldest);
  }
  std::string id = freshIdLocked();
  sessions_.emplace(id, Entry{std::move(session), t});
  return id;
}

std::string SessionManager::renew(std::string_view id) {
  TimePoint t = now();
  std::lock_guard lock(mutex_);
  auto it = sessions_.find(std::string(id));
  if (it == sessions_.end()) return {};
  if (expired(it->second, t)) {
    it->second.session->store().clear();
    sessions_.erase(it);
    return {};
  }
  Entry entry{std::move(it->second.session), t};
  sessions_.erase(it);
  std::string fresh = freshIdLocked();
  sessions_.emplace(fresh, std::move(entry));
  return fresh;
}

void SessionManager::abandon(std::string_view id) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(std::string(id));
    if (it == sessions_.end()) return;
    session = std::move(it->second.session);
    sessions_.erase(it);
  }
  session->store().clear();
}

void SessionManager::purgeExpired() {
  TimePoint t = now();
  std::lock_guard lock(mutex_);
  purgeExpiredLocked(t);
}

void SessionManager::purgeExpiredLocked(TimePoint now) {
  lastPurge_ = now;
  std::erase_if(sessions_, [now](const auto& item) {
    if (!expired(item.second, now)) return false;
    item.second.session->store().clear();
    return true;
  });
}

void SessionManager::purgeIfDue(TimePoint now) {
  if (now - lastPurge_ >= kPurgeInterval) purgeExpiredLocked(now);
}

std::size_t SessionManager::size() const {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

// ---- RequestSession ---------------------------------------------------------------------

RequestSession::RequestSession(SessionManager& manager,
                               const std::vector<std::string>& cookieHeaders)
    : manager_(manager) {
  // A browser may hold several cookies of that name (other paths); the first live one counts.
  for (const std::string& id : cookieValues(cookieHeaders, kSessionCookie)) {
    hadCookie_ = true;
    if (auto session = manager_.find(id)) {
      session_ = std::move(session);
      id_ = id;
      break;
    }
  }
}

Session& RequestSession::current() {
  if (!session_) session_ = manager_.create();
  return *session_;
}

Store& RequestSession::store() {
  return current().store();
}

int RequestSession::timeoutMinutes() {
  return current().timeoutMinutes();
}

void RequestSession::setTimeoutMinutes(int minutes) {
  current().setTimeoutMinutes(minutes);
}

void RequestSession::abandon() {
  if (!id_.empty()) {
    manager_.abandon(id_);
  } else if (session_) {
    session_->store().clear();
  }
  id_.clear();
  abandoned_ = true;
  renewed_ = false;
  session_ = manager_.create();  // detached: never kept
}

void RequestSession::renewId() {
  if (abandoned_) return;
  if (!id_.empty()) {
    std::string fresh = manager_.renew(id_);
    if (!fresh.empty()) {
      id_ = std::move(fresh);
      renewed_ = true;
      return;
    }
    // Timed out or abandoned by a concurrent request: carry on as a new session.
    id_.clear();
  }
  current();
  renewed_ = true;  // a new session gets a fresh id when finish() keeps it
}

std::string RequestSession::finish() {
  if (finished_) return {};
  finished_ = true;
  if (abandoned_) return hadCookie_ ? expiredSessionCookie() : std::string();
  if (id_.empty()) {
    if (!session_ || (!renewed_ && session_->store().size() == 0)) return {};
    id_ = manager_.add(session_);
    return sessionCookie(id_);
  }
  return renewed_ ? sessionCookie(id_) : std::string();
}

// ---- Cookies ----------------------------------------------------------------------------

std::string sessionCookie(std::string_view id) {
  return std::string(kSessionCookie) + "=" + std::string(id) + "; Path=/; HttpOnly; SameSite=Lax";
}

std::string expiredSessionCookie() {
  return std::string(kSessionCookie) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Lax";
}

std::vector<std::string> cookieValues(const std::vector<std::string>& cookieHeaders,
                                      std::string_view name) {
  std::vector<std::string> values;
  for (std::string_view header : cookieHeaders) {
    while (!header.empty()) {
      std::size_t semicolon = header.find(';');
      std::string_view pair = header.substr(0, semicolon);
      header =
          semicolon == std::string_view::npos ? std::string_view() : header.substr(semicolon + 1);
      std::size_t eq = pair.find('=');
      if (eq == std::string_view::npos) continue;
      if (trimBlanks(pair.substr(0, eq)) != name) continue;
      std::string_view value = trimBlanks(pair.substr(eq + 1));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
        value = value.substr(1, value.size() - 2);
      }
      values.emplace_back(value);
    }
  }
  return values;
}

}  // namespace ravadid
