#include "frame/site_settings.h"

#include "frame/application.h"

namespace ravadid {

void WebClass_Start(Ravadid& app) {
  app.run({.name = "WebClass_Start"}, [&] {
    app.application().set("DISTNAME", "");
    std::string physicalPath = app.exchange().serverVariable("APPL_PHYSICAL_PATH");
    if (app.worker().applicationFolder.empty()) app.worker().applicationFolder = physicalPath;
    app.application().set("APP_PATH", physicalPath);
    if (app.databasePreamble()) {
      // The configuration and district settings are loaded here (next step of the build).
      app.closeStep();
    }
    app.setNextItem("Login");
  });
}

}  // namespace ravadid
