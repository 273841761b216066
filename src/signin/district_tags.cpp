#include "signin/district_tags.h"

#include <utility>

#include "frame/application.h"
#include "frame/text.h"

namespace ravadid {

bool replaceDistrictTag(Ravadid& app, TagEvent& tag) {
  static constexpr std::pair<const char*, const char*> kDistrictTags[] = {
      {"wc@Name", "DISTNAME"},
      {"WC@ADDR1", "DISTADDR1"},
      {"WC@CITYSTZIP", "DISTCITYSTZIP"},
      {"WC@PHONE", "DISTPHONE"}};
  for (auto [tagName, key] : kDistrictTags) {
    if (tag.is(tagName)) {
      tag.contents = htmlEscape(app.application().text(key));
      return true;
    }
  }
  return false;
}

}  // namespace ravadid
