#include "frame/page_object.h"

#include "frame/runtime.h"

namespace ravadid {

bool TagEvent::is(std::string_view tagName) const {
  return vb::equalsIgnoreCase(name, tagName);
}

PageObject::PageObject(std::string name, std::vector<std::string> declaredEvents)
    : name_(std::move(name)), events_(std::move(declaredEvents)) {}

std::string PageObject::declaredEvent(std::string_view event) const {
  for (const auto& e : events_)
    if (vb::equalsIgnoreCase(e, event)) return e;
  return {};
}

void PageRegistry::add(std::unique_ptr<PageObject> page) {
  pages_.push_back(std::move(page));
}

const PageObject* PageRegistry::find(std::string_view name) const {
  for (const auto& p : pages_)
    if (vb::equalsIgnoreCase(p->name(), name)) return p.get();
  return nullptr;
}

}  // namespace ravadid
