// A page object: a named page with a template, a Respond event, a ProcessTag event, declared
// custom events and a UserEvent for undeclared event names.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frame/store.h"

namespace ravadid {

class Ravadid;

// One WC@ tag met while a template is written. The handler may replace contents; what it
// leaves there replaces the whole tag.
struct TagEvent {
  std::string name;      // as written in the template, e.g. "WC@TIMEOUT"
  std::string contents;  // the template's text between the tag's marks
  bool sendTags = false;
  // Tag names ignore letter case.
  bool is(std::string_view tagName) const;
};

class PageObject {
 public:
  PageObject(std::string name, std::vector<std::string> declaredEvents = {});
  virtual ~PageObject() = default;

  const std::string& name() const { return name_; }
  // The declared event spelled as declared, or empty when the name is not declared.
  std::string declaredEvent(std::string_view event) const;

  virtual void respond(Ravadid&) const {}
  virtual void processTag(Ravadid&, TagEvent&) const {}
  // A declared custom event.
  virtual void onEvent(Ravadid&, const std::string& /*event*/) const {}
  virtual void userEvent(Ravadid&, const std::string& /*event*/) const {}
  // File name of the page's template under SITE/templates/.
  virtual std::string templateFile() const { return name_ + ".html"; }

 private:
  std::string name_;
  std::vector<std::string> events_;
};

class PageRegistry {
 public:
  void add(std::unique_ptr<PageObject> page);
  // Page object by name, ignoring letter case; null when unknown.
  const PageObject* find(std::string_view name) const;

 private:
  std::vector<std::unique_ptr<PageObject>> pages_;
};

}  // namespace ravadid
