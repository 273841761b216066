#include "frame/host/sessions.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace ravadid {
namespace {

constexpr std::size_t kIdBytes = 32;

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
    : options_(std::move(options)), clock_(std::move(clock)) {
  options_.timeoutMinutes = clampTimeout(options_.timeoutMinutes);
  options_.maxSessions = std::max<std::size_t>(options_.maxSessions, 1);
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

SessionManager::TimePoint SessionManager::expiryOf(const Entry& entry) {
  return entry.lastAccess + std::chrono::minutes(entry.session->timeoutMinutes());
}

void SessionManager::insertLocked(std::string id, Entry entry) {
  auto [it, inserted] = sessions_.emplace(std::move(id), std::move(entry));
  const std::string* key = &it->first;
  it->second.recency = recency_.insert(recency_.end(), key);
  it->second.expiry = expiries_.emplace(expiryOf(it->second), key);
}

void SessionManager::touchLocked(Sessions::iterator it, TimePoint now) {
  Entry& entry = it->second;
  entry.lastAccess = now;
  recency_.splice(recency_.end(), recency_, entry.recency);
  expiries_.erase(entry.expiry);
  entry.expiry = expiries_.emplace(expiryOf(entry), &it->first);
}

void SessionManager::eraseLocked(Sessions::iterator it) {
  it->second.session->store().clear();
  recency_.erase(it->second.recency);
  expiries_.erase(it->second.expiry);
  sessions_.erase(it);
}

std::shared_ptr<Session> SessionManager::find(std::string_view id) {
  if (!isWellFormedId(id)) return nullptr;
  TimePoint t = now();
  std::lock_guard lock(mutex_);
  purgeExpiredLocked(t);
  auto it = sessions_.find(std::string(id));
  if (it == sessions_.end()) return nullptr;
  if (expired(it->second, t)) {
    eraseLocked(it);
    return nullptr;
  }
  touchLocked(it, t);
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
  purgeExpiredLocked(t);
  // Only sessions worth keeping are kept, so the one that makes room is the least recently
  // used of those.
  if (sessions_.size() >= options_.maxSessions) {
    eraseLocked(sessions_.find(*recency_.front()));
  }
  std::string id = freshIdLocked();
  insertLocked(id, Entry{std::move(session), t, {}, {}});
  return id;
}

std::string SessionManager::renew(std::string_view id) {
  TimePoint t = now();
  std::lock_guard lock(mutex_);
  auto it = sessions_.find(std::string(id));
  if (it == sessions_.end()) return {};
  if (expired(it->second, t)) {
    eraseLocked(it);
    return {};
  }
  std::shared_ptr<Session> session = std::move(it->second.session);
  recency_.erase(it->second.recency);
  expiries_.erase(it->second.expiry);
  sessions_.erase(it);
  std::string fresh = freshIdLocked();
  insertLocked(fresh, Entry{std::move(session), t, {}, {}});
  return fresh;
}

void SessionManager::abandon(std::string_view id) {
  std::lock_guard lock(mutex_);
  auto it = sessions_.find(std::string(id));
  if (it != sessions_.end()) eraseLocked(it);
}

void SessionManager::refreshExpiry(std::string_view id) {
  std::lock_guard lock(mutex_);
  auto it = sessions_.find(std::string(id));
  if (it == sessions_.end()) return;
  expiries_.erase(it->second.expiry);
  it->second.expiry = expiries_.emplace(expiryOf(it->second), &it->first);
}

void SessionManager::purgeExpired() {
  TimePoint t = now();
  std::lock_guard lock(mutex_);
  purgeExpiredLocked(t);
}

// Runs on every use of the manager: it costs one look at the earliest expiry unless sessions
// have timed out.
void SessionManager::purgeExpiredLocked(TimePoint now) {
  while (!expiries_.empty() && expiries_.begin()->first < now) {
    auto it = sessions_.find(*expiries_.begin()->second);
    if (expired(it->second, now)) {
      eraseLocked(it);
    } else {
      // Its timeout grew while a request was still running: file it under the later expiry.
      expiries_.erase(it->second.expiry);
      it->second.expiry = expiries_.emplace(expiryOf(it->second), &it->first);
    }
  }
}

std::size_t SessionManager::size() const {
  std::lock_guard lock(mutex_);
  return sessions_.size();
}

// ---- RequestSession ---------------------------------------------------------------------

RequestSession::RequestSession(SessionManager& manager,
                               const std::vector<std::string>& cookieHeaders, bool secureCookie)
    : manager_(manager), secureCookie_(secureCookie) {
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
  timeoutChanged_ = true;
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

bool RequestSession::worthKeeping() const {
  if (!session_) return false;
  if (const auto& keep = manager_.options().keep) return keep(session_->store());
  return !id_.empty() || renewed_ || session_->store().size() > 0;
}

std::string RequestSession::finish() {
  if (finished_) return {};
  finished_ = true;
  if (abandoned_) return hadCookie_ ? expiredSessionCookie(secureCookie_) : std::string();
  bool keep = worthKeeping();
  if (id_.empty()) {
    if (!keep) return {};
    id_ = manager_.add(session_);
    return sessionCookie(id_, secureCookie_);
  }
  if (!keep) {
    manager_.abandon(id_);
    id_.clear();
    return expiredSessionCookie(secureCookie_);
  }
  if (timeoutChanged_) manager_.refreshExpiry(id_);
  return renewed_ ? sessionCookie(id_, secureCookie_) : std::string();
}

// ---- Cookies ----------------------------------------------------------------------------

std::string sessionCookie(std::string_view id, bool secure) {
  return std::string(kSessionCookie) + "=" + std::string(id) + "; Path=/; HttpOnly; SameSite=Lax" +
         (secure ? "; Secure" : "");
}

std::string expiredSessionCookie(bool secure) {
  return std::string(kSessionCookie) + "=; Path=/; Max-Age=0; HttpOnly; SameSite=Lax" +
         (secure ? "; Secure" : "");
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
