#include "frame/host/http_server.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "frame/host/form_items.h"
#include "frame/runtime.h"

namespace ravadid {
namespace {

namespace fs = std::filesystem;
using httplib::Request;
using httplib::Response;
using HandlerResponse = httplib::Server::HandlerResponse;

using Items = FormItems;

constexpr const char* kHtml = "text/html; charset=utf-8";

// Static files are served only for these extensions, so configuration, data and logs that
// happen to lie under SITE stay private.
constexpr std::array<std::string_view, 21> kStaticExtensions = {
    "css",  "js",  "mjs", "htm", "html", "png",   "jpg", "jpeg", "gif", "ico", "svg",
    "webp", "bmp", "txt", "pdf", "woff", "woff2", "ttf", "otf",  "map", "json"};

std::string_view queryText(const Request& req) {
  std::string_view target = req.target;
  std::size_t q = target.find('?');
  return q == std::string_view::npos ? std::string_view() : target.substr(q + 1);
}

bool isPagePath(std::string_view path) {
  return vb::equalsIgnoreCase(path, kPagePath);
}

// The page path as a regular expression that ignores letter case (the library takes patterns
// without flags).
std::string caseInsensitivePattern(std::string_view path) {
  std::string pattern;
  for (char c : path) {
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      pattern += '[';
      pattern += static_cast<char>(std::toupper(u));
      pattern += static_cast<char>(std::tolower(u));
      pattern += ']';
    } else if (std::isalnum(u) || c == '/' || c == '_' || c == '-') {
      pattern += c;
    } else {
      pattern += '\\';
      pattern += c;
    }
  }
  return pattern;
}

bool isFormPost(const Request& req) {
  std::string type = vb::LCase(req.get_header_value("Content-Type"));
  return type.rfind("application/x-www-form-urlencoded", 0) == 0;
}

std::vector<std::string> cookieHeaders(const Request& req) {
  std::vector<std::string> values;
  auto [first, last] = req.headers.equal_range("Cookie");
  for (auto it = first; it != last; ++it) values.push_back(it->second);
  return values;
}

std::string reasonPhrase(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 411:
      return "Length Required";
    case 413:
      return "Payload Too Large";
    case 414:
      return "URI Too Long";
    case 416:
      return "Range Not Satisfiable";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return status < 500 ? "Client Error" : "Server Error";
  }
}

HandlerResponse answer(Response& res, int status) {
  res.status = status;
  return HandlerResponse::Handled;
}

// Answers and closes the connection without reading what the client still sends (a body too
// large or framed ambiguously): the library would read the rest as the next request. A body
// writer that reports failure after writing the text makes it drop the connection.
HandlerResponse answerAndClose(Response& res, int status) {
  res.status = status;
  res.set_header("Connection", "close");
  std::string text = std::to_string(status) + " " + reasonPhrase(status) + "\n";
  std::size_t length = text.size();
  res.set_content_provider(
      length, "text/plain; charset=utf-8",
      [text = std::move(text)](std::size_t offset, std::size_t size, httplib::DataSink& sink) {
        sink.write(text.data() + offset, size);
        return false;
      });
  return HandlerResponse::Handled;
}

enum class Framing { None, Length, Chunked, Invalid };

// How the request frames its body. Two different lengths, or a length and a transfer coding
// together, are refused: a proxy in front could read the request's end elsewhere than this
// server does. Of the transfer codings only chunked is understood.
Framing bodyFraming(const Request& req, std::uint64_t& length) {
  std::size_t codings = req.get_header_value_count("Transfer-Encoding");
  std::size_t lengths = req.get_header_value_count("Content-Length");
  if (codings > 0) {
    if (codings > 1 || lengths > 0) return Framing::Invalid;
    return vb::equalsIgnoreCase(req.get_header_value("Transfer-Encoding"), "chunked")
               ? Framing::Chunked
               : Framing::Invalid;
  }
  if (lengths == 0) return Framing::None;
  std::string text = req.get_header_value("Content-Length");
  for (std::size_t i = 1; i < lengths; ++i) {
    if (req.get_header_value("Content-Length", i) != text) return Framing::Invalid;
  }
  if (text.empty() || text.size() > 18 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return Framing::Invalid;
  }
  length = std::stoull(text);
  return length == 0 ? Framing::None : Framing::Length;
}

// The byte ranges a static file answers: a few, ascending and apart (each range starts after
// the one before ends). Anything else, such as thousands of overlapping ranges that would
// multiply the file, gets the whole file.
constexpr std::size_t kMaxRanges = 5;

bool servableRanges(const httplib::Ranges& ranges, std::uint64_t size) {
  if (ranges.size() > kMaxRanges) return false;
  std::uint64_t previousEnd = 0;
  for (const auto& [first, last] : ranges) {
    std::uint64_t offset;
    std::uint64_t end;
    if (first < 0) {  // "-N": the last N bytes
      std::uint64_t suffix = last < 0 ? 0 : static_cast<std::uint64_t>(last);
      offset = size - std::min(suffix, size);
      end = size;
    } else {
      offset = static_cast<std::uint64_t>(first);
      end = last < 0 ? size : std::min(static_cast<std::uint64_t>(last) + 1, size);
    }
    if (offset < previousEnd) return false;
    previousEnd = std::max(end, offset);
  }
  return true;
}

// ---- The exchange of one page request -----------------------------------------------------

class HttpExchange final : public Exchange {
 public:
  HttpExchange(WebApplication& application, const Request& req, Items form, RequestSession& session,
               bool https)
      : application_(application),
        req_(req),
        form_(std::move(form)),
        query_(parseFormItems(queryText(req))),
        session_(session),
        https_(https) {}

  std::string form(std::string_view name) const override { return lookup(form_, name); }
  std::string query(std::string_view name) const override { return lookup(query_, name); }
  bool hasQuery(std::string_view name) const override { return query_.find(name) != query_.end(); }

  std::string serverVariable(std::string_view name) const override {
    std::string key = vb::UCase(name);
    if (key == "APPL_PHYSICAL_PATH") return application_.installation().siteText();
    if (key == "REQUEST_METHOD") return req_.method;
    if (key == "REMOTE_ADDR" || key == "REMOTE_HOST") return req_.remote_addr;
    if (key == "REMOTE_PORT") return std::to_string(req_.remote_port);
    if (key == "LOCAL_ADDR") return req_.local_addr;
    if (key == "SERVER_PORT") return std::to_string(req_.local_port);
    if (key == "SERVER_NAME") return serverName();
    if (key == "SERVER_PROTOCOL") return req_.version;
    if (key == "SERVER_SOFTWARE") return std::string("Ravadid/") + RAVADID_VERSION;
    if (key == "SCRIPT_NAME" || key == "URL" || key == "PATH_INFO") return req_.path;
    if (key == "QUERY_STRING") return std::string(queryText(req_));
    if (key == "CONTENT_TYPE") return req_.get_header_value("Content-Type");
    if (key == "CONTENT_LENGTH") return req_.get_header_value("Content-Length");
    if (key == "HTTPS") return https_ ? "on" : "off";
    if (key.rfind("HTTP_", 0) == 0 && key.size() > 5) {
      std::string header = key.substr(5);
      std::replace(header.begin(), header.end(), '_', '-');
      return req_.get_header_value(header);
    }
    return {};
  }

  void write(std::string_view text) override {
    if (ended_) return;
    // A page's results table comes in one large piece with a little of the template after
    // it: an eighth more room then takes that rest, where growing to just the size needed
    // would copy the whole page once more when it comes. Small writes double the room.
    const std::size_t needed = body_.size() + text.size();
    if (needed > body_.capacity())
      body_.reserve(std::max(needed + needed / 8, 2 * body_.capacity()));
    body_.append(text);
  }

  // A results table of a few hundred kilobytes comes with room to spare after the page's
  // start: the start is put in front of it in its own buffer, which then becomes the page.
  // Copying the table into the page's buffer instead would fill a second large buffer.
  void writeMoved(std::string&& text) override {
    if (ended_) return;
    if (text.size() <= body_.size() || body_.size() + text.size() > text.capacity())
      return write(std::string_view(text));
    text.insert(0, body_);
    body_ = std::move(text);
  }

  // Ends the response: what was written before is dropped, later writes too.
  void redirect(std::string_view url) override {
    if (ended_) return;
    location_.clear();
    for (char c : url) {
      // Control characters would split the header.
      if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) location_ += c;
    }
    status_ = 302;
    body_.clear();
    ended_ = true;
  }

  void end() override { ended_ = true; }
  bool ended() const override { return ended_; }

  void download(std::string_view contentType, std::string_view fileName,
                std::string&& body) override {
    if (ended_) return;
    contentType_ = std::string(contentType);
    // The name goes between quotes in a header: quotes, backslashes and control characters
    // would end or split it.
    fileName_.clear();
    for (char c : fileName) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte >= 0x20 && byte < 0x7f && c != '"' && c != '\\') fileName_ += c;
    }
    body_ = std::move(body);
    ended_ = true;
  }

  void setStatus(int status) override {
    if (status >= 100 && status <= 599 && location_.empty()) status_ = status;
  }

  Store& session() override { return session_.store(); }
  void setSessionTimeout(int minutes) override { session_.setTimeoutMinutes(minutes); }
  int sessionTimeout() const override { return session_.timeoutMinutes(); }
  void abandonSession() override { session_.abandon(); }
  void renewSessionId() override { session_.renewId(); }

  void finish(Response& res) {
    res.status = status_;
    if (!location_.empty()) {
      res.set_header("Location", location_);
    } else {
      // set_content copies the body; a page of a few hundred kilobytes is moved instead.
      res.body = std::move(body_);
      res.set_header("Content-Type", contentType_.empty() ? kHtml : contentType_.c_str());
      if (!contentType_.empty())
        res.set_header("Content-Disposition", "attachment; filename=\"" + fileName_ + "\"");
    }
    if (std::string cookie = session_.finish(); !cookie.empty()) {
      res.set_header("Set-Cookie", cookie);
    }
    // Pages show personal data: shared caches may not keep them, and a signed-in user's pages
    // are kept nowhere, so that after signing out the back button shows none of them.
    res.set_header("Cache-Control", session_.kept() ? "no-store" : "private");
  }

 private:
  static std::string lookup(const Items& items, std::string_view name) {
    auto it = items.find(name);
    return it == items.end() ? std::string() : it->second;
  }

  std::string serverName() const {
    std::string host = req_.get_header_value("Host");
    if (host.empty()) return req_.local_addr;
    if (host.front() == '[') return host.substr(0, host.find(']') + 1);  // [::1]:8080
    return host.substr(0, host.find(':'));
  }

  WebApplication& application_;
  const Request& req_;
  Items form_;
  Items query_;
  RequestSession& session_;
  bool https_;
  std::string body_;
  std::string location_;
  std::string contentType_;  // of a download; a page is HTML
  std::string fileName_;     // of a download
  int status_ = 200;
  bool ended_ = false;
};

// The library listens with a backlog of 5: a burst of new connections would have its SYNs
// dropped and wait a second or more for the retransmission. Once bound, the backlog is widened.
class Listener : public httplib::Server {
 public:
  bool widenBacklog() { return ::listen(svr_sock_, SOMAXCONN) == 0; }
};

}  // namespace

bool isLoopbackAddress(std::string_view address) {
  std::string text(address.substr(0, address.find('%')));  // "::1%lo"
  in_addr v4{};
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (inet_pton(AF_INET6, text.c_str(), &v6) != 1) return false;
  if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
  return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;  // ::ffff:127.0.0.1
}

bool forwardedOverHttps(std::string_view peerAddress, std::string_view forwardedProto) {
  return vb::equalsIgnoreCase(forwardedProto, "https") && isLoopbackAddress(peerAddress);
}

unsigned defaultThreadCount() {
  // Every open connection holds a worker, also a browser's idle kept-alive ones: up to six
  // per browser, until the keep-alive timeout after its last request. 256 workers let about
  // forty browsers load pages at the same moment without queueing anyone; a worker that has
  // served pages costs about 0.35 MB (stack and database caches), and a wider pool costs no
  // measurable throughput.
  return std::max(256u, 16 * std::thread::hardware_concurrency());
}

// ---- Routing ------------------------------------------------------------------------------

struct HttpServer::Impl {
  explicit Impl(HttpServer& owner) : owner(owner) {
    std::error_code ec;
    site = fs::weakly_canonical(owner.application_.installation().site, ec);
    if (ec) site = fs::absolute(owner.application_.installation().site).lexically_normal();
  }

  void servePage(const Request& req, Response& res, Items form) {
    bool https = forwardedOverHttps(req.remote_addr, req.get_header_value("X-Forwarded-Proto"));
    RequestSession session(owner.sessions_, cookieHeaders(req), https);
    HttpExchange exchange(owner.application_, req, std::move(form), session, https);
    owner.application_.handle(exchange);
    exchange.finish(res);
  }

  void servePost(const Request& req, Response& res, const httplib::ContentReader& reader) {
    // Every byte counts, whatever the framing: a chunked body declares no length up front.
    const std::size_t limit = owner.options_.limits.maxBodyBytes;
    std::size_t received = 0;
    auto withinLimit = [&received, limit](std::size_t length) {
      received += length;
      return received <= limit;
    };
    std::string body;
    bool read;
    if (req.is_multipart_form_data()) {
      // Not a form this system posts: read past it, the page sees no form items.
      read = reader(
          [&withinLimit](const httplib::MultipartFormData& part) {
            return withinLimit(part.name.size() + part.filename.size() + part.content_type.size());
          },
          [&withinLimit](const char*, std::size_t length) { return withinLimit(length); });
    } else {
      read = reader([&](const char* data, std::size_t length) {
        if (!withinLimit(length)) return false;
        body.append(data, length);
        return true;
      });
    }
    if (received > limit) {
      answerAndClose(res, 413);
      return;
    }
    if (!read) {
      // A broken body leaves the connection at an unknown place.
      answerAndClose(res, res.status >= 400 ? res.status : 400);
      return;
    }
    servePage(req, res, isFormPost(req) ? parseFormItems(body) : Items());
  }

  // The file under SITE that a path names, when it may be served: no hidden or parent
  // segments, a known extension, and (after following links) still inside SITE.
  std::optional<fs::path> servableFile(std::string_view path) const {
    if (path.size() < 2 || path.front() != '/') return std::nullopt;
    for (char c : path) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\') return std::nullopt;
    }
    std::string_view rest = path.substr(1);
    std::string_view name;
    for (;;) {
      std::size_t slash = rest.find('/');
      name = rest.substr(0, slash);
      if (name.empty() || name.front() == '.') return std::nullopt;
      if (slash == std::string_view::npos) break;
      rest.remove_prefix(slash + 1);
    }
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string extension = vb::LCase(name.substr(dot + 1));
    if (std::find(kStaticExtensions.begin(), kStaticExtensions.end(), extension) ==
        kStaticExtensions.end()) {
      return std::nullopt;
    }
    std::error_code ec;
    fs::path file = fs::weakly_canonical(site / fs::path(path.substr(1)), ec);
    if (ec) return std::nullopt;
    auto [siteEnd, fileIt] = std::mismatch(site.begin(), site.end(), file.begin(), file.end());
    if (siteEnd != site.end() || fileIt == file.end()) return std::nullopt;
    return file;
  }

  HandlerResponse route(const Request& req, Response& res) {
    std::uint64_t length = 0;
    Framing framing = bodyFraming(req, length);
    if (framing == Framing::Invalid) return answerAndClose(res, 400);
    if (framing == Framing::Length && length > owner.options_.limits.maxBodyBytes) {
      return answerAndClose(res, 413);
    }
    bool hasBody = framing != Framing::None;
    bool getOrHead = req.method == "GET" || req.method == "HEAD";
    // The library cuts every response to the requested byte ranges. Only static files honour
    // them (narrowed below); the request object is the library's own, not a constant one.
    httplib::Ranges& ranges = const_cast<Request&>(req).ranges;
    httplib::Ranges requestedRanges;
    requestedRanges.swap(ranges);

    if (isPagePath(req.path)) {
      if (req.method == "POST") {
        // The multipart reader shows only the parts' contents, so a multipart body of unknown
        // length could run on unseen; browsers always declare its length.
        if (framing == Framing::Chunked && req.is_multipart_form_data()) {
          return answerAndClose(res, 411);
        }
        if (hasBody) return HandlerResponse::Unhandled;  // the body is read next
        servePage(req, res, Items());
        return HandlerResponse::Handled;
      }
      if (!getOrHead) {
        res.set_header("Allow", "GET, HEAD, POST");
        return hasBody ? answerAndClose(res, 405) : answer(res, 405);
      }
      if (hasBody) return answerAndClose(res, 400);
      servePage(req, res, Items());
      return HandlerResponse::Handled;
    }
    // Nothing but the page takes a body: the library would read it whole into memory.
    if (hasBody) return answerAndClose(res, getOrHead ? 400 : 404);
    if (!getOrHead) return answer(res, 404);
    if (req.path == "/") {
      res.set_redirect(kPagePath);
      return HandlerResponse::Handled;
    }
    std::optional<fs::path> file = servableFile(req.path);
    if (!file) return answer(res, 404);
    std::error_code ec;
    std::uintmax_t size = fs::file_size(*file, ec);
    if (!ec && servableRanges(requestedRanges, size)) ranges.swap(requestedRanges);
    return HandlerResponse::Unhandled;  // the mount point serves the file, or 404
  }

  void configure() {
    const ServerOptions& options = owner.options_;
    const ServerLimits& limits = options.limits;
    unsigned threads = std::max(1u, options.threads);
    server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // Without it small responses wait for the delayed acknowledgement: hundreds instead of
    // tens of thousands of requests per second.
    server.set_tcp_nodelay(true);
    // The library's default lets a second server share the port silently; refuse that.
    server.set_socket_options([](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    server.set_read_timeout(limits.readTimeout);
    server.set_write_timeout(limits.writeTimeout);
    server.set_keep_alive_timeout(limits.keepAliveTimeout.count());
    server.set_keep_alive_max_count(limits.keepAliveMaxRequests);
    server.set_payload_max_length(limits.maxBodyBytes);
    // No response may be shown inside another site's frame (clickjacking); the policy names
    // nothing else, so the pages' own scripts and styles are unaffected.
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"},
                                {"X-Frame-Options", "DENY"},
                                {"Content-Security-Policy", "frame-ancestors 'none'"}});

    server.set_pre_routing_handler(
        [this](const Request& req, Response& res) { return route(req, res); });
    server.Post(caseInsensitivePattern(kPagePath),
                [this](const Request& req, Response& res, const httplib::ContentReader& reader) {
                  servePost(req, res, reader);
                });
    server.set_post_routing_handler([](const Request& req, Response& res) {
      // The file handler answers 206 to any Range header, also when the ranges were dropped.
      if (res.status == 206 && req.ranges.empty()) res.status = 200;
      if (res.get_header_value("Connection") == "close") res.headers.erase("Keep-Alive");
    });
    if (!server.set_mount_point("/", site.string())) {
      throw std::runtime_error("cannot serve files from " + site.string());
    }
    server.set_error_handler(
        httplib::Server::HandlerWithResponse([](const Request&, Response& res) {
          if (!res.body.empty() || res.content_length_ > 0 || res.status < 400) {
            return HandlerResponse::Unhandled;
          }
          res.set_content(std::to_string(res.status) + " " + reasonPhrase(res.status) + "\n",
                          "text/plain; charset=utf-8");
          return HandlerResponse::Handled;
        }));
    server.set_exception_handler([](const Request& req, Response& res, std::exception_ptr ep) {
      std::string what = "unknown exception";
      try {
        if (ep) std::rethrow_exception(ep);
      } catch (const std::exception& e) {
        what = e.what();
      } catch (...) {
      }
      std::cerr << "ravadid: " << req.method << " " << req.path << " failed: " << what << "\n";
      res.status = 500;
      res.set_content("500 Internal Server Error\n", "text/plain; charset=utf-8");
    });
  }

  HttpServer& owner;
  fs::path site;
  Listener server;
};

namespace {

SessionOptions sessionOptions(SessionOptions options) {
  if (!options.keep) options.keep = &WebApplication::keepsSession;
  return options;
}

}  // namespace

HttpServer::HttpServer(WebApplication& application, ServerOptions options)
    : application_(application),
      options_(std::move(options)),
      sessions_(sessionOptions(options_.sessions)),
      impl_(std::make_unique<Impl>(*this)) {
  impl_->configure();
}

HttpServer::~HttpServer() {
  stop();
}

void HttpServer::start() {
  if (listener_.joinable()) throw std::runtime_error("the server is already running");
  const std::string& bind = options_.bind;
  int port = options_.port;
  if (port < 0 || port > 65535) throw std::runtime_error("bad port " + std::to_string(port));
  if (port == 0) {
    port = impl_->server.bind_to_any_port(bind);
    if (port < 0) port = 0;
  } else if (!impl_->server.bind_to_port(bind, port)) {
    port = 0;
  }
  if (port == 0) {
    throw std::runtime_error("cannot listen on " + bind + ":" + std::to_string(options_.port));
  }
  impl_->server.widenBacklog();
  boundPort_ = port;
  listenerDone_ = false;
  listener_ = std::thread([this] {
    impl_->server.listen_after_bind();
    listenerDone_ = true;
  });
  // The socket already queues connections; wait until the accept loop runs, so that stop()
  // right after start() cannot miss it.
  while (!impl_->server.is_running() && !listenerDone_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

void HttpServer::stop() {
  if (!listener_.joinable()) return;
  impl_->server.stop();
  listener_.join();
}

}  // namespace ravadid
