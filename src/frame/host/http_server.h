// The HTTP server: serves the page through the web application, static files from SITE, and
// keeps the sessions. Built on cpp-httplib with a fixed pool of worker threads.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "frame/host/sessions.h"
#include "frame/web_application.h"

namespace ravadid {

// What one connection may cost the server.
struct ServerLimits {
  // A client that sends or receives nothing for this long is dropped.
  std::chrono::seconds readTimeout{5};
  std::chrono::seconds writeTimeout{5};
  // A kept-alive connection holds its worker between requests: an idle one is released soon,
  // and a busy one is closed after a few requests so that waiting connections get their turn
  // (more requests per connection raise throughput but leave others waiting for seconds).
  std::chrono::seconds keepAliveTimeout{2};
  std::size_t keepAliveMaxRequests = 5;
  // Largest request body; larger ones are answered 413 without reaching the page.
  std::size_t maxBodyBytes = 1024 * 1024;
};

// max(4, twice the number of processors).
unsigned defaultThreadCount();

struct ServerOptions {
  std::string bind = "127.0.0.1";
  int port = 8080;  // 0: any free port, see boundPort()
  unsigned threads = defaultThreadCount();
  ServerLimits limits;
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
