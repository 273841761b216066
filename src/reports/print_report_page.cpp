#include "reports/print_report_page.h"

#include "frame/application.h"
#include "frame/runtime.h"
#include "frame/text.h"

namespace ravadid {
namespace {

constexpr std::string_view kLineChoices =
    "<table><tr><td>"
    "<input type=radio name=rb value=\"1\" checked>One Line<br>"
    "<input type=radio name=rb value=\"2\">Two Line<br>";
constexpr std::string_view kSummaryChoice =
    "<input type=radio name=rb value=\"3\">Summary&nbsp;"
    "<select name=ddlSummary>"
    "<option value=\"Customer\">Customer</option>"
    "<option value=\"Category\">Category</option>"
    "<option value=\"Fund\">Fund</option>"
    "<option value=\"Destination\">Destination</option>"
    "<option value=\"Grade\">Grade</option>"
    "</select>";
constexpr std::string_view kChoicesEnd = "</td></tr></table>";

std::string reportType(Ravadid& app) {
  return vb::UCase(app.session().text("ReportType"));
}

}  // namespace

void PrintReportPage::respond(Ravadid& app) const {
  PrintReport_Respond(app);
}

void PrintReportPage::processTag(Ravadid& app, TagEvent& tag) const {
  PrintReport_ProcessTag(app, tag);
}

void PrintReportPage::onEvent(Ravadid& app, const std::string&) const {
  PrintReport_PrintReport(app);
}

void PrintReport_Respond(Ravadid& app) {
  app.run({.name = "PrintReport_Respond"}, [&] {
    app.session().set("PageNumber", Value::integer(1));
    app.session().set("ReportType", vb::UCase(app.query("Type")));
    app.writeTemplate(PrintReportPage());
  });
}

void PrintReport_ProcessTag(Ravadid& app, TagEvent& tag) {
  if (!tag.is("WC@SOURCE")) return;
  const std::string type = reportType(app);
  if (type == "REQUEST") {
    tag.contents = std::string(kLineChoices) + std::string(kChoicesEnd);
  } else if (type == "TRIP") {
    tag.contents =
        std::string(kLineChoices) + std::string(kSummaryChoice) + std::string(kChoicesEnd);
  } else {
    tag.contents = "Invalid report type.";
  }
}

void PrintReport_PrintReport(Ravadid& app) {
  app.run({.name = "PrintReport_PrintReport"}, [&] {
    const std::string type = reportType(app);
    const std::string choice = app.form("rb");
    if (type == "REQUEST") {
      app.exchange().redirect(choice == "1" ? "RavadidLarkdale.asp?WCI=TripRequestReport1&WCE&WCU"
                                            : "RavadidLarkdale.asp?WCI=TripRequestReport2&WCE&WCU");
    } else if (type == "TRIP") {
      if (choice == "1") {
        app.exchange().redirect("RavadidLarkdale.asp?WCI=TripReport1&WCE&WCU");
      } else if (choice == "2") {
        app.exchange().redirect("RavadidLarkdale.asp?WCI=TripReport2&WCE&WCU");
      } else {
        app.exchange().redirect("RavadidLarkdale.asp?WCI=TripSummaryReport&Type=" +
                                urlEncode(app.form("ddlSummary")));
      }
    } else {
      app.writeTemplate(PrintReportPage());
    }
  });
}

}  // namespace ravadid
