// The look-up pages over the sample district, with templates that show their tags one per line
// and a request form template that only says it was written.
#pragma once

#include <regex>
#include <string>
#include <vector>

#include "support/fake_exchange.h"
#include "support/message_page.h"
#include "support/sample_site.h"

namespace ravadid::testing {

using Form = FakeExchange::Items;
using Codes = std::vector<std::string>;

inline const std::string kRequestFormMark = "REQUEST FORM WRITTEN";
inline const std::string kTimedOutLine = "Session Timed Out, please try again.";
inline const std::string kReturnTail =
    "</tbody></table><p align='center'><input type='submit' value='Return' "
    "name='btnSubmit2'></p></td></tr>";

class LookupTest : public SampleSiteTest {
 protected:
  LookupTest() {
    for (const char* page : {"LookupCust", "LookupDest", "LookupFund"})
      site_.writeTemplate(
          page, std::string("PAGE=") + page +
                    "\nNAME=<wc@Name></wc@Name>\nTRIPREQ=<WC@TRIPREQ></WC@TRIPREQ>"
                    "\nFUND=<WC@FUND>kept</WC@FUND>\nRESULTS=<WC@RESULTS></WC@RESULTS>\n");
    site_.writeTemplate("RequestDetail", kRequestFormMark);
    start();
  }

  // jsmith of LHS, who may not override the fund rule, editing a new request.
  void signInTeacher(FakeExchange& ex) {
    signIn(ex, "jsmith ", "Secret1");
    ex.sessionStore.set("LoadRequestDetailFromSession", "True");
    ex.sessionStore.set("RequestDetail.New", "NEW");
    ex.sessionStore.set("TRIPREQ", "");
  }

  // A value line of the line templates; "<no line>" when the page was not written.
  static std::string line(const std::string& body, const std::string& name) {
    const std::string key = "\n" + name + "=";
    std::size_t at = body.find(key);
    if (at == std::string::npos) return "<no line>";
    at += key.size();
    return body.substr(at, body.find('\n', at) - at);
  }

  // The values of the radio buttons listed, in order; {"<no page>"} when no results were shown.
  static Codes listed(const std::string& body, const std::string& radio) {
    if (line(body, "RESULTS") == "<no line>") return {"<no page>"};
    static const std::regex value("name='([A-Za-z]+)' value='([^']*)'");
    Codes codes;
    for (auto it = std::sregex_iterator(body.begin(), body.end(), value);
         it != std::sregex_iterator(); ++it)
      if ((*it)[1] == radio) codes.push_back((*it)[2]);
    return codes;
  }
};

}  // namespace ravadid::testing
