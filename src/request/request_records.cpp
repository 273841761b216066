#include "request/request_records.h"

#include <array>
#include <string>

#include "frame/application.h"
#include "frame/configuration.h"
#include "frame/connections.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/store.h"
#include "frame/text.h"
#include "search/search_common.h"

namespace ravadid {
namespace {

namespace customer = schema::customer;
namespace destination = schema::destination;
namespace fund = schema::fund;
namespace billrate = schema::billrate;
namespace tripsreq = schema::tripsreq;

bool isTrue(std::string_view flag) {
  return vb::equalsIgnoreCase(flag, "True");
}

// A text column where a null reads as empty rather than as one space.
std::string textOrEmpty(const Value& value) {
  return value.isNull() ? std::string() : vb::CStr(value);
}

// A number column where null and empty text read as 0.
float singleOrZero(const Value& value) {
  if (value.isNull() || value.isEmpty() || (value.isText() && value.asText().empty())) return 0;
  return vb::CSng(value);
}

// The application folder and the data folder, as the procedures that connect on their own
// establish them before connecting.
void establishPaths(Ravadid& app) {
  if (app.worker().applicationFolder.empty())
    app.worker().applicationFolder = app.application().text("APP_PATH");
  if (app.worker().strTripDataPath.empty()) SetTripPaths(app);
}

}  // namespace

void getcust(Ravadid& app, std::string_view custnum) {
  app.run({.name = "getCust"}, [&] {
    establishPaths(app);
    if (!app.noError()) return;
    // A caller that already holds trip.mdb open keeps its connections.
    const bool connected = !app.tripDb().isOpen();
    if (connected) {
      SetTripDBConnections(app);
      if (!app.noError()) return;
    }
    CustomerValues& values = app.record.customer;
    const int16_t previousBillRate = values.billRate;
    values = CustomerValues{};
    values.billRate = previousBillRate;

    db::Recordset rs;
    rs.open("SELECT * FROM CUSTOMER WHERE CUSTOMER.CUSTOMER = " + sqlText(custnum), app.tripDb());
    if (!rs.eof()) {
      auto assign = [&](std::string& target, const char* column) {
        Value v = rs.field(column);
        if (!v.isNull()) target = vb::CStr(v);
      };
      assign(values.name, customer::kCustname);
      if (Value rate = rs.field(customer::kCustbillrate); !rate.isNull())
        values.billRate = vb::CInt(rate);
      assign(values.specialInstructions, customer::kCustspec);
      assign(values.defaultCapacity, customer::kDefaultcap);
      assign(values.invoiceFormat, customer::kCustDefaultFormat);
      if (Value chain = rs.field(customer::kChainid); !chain.isNull())
        values.defaultChain = vb::Trim(vb::CStr(chain));
      assign(values.division, customer::kCustdiv);
      assign(values.requestorEmail, customer::kRequestorEmail);
    }
    rs.close();
    if (connected) app.closeStep();
  });
}

std::string getdest(Ravadid& app, std::string_view dest) {
  std::string specialInstructions;
  app.run({.name = "getdest"}, [&] {
    app.record.destination = DestinationValues{};
    if (!app.noError()) return;
    const int32_t number = isBlank(dest) ? 0 : vb::CLng(Value(dest));
    if (number == 0) return;
    db::Recordset rs;
    rs.open("SELECT * FROM DESTINATION WHERE DESTINATION.DESTINATION = " + std::to_string(number),
            app.tripDb());
    if (!rs.eof()) {
      DestinationValues& values = app.record.destination;
      if (Value v = rs.field(destination::kDestdesc); !v.isNull()) values.description = vb::CStr(v);
      if (Value v = rs.field(destination::kDestspec); !v.isNull())
        specialInstructions = vb::CStr(v);
      values.miles = singleOrZero(rs.field(destination::kMiles));
      values.address1 = NullToSpace(rs.field(destination::kDestadd1));
      values.address2 = NullToSpace(rs.field(destination::kDestadd2));
    }
    rs.close();
  });
  return specialInstructions;
}

std::string getFundDesc(Ravadid& app, std::string_view fundnum, std::string_view customerFilter) {
  std::string description = "NOFUND";
  app.run({.name = "getFundDesc"}, [&] {
    if (!app.noError()) return;
    const std::string code = vb::Trim(fundnum);
    const bool anyFund = !isTrue(app.application().text("DISTRICT.USECUSTFUND")) ||
                         isTrue(app.session().text("CANOVERRIDEFUND"));
    const std::string sql =
        anyFund ? "SELECT * FROM FUND WHERE trim$(FUND.FUND) = " + sqlText(code) +
                      " AND Fund.Active = True"
                : "SELECT FUND.* FROM FUND INNER JOIN CUSTOMER_FUND ON FUND.FUND = "
                  "CUSTOMER_FUND.FUND WHERE (trim$(CUSTOMER_FUND.FUND) = " +
                      sqlText(code) + ") AND (CUSTOMER_FUND.CUSTOMER = " + sqlText(customerFilter) +
                      ") AND (Fund.Active = True)";
    db::Recordset rs;
    rs.open(sql, app.tripDb());
    if (!rs.eof()) {
      Value v = rs.field(fund::kFunddesc);
      description = v.isNull() ? "No Description" : vb::CStr(v);
    }
    rs.close();
  });
  return description;
}

void getBILLRATEFlat(Ravadid& app, int16_t billRate) {
  app.run({.name = "getBILLRATEFlat"}, [&] {
    BillingValues& values = app.record.billing;
    values = BillingValues{};
    if (!app.noError()) return;
    db::Recordset rs;
    rs.open("SELECT * FROM BILLRATE WHERE BILLRATE.BILLRATE = " + std::to_string(billRate),
            app.tripDb());
    if (!rs.eof()) {
      for (std::size_t i = 0; i < values.amounts.size(); ++i) {
        if (Value v = rs.field(billrate::kAmounts[i]); !v.isNull()) values.amounts[i] = vb::CSng(v);
        if (Value v = rs.field(billrate::kAmounttxts[i]); !v.isNull())
          values.amountTexts[i] = vb::CStr(v);
      }
    }
    rs.close();
  });
}

void SetDestFromREQ(Ravadid& app, int32_t lngTRIPNUM) {
  app.run({.name = "SetDestFromREQ"}, [&] {
    if (!app.databasePreamble()) return;
    // Session keys in the order they are written, each with the request column it comes from.
    struct Item {
      const char* key;
      const char* column;
      bool isMiles = false;
      std::string value;
    };
    std::array<Item, 10> items{{
        {"RequestDetail.destination", tripsreq::kDestination, false, {}},
        {"RequestDetail.destdesc", tripsreq::kDestdesc, false, {}},
        {"RequestDetail.destcat", tripsreq::kDestcat, false, {}},
        {"RequestDetail.miles", tripsreq::kMiles, true, {}},
        {"RequestDetail.destadd1", tripsreq::kDestadd1, false, {}},
        {"RequestDetail.destadd2", tripsreq::kDestadd2, false, {}},
        {"RequestDetail.destcity", tripsreq::kDestcity, false, {}},
        {"RequestDetail.destzip", tripsreq::kDestzip, false, {}},
        {"RequestDetail.destspec", tripsreq::kDestspec, false, {}},
        {"RequestDetail.deststate", tripsreq::kDeststate, false, {}},
    }};
    db::Recordset rs;
    rs.open("SELECT * FROM TRIPSREQ WHERE TRIPNUM = " + std::to_string(lngTRIPNUM),
            app.tripschlDb());
    if (!rs.eof() && MaySeeRequestOf(app, rs.field(tripsreq::kCustomer))) {
      for (Item& item : items) {
        Value v = rs.field(item.column);
        item.value =
            item.isMiles ? vb::CStr(Value::single(singleOrZero(v))) : vb::Trim(textOrEmpty(v));
      }
    }
    rs.close();
    app.closeStep();
    for (const Item& item : items) app.session().set(item.key, item.value);
  });
}

bool MaySeeRequestOf(Ravadid& app, const Value& requestCustomer) {
  const std::string own = vb::Trim(boundCustomer(app));
  const std::string theirs = vb::Trim(textOrEmpty(requestCustomer));
  return own.empty() || theirs.empty() || vb::equalsIgnoreCase(own, theirs);
}

void DeleteTripRequest(Ravadid& app, int32_t tripRequestNumber) {
  if (!app.databasePreamble()) return;
  app.tripschlDb().execute("DELETE FROM TRIPSREQ where TRIPNUM = " +
                           std::to_string(tripRequestNumber));
  app.closeStep();
}

void DeleteTripRequest(Ravadid& app, std::string_view tripRequestNumber) {
  DeleteTripRequest(app, vb::CLng(Value(tripRequestNumber)));
}

int32_t AddNewTRIPREQ(Ravadid& app) {
  int32_t tripnum = 0;
  app.run({.name = "AddNewTRIPREQ"}, [&] {
    if (!app.noError()) return;
    const CustomerValues& values = app.record.customer;
    db::Recordset rs;
    rs.open("Select * from TRIPSREQ", app.tripschlDb(), db::CursorType::Dynamic,
            db::LockType::Optimistic);
    rs.addNew();
    const Value now = Value::date(vb::Now());
    rs.setField(tripsreq::kReqdate, now);
    rs.setField(tripsreq::kDepdate, now);
    rs.setField(tripsreq::kCustspec, " ");
    rs.setField(tripsreq::kCustomer, app.record.userCustomer);
    rs.setField(tripsreq::kBillcust, app.record.userCustomer);
    rs.setField(tripsreq::kBillrate, Value::integer(values.billRate));
    if (!isBlank(values.specialInstructions))
      rs.setField(tripsreq::kCustspec, values.specialInstructions);
    if (!isBlank(values.defaultCapacity)) rs.setField(tripsreq::kCapacity, values.defaultCapacity);
    if (!isBlank(values.invoiceFormat)) rs.setField(tripsreq::kInvoiceFormat, values.invoiceFormat);
    rs.setField(tripsreq::kCalcnumdrivers,
                Value::boolean(vb::CBool(app.application().get("DEFAULT_CALCNUMDRIVER"))));
    if (!isBlank(values.defaultChain)) {
      rs.setField(tripsreq::kChainid, values.defaultChain);
      rs.setField(tripsreq::kStatus, "UNAPPROVED");
    } else {
      rs.setField(tripsreq::kStatus, "Pending");
    }
    rs.setField(tripsreq::kStatusDate, now);
    rs.setField(tripsreq::kEnteredby, app.session().get("USER"));
    rs.setField(tripsreq::kEnterdate, now);
    // The stored row is read back at once, so the number the database gave it is there.
    rs.update();
    const int32_t number = vb::CLng(rs.field(tripsreq::kTripnum));
    app.session().set("TRIPREQ", Value::whole(number));
    rs.close();
    tripnum = number;
  });
  return tripnum;
}

}  // namespace ravadid
