#include "setup/demo/reference_rows.h"

#include <string>

#include "frame/schema.h"
#include "setup/demo/categories.h"
#include "setup/demo/chains.h"
#include "setup/demo/funds.h"

namespace ravadid::demo {
namespace {

constexpr BillRateSeed kBillRates[] = {
    {1, {2.25, 38.50, 24.00, 45.00, 15.00}},  // schools
    {2, {2.10, 36.00, 22.00, 45.00, 10.00}},  // athletics and activities
    {3, {1.95, 34.00, 20.00, 0.00, 0.00}},    // special programs: lift bus included
    {4, {2.60, 42.00, 28.00, 55.00, 25.00}},  // departments
};

constexpr CodeSeed kDivisions[] = {
    {"ELEM", "Elementary Schools", true},
    {"MID", "Middle Schools", true},
    {"HIGH", "High Schools", true},
    {"SPEC", "Special Programs", true},
    {"ATHL", "Athletics and Activities", true},
    {"ADMIN", "Administration and Operations", true},
    {"ADULT", "Adult Education (discontinued)", false},
};

constexpr CodeSeed kVehicleTypes[] = {
    {"BUS72", "72-Passenger School Bus", true},    {"BUS48", "48-Passenger School Bus", true},
    {"LIFT", "Wheelchair Lift Bus", true},         {"VAN", "12-Passenger Activity Van", true},
    {"COACH", "Charter Coach (contracted)", true}, {"BUS66", "66-Passenger Bus (retired)", false},
};

constexpr CodeSeed kSchedules[] = {
    {"T31", "Bus 31 - North Yard", true},         {"T32", "Bus 32 - North Yard", true},
    {"T33", "Bus 33 - North Yard", true},         {"T34", "Bus 34 - South Yard", true},
    {"T35", "Bus 35 - South Yard", true},         {"T36", "Bus 36 - South Yard", true},
    {"T40", "Activity Bus 40 - Main Yard", true}, {"L07", "Lift Bus 7 - South Yard", true},
    {"V12", "Activity Van 12 - Main Yard", true},
};

constexpr CodeSeed kTicketTemplates[] = {
    {"STD", "Standard Trip Ticket", true},
    {"ATH", "Athletic Trip Ticket", true},
    {"OVN", "Overnight Trip Ticket", true},
    {"OLD", "Trip Ticket (2015 layout)", false},
};

constexpr const char* kDestinationCategories[] = {"MUSEUM",  "OUTDOOR", "SPORTS",   "RECREATION",
                                                  "COLLEGE", "ARTS",    "COMMUNITY"};

constexpr CalendarNote kCalendarNotes[] = {
    {-90, "Picture Day", "School pictures in the morning; trips may leave after 10:00 AM.", 1,
     false},
    {-55, "Weather Closure - Schools Closed", "All schools and offices closed for weather.", 3,
     true},
    {-30, "Parent-Teacher Conferences", "Early dismissal at 12:30 PM; few buses are free.", 2,
     false},
    {-12, "Teacher Workday - No School", "No students; no field trips.", 3, true},
    {5, "School Board Meeting", "Board meeting at 7:00 PM at the District Office.", 1, false},
    {10, "Staff Development Day - No School",
     "All schools are closed for staff development. No field trips can be scheduled.", 3, true},
    {17, "Early Release Day",
     "Schools dismiss at 12:30 PM. Buses run early routes; trips must be back by 11:30 AM.", 2,
     false},
    {24, "State Testing Window",
     "State assessments this week. Check with the principal before planning a trip.", 2, false},
    {38, "District Holiday - Schools Closed", "Schools and offices closed.", 3, true},
    {39, "District Holiday - Schools Closed", "Schools and offices closed.", 3, true},
    {60, "Bus Inspection Day",
     "Half of the fleet is at the state bus inspection; few buses are available.", 2, false},
    {95, "Teacher Workday - No School", "No students; no field trips.", 3, true},
};

// A table of codes with a description and an active flag.
void writeCodes(DatabaseFile& file, const char* table, const char* codeColumn,
                const char* descriptionColumn, const char* activeColumn,
                std::span<const CodeSeed> seeds) {
  Inserter rows(file, table);
  for (const CodeSeed& seed : seeds) {
    rows.add({{codeColumn, seed.code},
              {descriptionColumn, seed.description},
              {activeColumn, flag(seed.active)}});
  }
}

}  // namespace

const BillRateSeed& billRate(int number) {
  for (const BillRateSeed& rate : kBillRates) {
    if (rate.number == number) return rate;
  }
  return kBillRates[0];
}

std::span<const CodeSeed> busSchedules() {
  return kSchedules;
}

std::span<const CalendarNote> calendarNotes() {
  return kCalendarNotes;
}

void writeSettings(DatabaseFile& file) {
  namespace d = schema::district;
  Inserter district(file, d::kTable);
  district.add({
      {d::kDistname, "Larkdale Unified School District"},
      {d::kDistaddr1, "1450 Meadowlark Avenue"},
      {d::kDistcity, "Larkdale"},
      {d::kDiststate, "OR"},
      {d::kDistzip, "97390"},
      {d::kDistphone, "(541) 555-0142"},
      {d::kDefaultCalcnumdriver, "True"},
      {d::kDefaultvtype, kDefaultVehicleType},
      {d::kTranstitle, "Larkdale USD Transportation Services"},
      {d::kAutofillRequests, "True"},
      {d::kAutofill, "True"},
      {d::kViewOtherSchools, "False"},
      {d::kFundDd, "True"},
      {d::kUsecustfund, "True"},
      {d::kDepdtLeadtime, 14},
      {d::kDepdtLeadtimeHardwarn, "False"},
      {d::kTotalTripsLimit, 12},
      {d::kTotalTripsLimitMessage,
       "Transportation already has 12 trips on this date. Please pick another date or call the "
       "Transportation office at (541) 555-0147."},
      {d::kTotalTripsHardwarn, "False"},
      {d::kTripreqComment,
       "Please submit requests at least 14 days before departure. Athletic and overnight trips "
       "need extra approvals; call Transportation at (541) 555-0147 with questions."},
  });

  // The fields most districts insist on; times on site, estimates and instructions optional.
  namespace r = schema::tripreq_required;
  Inserter required(file, r::kTable);
  required.add({
      {r::kRequestDateRequired, "True"},
      {r::kFundRequired, "True"},
      {r::kCustomerRequired, "True"},
      {r::kContactReq, "True"},
      {r::kDestinationReq, "True"},
      {r::kDepdateReq, "True"},
      {r::kDeptimeReq, "True"},
      {r::kRetdateReq, "True"},
      {r::kRettimeReq, "True"},
      {r::kArrivetimeReq, "False"},
      {r::kLeavetimeReq, "False"},
      {r::kEstmileReq, "False"},
      {r::kEsttimeReq, "False"},
      {r::kNumstudentsReq, "True"},
      {r::kNumadultsReq, "True"},
      {r::kNumwheelReq, "False"},
      {r::kPurposeReq, "True"},
      {r::kDestspecReq, "False"},
      {r::kCustspecReq, "False"},
      {r::kTripcomReq, "False"},
      {r::kPoReq, "False"},
      {r::kTripcatReq, "True"},
      {r::kInttripnumReq, "False"},
      {r::kGradeReq, "True"},
      {r::kInvoiceCommentReq, "False"},
  });

  namespace e = schema::email_options;
  Inserter email(file, e::kTable);
  email.add({
      {e::kReqTrekkoChange, "True"},
      {e::kAdmTrekkoChange, "False"},
      {e::kAppTrekkoChange, "True"},
  });
}

void writeCodeTables(DatabaseFile& file) {
  namespace dv = schema::division;
  writeCodes(file, dv::kTable, dv::kDivision, dv::kDescription, dv::kActive, kDivisions);
  namespace v = schema::vehtype;
  writeCodes(file, v::kTable, v::kVehtype, v::kVtypdesc, v::kActive, kVehicleTypes);
  namespace tt = schema::tripticket_template;
  writeCodes(file, tt::kTable, tt::kTicketId, tt::kTemplateDesc, tt::kActive, kTicketTemplates);
  namespace c = schema::tripcat;
  writeCodes(file, c::kTable, c::kTripcat, c::kDescription, c::kActive, categorySeeds());
  namespace st = schema::tripreqstatus;
  writeCodes(file, st::kTable, st::kStatus, st::kDescription, st::kActive, statusSeeds());
  namespace f = schema::fund;
  writeCodes(file, f::kTable, f::kFund, f::kFunddesc, f::kActive, fundSeeds());
  {
    namespace s = schema::schedmast;
    Inserter rows(file, s::kTable);
    for (const CodeSeed& seed : kSchedules) {
      rows.add({{s::kSchedule, seed.code}, {s::kScheddesc, seed.description}});
    }
  }
  {
    namespace g = schema::grade;
    Inserter rows(file, g::kTable);
    rows.add({{g::kGrade, "K"}, {g::kDescription, "Kindergarten"}, {g::kActive, flag(true)}});
    constexpr const char* kOrdinals[] = {"1st", "2nd", "3rd"};
    for (int grade = 1; grade <= 12; ++grade) {
      std::string ordinal = grade <= 3 ? kOrdinals[grade - 1] : std::to_string(grade) + "th";
      rows.add({{g::kGrade, std::to_string(grade)},
                {g::kDescription, ordinal + " Grade"},
                {g::kActive, flag(true)}});
    }
    rows.add({{g::kGrade, "MIX"}, {g::kDescription, "Mixed Grades"}, {g::kActive, flag(true)}});
  }
  {
    namespace dc = schema::destcat;
    Inserter rows(file, dc::kTable);
    for (const char* code : kDestinationCategories) {
      rows.add({{dc::kDestcat, code}, {dc::kActive, flag(true)}});
    }
    rows.add({{dc::kDestcat, "OTHER"}, {dc::kActive, flag(false)}});
  }
  {
    namespace b = schema::billrate;
    Inserter rows(file, b::kTable);
    for (const BillRateSeed& rate : kBillRates) {
      rows.add({
          {b::kBillrate, rate.number},
          {b::kAmount1, rate.amounts[0]},
          {b::kAmount2, rate.amounts[1]},
          {b::kAmount3, rate.amounts[2]},
          {b::kAmount4, rate.amounts[3]},
          {b::kAmount5, rate.amounts[4]},
          {b::kAmounttxt1, kAmountLabels[0]},
          {b::kAmounttxt2, kAmountLabels[1]},
          {b::kAmounttxt3, kAmountLabels[2]},
          {b::kAmounttxt4, kAmountLabels[3]},
          {b::kAmounttxt5, kAmountLabels[4]},
      });
    }
  }
}

}  // namespace ravadid::demo
