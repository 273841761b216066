// The HTTP server: serves the page through the web application, static files from SITE, and
// keeps the sessions. Built on cpp-httplib with a fixed pool of worker threads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "frame/host/sessions.h"
#include "frame/web_application.h"

namespace ravadid {

// What one connection may cost the server.
struct ServerLimits {
  // A client that sends or receives nothing for this long is dropped.
  std::chrono::seconds readTimeout{5};
  std::chrono::seconds writeTimeout{5};
  // A kept-alive connection holds its worker between requests: an idle one is released soon.
  // The pool is wide enough for every browser's idle connections (see defaultThreadCount), so
  // a connection may serve a whole visit's worth of pages and images.
  std::chrono::seconds keepAliveTimeout{2};
  std::size_t keepAliveMaxRequests = 100;
  // Largest request body, however it is framed; a larger one is answered 413 as soon as it
  // passes the limit, without reaching the page, and its connection is closed.
  std::size_t maxBodyBytes = 1024 * 1024;
};

// Worker threads when none are asked for. Each open connection holds one worker (idle
// kept-alive ones too), so the pool is sized by connections, not processors.
unsigned defaultThreadCount();

// Whether a request reached the site over HTTPS according to the reverse proxy in front of
// it: its X-Forwarded-Proto header says "https" and the TCP peer is on this machine
// (127.0.0.0/8 or ::1). From any other peer the header is ignored, since anyone can send it.
bool forwardedOverHttps(std::string_view peerAddress, std::string_view forwardedProto);
bool isLoopbackAddress(std::string_view address);

struct ServerOptions {
  std::string bind = "127.0.0.1";
  int port = 8080;  // 0: any free port, see boundPort()
  unsigned threads = defaultThreadCount();
  ServerLimits limits;
  // Unless sessions.keep is set, a session is kept while the web application says so
  // (WebApplication::keepsSession).
  SessionOptions sessions;
};

class HttpServer {
 public:
  HttpServer(WebApplication& application, ServerOptions options = {});
  ~HttpServer();  // stops the server
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Binds the address and serves on a background thread; returns once connections are
  // accepted. Throws std::runtime_error when the address cannot be bound or the server runs.
  void start();
  // The port bound by start(); 0 before.
  int boundPort() const { return boundPort_; }
  // Stops accepting, lets the workers finish the requests they hold, and waits for them.
  // Safe to call more than once.
  void stop();

  SessionManager& sessions() { return sessions_; }

 private:
  struct Impl;

  WebApplication& application_;
  ServerOptions options_;
  SessionManager sessions_;
  std::unique_ptr<Impl> impl_;
  std::thread listener_;
  std::atomic<bool> listenerDone_{false};
  int boundPort_ = 0;
};

}  // namespace ravadid
