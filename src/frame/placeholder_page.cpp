#include "frame/placeholder_page.h"

#include "frame/application.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {

std::string simplePage(std::string_view title, std::string_view bodyHtml) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<title>";
  html.append(htmlEscape(title));
  html.append(
      "</title><link rel=\"stylesheet\" href=\"static/ravadid.css\"></head>\n<body>"
      "<main class=\"card\"><h1>");
  html.append(htmlEscape(title)).append("</h1>\n").append(bodyHtml);
  html.append("\n</main></body></html>\n");
  return html;
}

PlaceholderPage::PlaceholderPage(std::string name, std::string title,
                                 std::vector<std::string> events,
                                 std::vector<std::string> checkedHandlers)
    : PageObject(std::move(name), std::move(events)),
      title_(std::move(title)),
      checked_(std::move(checkedHandlers)) {}

bool PlaceholderPage::checks(const std::string& handler) const {
  for (const auto& c : checked_)
    if (vb::equalsIgnoreCase(c, handler)) return true;
  return false;
}

void PlaceholderPage::handle(Ravadid& app, const std::string& handler) const {
  app.run({.name = name() + "_" + handler}, [&] {
    if (checks(handler) && !app.sessionCheck()) return;
    app.write(simplePage(title_,
                         "<p>This page is not available yet.</p>"
                         "<p><a href=\"RavadidLarkdale.asp\">Back to sign-in</a></p>"));
  });
}

void PlaceholderPage::respond(Ravadid& app) const {
  handle(app, "Respond");
}
void PlaceholderPage::onEvent(Ravadid& app, const std::string& event) const {
  handle(app, event);
}
void PlaceholderPage::userEvent(Ravadid& app, const std::string&) const {
  handle(app, "UserEvent");
}

}  // namespace ravadid
