// The standard pages over a demo district, served on a free loopback port for the life of the
// object.
#pragma once

#include <functional>
#include <memory>

#include "frame/host/http_server.h"
#include "frame/pages.h"
#include "frame/web_application.h"
#include "support/temp_installation.h"

namespace ravadid::testing {

struct DemoServer {
  // prepare runs on the installation and the application before the server starts.
  explicit DemoServer(
      const std::function<void(TempInstallation&, WebApplication&)>& prepare = nullptr)
      : site(TempInstallation::Data::Demo), web(site.installation(), makeStandardPages()) {
    if (prepare) prepare(site, web);
    ServerOptions options;
    options.port = 0;
    server = std::make_unique<HttpServer>(web, options);
    server->start();
  }
  int port() const { return server->boundPort(); }

  TempInstallation site;
  WebApplication web;
  std::unique_ptr<HttpServer> server;
};

}  // namespace ravadid::testing
