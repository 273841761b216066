#include "lookup/lookup_common.h"

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/errors.h"
#include "frame/runtime.h"
#include "frame/text.h"
#include "signin/district_tags.h"

namespace ravadid {
namespace {

// The look-up's template written with the tags of one state.
class StatePageWriter final : public PageObject {
 public:
  StatePageWriter(const LookupPage& page, LookupState& state)
      : PageObject(page.name()), page_(page), state_(state) {}
  void processTag(Ravadid& app, TagEvent& tag) const override {
    page_.processLookupTag(app, state_, tag);
  }
  std::string templateFile() const override { return page_.templateFile(); }

 private:
  const LookupPage& page_;
  LookupState& state_;
};

}  // namespace

void LookupPage::processTag(Ravadid& app, TagEvent& tag) const {
  processLookupTag(app, LookupState{}, tag);
}

void LookupPage::userEvent(Ravadid& app, const std::string&) const {
  LookupState state;
  writePage(app, state);
}

void LookupPage::processLookupTag(Ravadid& app, const LookupState& state, TagEvent& tag) const {
  if (replaceDistrictTag(app, tag)) return;
  if (tag.is("WC@TRIPREQ")) {
    tag.contents = htmlEscape(app.session().text("TRIPREQ"));
  } else if (tag.is("WC@RESULTS")) {
    // Built by the page from escaped values.
    tag.contents = state.results;
  }
}

void LookupPage::writePage(Ravadid& app, LookupState& state) const {
  app.writeTemplate(StatePageWriter(*this, state));
}

void runLookupEvent(Ravadid& app, std::string_view procedure, const std::function<void()>& body) {
  app.run({.name = procedure, .module = ""}, [&] {
    try {
      body();
    } catch (const VbError& e) {
      if (e.number() != vberr::kObjectNotSet || app.noError()) throw;
      app.closeStep();
    }
  });
}

void backToLookup(Ravadid& app, std::string_view pageObject) {
  app.backTo(app.urlFor(pageObject, "Search"));
}

bool refuseTooManyRows(Ravadid& app, db::Recordset& rows, std::string_view pageObject) {
  if (rows.recordCount() <= kMaxLookupRows) return false;
  app.errorText() = std::string(kTooManyLookupRows);
  rows.close();
  app.closeStep();
  backToLookup(app, pageObject);
  return true;
}

std::string beginsWithCondition(std::string_view expression, std::string_view text) {
  std::string pattern;
  bool escaped = false;
  for (char c : text) {
    if (c == '%' || c == '_' || c == '\\') {
      pattern += '\\';
      escaped = true;
    }
    pattern += c;
  }
  std::string condition = " ";
  condition.append(expression).append(" like '").append(sqlTextBody(pattern)).append("%'");
  if (escaped) condition += " ESCAPE '\\'";
  return condition;
}

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace ravadid
