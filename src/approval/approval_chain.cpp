#include "approval/approval_chain.h"

#include <string>

#include "frame/application.h"
#include "frame/db/database.h"
#include "frame/db/nulls.h"
#include "frame/runtime.h"
#include "frame/schema.h"
#include "frame/text.h"

namespace ravadid {
namespace {

namespace krscc = schema::krscc;
namespace tripsreq = schema::tripsreq;
namespace notes = schema::big_calcalnotes;

constexpr int kLevels = 8;

// The procedures of this module only set the request error text; the calling handler writes it.
Procedure approvalProcedure(std::string_view name) {
  return {.name = name, .module = kModuleApproval, .writesReport = false};
}

bool isBlank(std::string_view text) {
  return vb::Trim(text).empty();
}

// Statuses are compared after upper-casing both sides.
bool sameStatus(std::string_view a, std::string_view b) {
  return vb::UCase(a) == vb::UCase(b);
}

std::string chainQuery(std::string_view chain) {
  return "Select * from KRSCC where KRSCC.CHAINID = " + sqlText(chain);
}

// The status a chain row gives at level k (1 to 8); a null reads as one space.
std::string levelStatus(const db::Recordset& chainRow, int level) {
  return NullToSpace(chainRow.field(krscc::kLevelStatuses[level - 1]));
}

// The role that approves at level k; a null approver is no approver.
std::string levelApprover(const db::Recordset& chainRow, int level) {
  Value v = chainRow.field(krscc::kLevelApprovers[level - 1]);
  return v.isNull() ? std::string() : vb::CStr(v);
}

// The position a status has reached on the chain: 1 for "UNAPPROVED", k + 1 for the first
// level k that gives the status, 10 when no level gives it.
int positionOf(const db::Recordset& chainRow, std::string_view status) {
  if (sameStatus(status, "UNAPPROVED")) return 1;
  for (int level = 1; level <= kLevels; ++level)
    if (sameStatus(levelStatus(chainRow, level), status)) return level + 1;
  return kLevels + 2;
}

std::string textOrEmpty(const Value& value) {
  return value.isNull() ? std::string() : vb::CStr(value);
}

}  // namespace

std::string Authority::text() const {
  if (failed) return {};
  std::string answer = edit ? "Y," : "N,";
  answer.append(approve ? "Y," : "N,").append(levelStatus);
  return answer;
}

std::string getCHAIN(Ravadid& app, std::string_view strCustNum, std::string_view strTripCat) {
  std::string chain;
  app.run(approvalProcedure("getCHAIN"), [&] {
    if (!app.noError()) return;
    db::Recordset rs;
    rs.open("SELECT * FROM CUSTOMER_TRIPCAT WHERE CUSTOMER_TRIPCAT.CUSTOMER = " +
                sqlText(strCustNum) + " AND CUSTOMER_TRIPCAT.TRIPCAT = " + sqlText(strTripCat),
            app.tripDb());
    // A row without a chain names no chain.
    if (!rs.eof()) chain = textOrEmpty(rs.field(schema::customer_tripcat::kChainid));
    rs.close();
  });
  return chain;
}

Authority HasAuthority(Ravadid& app, int32_t requestNumber, std::string_view role,
                       std::string_view chain, std::string_view customer) {
  Authority authority;
  app.run(approvalProcedure("HasAuthority"), [&] {
    if (!app.noError()) return;
    std::string requestChain;
    std::string status;
    std::string requestCustomer;
    if (!chain.empty()) {
      // The save asks about the chain it has just given the request.
      requestChain = std::string(chain);
      status = "UNAPPROVED";
    } else {
      db::Recordset request;
      request.open("Select * from TRIPSREQ where TRIPNUM = " + std::to_string(requestNumber),
                   app.tripschlDb());
      requestChain = vb::Trim(NullToSpace(request.field(tripsreq::kChainid)));
      status = NullToSpace(request.field(tripsreq::kStatus));
      requestCustomer = NullToSpace(request.field(tripsreq::kCustomer));
      request.close();
    }
    if (sameStatus(status, "ACCEPTED") || sameStatus(status, "DENIED")) return;

    // A user without a customer of their own acts for every customer.
    const bool customerMatches = isBlank(customer) || customer == requestCustomer;
    if (isBlank(requestChain)) {
      if (sameStatus(status, "PENDING") && customerMatches) authority.edit = true;
      return;
    }

    db::Recordset chainRow;
    chainRow.open(chainQuery(requestChain), app.zqkrsc1Db());
    int userLevel = 1;  // 1: the role holds no level
    int position = kLevels + 1;
    if (!chainRow.eof()) {
      if (!role.empty()) {
        // Roles match exactly; a later level overrides an earlier one, so the highest wins.
        for (int level = 1; level <= kLevels; ++level) {
          if (levelApprover(chainRow, level) == role) {
            userLevel = level + 1;
            authority.levelStatus = levelStatus(chainRow, level);
          }
        }
      }
      position = positionOf(chainRow, status);
    }
    chainRow.close();
    if (userLevel >= position && customerMatches) {
      authority.edit = true;
      authority.approve = position < userLevel;
    }
  });
  if (!app.noError()) return Authority{.failed = true};
  return authority;
}

std::string NextRole(Ravadid& app, std::string_view chain, std::string_view status) {
  std::string role = "NA";
  app.run(approvalProcedure("NextRole"), [&] {
    if (!app.noError()) return;
    if (isBlank(chain) || sameStatus(status, "ACCEPTED") || sameStatus(status, "DENIED") ||
        sameStatus(status, "PENDING"))
      return;
    db::Recordset chainRow;
    chainRow.open(chainQuery(chain), app.zqkrsc1Db());
    if (!chainRow.eof()) {
      // The level after the one the status names approves next; after level 8 nobody does.
      const int position = positionOf(chainRow, status);
      if (position <= kLevels) {
        std::string approver = levelApprover(chainRow, position);
        // A level without an approver ends the chain: nobody is asked.
        if (!isBlank(approver)) role = approver;
      }
    }
    chainRow.close();
  });
  if (!app.noError()) return "NA";
  return role;
}

CalendarNote Check_calNotes(Ravadid& app, std::string_view dateText, bool textsWanted,
                            bool closedOnly) {
  CalendarNote note;
  app.run(approvalProcedure("Check_calNotes"), [&] {
    if (!app.noError()) return;
    // The date is checked before anything is opened.
    const std::string sql = "Select * from Big_CalCalNotes where NoteDate = " + sqlDate(dateText);
    if (!app.databasePreamble()) return;
    db::Recordset rs;
    rs.open(sql, app.tripDb());
    if (!rs.eof()) {
      if (textsWanted) {
        note.text = vb::Trim(textOrEmpty(rs.field(notes::kNoteText)));
        note.longText = vb::Trim(textOrEmpty(rs.field(notes::kNoteLongText)));
      }
      if (closedOnly) {
        Value closed = rs.field(notes::kNoteSchoolClosed);
        note.severity = !closed.isNull() && vb::CBool(closed) ? -1 : 0;
      } else {
        note.severity = vb::CInt(Value::whole(NullToLong(rs.field(notes::kNoteSeverity))));
      }
    }
    rs.close();
    app.closeStep();
  });
  if (!app.noError()) return CalendarNote{};
  return note;
}

}  // namespace ravadid
