// Reads a message back out of the small page that carries it to the browser.
#pragma once

#include <string>

namespace ravadid::testing {

// The text of the message, exactly as the handler wrote it, when body is a complete message
// page (doctype, language, viewport, title); otherwise "<not a message page>" and the body.
inline std::string messageOf(const std::string& body) {
  const std::string notPage = "<not a message page>" + body;
  if (body.rfind("<!DOCTYPE html>\n<html lang=\"en\">", 0) != 0) return notPage;
  if (body.find("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">") ==
          std::string::npos ||
      body.find("<title>Field Trip Requests - ") == std::string::npos ||
      body.find("</html>") == std::string::npos)
    return notPage;
  const std::string open = "role=\"alert\">";
  std::size_t at = body.find("<div class=\"message");
  if (at == std::string::npos || (at = body.find(open, at)) == std::string::npos) return notPage;
  at += open.size();
  // The last "</div>" before the link back closes the message, whatever HTML it holds.
  const std::size_t end = body.rfind("</div>", body.find("<nav class=\"actions\">"));
  if (end == std::string::npos || end < at) return notPage;
  return body.substr(at, end - at);
}

}  // namespace ravadid::testing
