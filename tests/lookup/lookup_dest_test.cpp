#include <gtest/gtest.h>

#include <map>

#include "lookup/lookup_fixture.h"

namespace ravadid::testing {
namespace {

class LookupDestTest : public LookupTest {
 protected:
  // A new destination that passes every check, with changes.
  static Form newDestination(const Form& changes = {}) {
    Form form = {{"SelDest", "0"},           {"DESTDESC", "Harbor Cruise"},
                 {"DESTCAT", "OUTDOOR"},     {"MILES", ""},
                 {"DESTADD1", "5 Wharf Rd"}, {"DESTADD2", ""},
                 {"DESTCITY", "Larkdale"},   {"DESTSTATE", "OR"},
                 {"DESTZIP", "97001"},       {"DESTSPEC", "Meet at the booth"}};
    for (const auto& [field, value] : changes) form[field] = value;
    return form;
  }
};

TEST_F(LookupDestTest, SearchListsDescriptionsThatBeginWithTheTextInactiveOnesToo) {
  struct Case {
    std::string text;
    Codes codes;
  };
  const Case cases[] = {
      {"", {"12", "10", "11", "13", "15", "14"}}, {"lincoln's", {"13"}},  // inactive
      {"MUSEO DE ARTE ESPAÑOL", {"15"}},          {"museo de arte españ", {"15"}}, {"Zoo", {}},
      {"aquarium of the bay,", {"12"}},
  };
  FakeExchange ex;
  signInTeacher(ex);
  for (const Case& c : cases)
    EXPECT_EQ(listed(request(ex, "LookupDest", "FindDests", {{"DESTDESC", c.text}}), "SelDest"),
              c.codes)
        << c.text;
}

TEST_F(LookupDestTest, ResultRowsShowANullAddressAsOneBlank) {
  FakeExchange ex;
  signInTeacher(ex);
  const std::string results =
      line(request(ex, "LookupDest", "FindDests", {{"DESTDESC", "l"}}), "RESULTS");
  EXPECT_EQ(results,
            "<table border='1' width='714'><thead><tr><td width='50'><b>Selected</b></td>"
            "<td width='88'><b>Description</b></td><td width='50'><b>Destination</b></td>"
            "<td width='88'><b>Address</b></td><td width='88'><b>Address#2</b></td>"
            "</tr></thead><tbody>"
            "<tr><td><input type='radio' name='SelDest' value='11'></td><td>Larkdale Zoo</td>"
            "<td>11</td><td>55 Park Ave</td><td>Gate B</td></tr>"
            "<tr><td><input type='radio' name='SelDest' value='13'></td>"
            "<td>Lincoln&#39;s Boyhood Home</td><td>13</td><td>3 Cabin Ln</td><td> </td></tr>" +
                kReturnTail);
}

TEST_F(LookupDestTest, NewShowsTheAddFormFilledFromTheSession) {
  FakeExchange ex;
  signInTeacher(ex);
  const std::map<std::string, std::string> kept = {{"destdesc", "O'Hara's <Farm>"},
                                                   {"miles", "12"},
                                                   {"destadd1", "1 Barn Rd"},
                                                   {"destadd2", ""},
                                                   {"destcity", "Salem"},
                                                   {"deststate", "OR"},
                                                   {"destzip", "97301"},
                                                   {"destspec", "Bring boots & hats"}};
  for (const auto& [key, value] : kept) ex.sessionStore.set("RequestDetail." + key, value);
  const std::string form =
      "<table border='1'><tr><td colspan='3'><h1>Add a Destination</h1></td></tr>"
      "<tr><td>Description:</td><td><input type='text' name='DESTDESC' size='50' maxlength='75' "
      "value='O&#39;Hara&#39;s &lt;Farm&gt;'></td></tr>"
      "<tr><td>Category:</td><td><select name='DESTCAT'>CATEGORIES</select></td></tr>"
      "<tr><td>Average Miles:</td><td><input type='text' name='MILES' size='4' "
      "value='12'></td></tr>"
      "<tr><td>Address:</td><td><input type='text' name='DESTADD1' size='30' maxlength='30' "
      "value='1 Barn Rd'></td></tr>"
      "<tr><td>&nbsp;</td><td><input type='text' name='DESTADD2' size='30' maxlength='30' "
      "value=''></td></tr>"
      "<tr><td>City:</td><td><input type='text' name='DESTCITY'  size='15' maxlength='15' "
      "value='Salem'></td></tr>"
      "<tr><td>State:</td><td><input type='text' name='DESTSTATE'  size='2' maxlength='2' "
      "value='OR'></td></tr>"
      "<tr><td>Zip/Postal Code:</td><td><input type='text' name='DESTZIP' size='10' "
      "maxlength='10' value='97301'></td></tr>"
      "<tr><td>Special Instructions:</td><td><textarea rows='3' cols='60' name='DESTSPEC'>Bring "
      "boots &amp; hats</TEXTAREA></td></tr></table>"
      "<span style='visibility: hidden'><input type='text' name='SelDest' value='0'></SPAN>"
      "<p align='center'><input type='submit' value='Return' name='btnSubmit2'></p>"
      "<p>&nbsp;</p>";
  auto withCategories = [&](const std::string& options) {
    std::string html = form;
    return html.replace(html.find("CATEGORIES"), 10, options);
  };
  // The active categories of the sign-in list, after its empty entry; none selected.
  EXPECT_EQ(line(request(ex, "LookupDest", "FindDests", {{"btnsubmit", "new"}}), "RESULTS"),
            withCategories("<option></option><option>MUSEUM</option><option>OUTDOOR</option>"));
  // No categories: one blank option.
  ex.sessionStore.set("numDESTCATs", Value::integer(0));
  ex.sessionStore.set("DESTCATS", "");
  EXPECT_EQ(line(request(ex, "LookupDest", "FindDests", {{"btnsubmit", "New"}}), "RESULTS"),
            withCategories("<option> </option>"));
}

TEST_F(LookupDestTest, NewDestinationFieldsAreCheckedInOrderAtTheirLimits) {
  const std::string miles =
      "<p>Please enter a valid number of miles (or 0) in the Average Miles field.</p>";
  const std::string required =
      "<p align='center'>When entering in a new destination, a destination description is "
      "required.</p><p>Please use your browser's back button and enter a description with 75 "
      "characters or less.</p>";
  const std::string longDescription =
      "<p>The destination description you have entered is too long, please use your browser's "
      "back button and enter a description with 75 characters or less.</p>";
  const std::string longAddress =
      "<p>The destination address you have entered is too long, please use your browser's back "
      "button and enter an address with 30 characters or less.</p>";
  const std::string longAddress2 =
      "<p>The second line of the destination address you have entered is too long, please use "
      "your browser's back button and enter an address with 30 characters or less.</p>";
  const std::string longCity =
      "<p>The destination city you have entered is too long, please use your browser's back "
      "button and enter a city with 15 characters or less.</p>";
  const std::string longState =
      "<p>The destination state you have entered is too long, please use your browser's back "
      "button and enter a state code with 2 characters.</p>";
  const std::string longZip =
      "<p>The destination zip/postal code you have entered is too long, please use your "
      "browser's back button and enter a zip or postal code with 10 characters or less.</p>";
  const std::string x = "x";
  struct Case {
    Form changes;
    std::string message;  // empty: accepted
  };
  const Case cases[] = {
      {{{"MILES", "12.5"}}, ""},
      {{{"MILES", "0"}}, ""},
      {{{"MILES", "  "}}, ""},
      {{{"MILES", "far"}}, miles},
      {{{"DESTDESC", std::string(75, 'd')}}, ""},
      {{{"DESTDESC", "  " + std::string(75, 'd') + "  "}}, ""},
      {{{"DESTDESC", std::string(76, 'd')}}, longDescription},
      {{{"DESTDESC", std::string(74, 'd') + "é"}}, ""},  // characters, not bytes
      {{{"DESTDESC", ""}}, required},
      {{{"DESTDESC", "   "}}, ""},  // blanks are a description, of length 0
      {{{"DESTADD1", std::string(30, 'a')}}, ""},
      {{{"DESTADD1", std::string(31, 'a')}}, longAddress},
      {{{"DESTADD2", std::string(30, 'a')}}, ""},
      {{{"DESTADD2", std::string(31, 'a')}}, longAddress2},
      {{{"DESTCITY", std::string(15, 'c')}}, ""},
      {{{"DESTCITY", std::string(16, 'c')}}, longCity},
      {{{"DESTSTATE", "WA"}}, ""},
      {{{"DESTSTATE", "WAS"}}, longState},
      {{{"DESTZIP", std::string(10, '9')}}, ""},
      {{{"DESTZIP", std::string(11, '9')}}, longZip},
      // The first failing check wins.
      {{{"MILES", "far"}, {"DESTDESC", ""}}, miles},
      {{{"DESTDESC", ""}, {"DESTADD1", std::string(31, 'a')}}, required},
      {{{"DESTZIP", std::string(11, '9')}, {"DESTCITY", std::string(16, 'c')}}, longCity},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signInTeacher(ex);
    ex.sessionStore.set("RequestDetail.destination", "10");
    const Form posted = newDestination(c.changes);
    const std::string body = request(ex, "LookupDest", "RetwSelected", posted);
    const std::string what = c.changes.begin()->first + "=" + c.changes.begin()->second;
    if (!c.message.empty()) {
      EXPECT_EQ(messageOf(body), c.message) << what;
      EXPECT_EQ(ex.sessionStore.text("RequestDetail.destination"), "10") << what;
      continue;
    }
    EXPECT_EQ(body, kRequestFormMark) << what;
    EXPECT_EQ(ex.sessionStore.text("RequestDetail.destination"), "0") << what;
    // Kept as typed, untrimmed.
    for (const char* field : {"DESTDESC", "DESTCAT", "MILES", "DESTADD1", "DESTADD2", "DESTCITY",
                              "DESTSTATE", "DESTZIP", "DESTSPEC"})
      EXPECT_EQ(ex.sessionStore.text(std::string("RequestDetail.") + field), posted.at(field))
          << what << " " << field;
  }
}

TEST_F(LookupDestTest, PickingATableDestinationReplacesATypedOne) {
  struct Case {
    std::string chosen;
    std::map<std::string, std::string> keys;
  };
  const Case cases[] = {
      {"10",
       {{"destination", "10"},
        {"destdesc", "City Museum of Science"},
        {"destadd1", "1200 River Rd"},
        {"destadd2", " "},
        {"miles", "12.5"},
        {"destspec", "Drop off at the east entrance"},
        {"destcat", ""},
        {"destcity", ""},
        {"deststate", ""},
        {"destzip", ""}}},
      {"11",
       {{"destination", "11"},
        {"destdesc", "Larkdale Zoo"},
        {"destadd1", "55 Park Ave"},
        {"destadd2", "Gate B"},
        {"miles", "4"},
        {"destspec", ""},
        {"destcat", ""},
        {"destcity", ""},
        {"deststate", ""},
        {"destzip", ""}}},
  };
  for (const Case& c : cases) {
    FakeExchange ex;
    signInTeacher(ex);
    // A new destination typed before.
    for (const auto& [field, value] : newDestination())
      ex.sessionStore.set("RequestDetail." + field, value);
    EXPECT_EQ(request(ex, "LookupDest", "RetwSelected", {{"SelDest", c.chosen}}), kRequestFormMark);
    for (const auto& [key, value] : c.keys)
      EXPECT_EQ(ex.sessionStore.text("RequestDetail." + key), value) << c.chosen << " " << key;
  }
}

TEST_F(LookupDestTest, ReturnWithoutAChoiceKeepsTheDestination) {
  FakeExchange ex;
  signInTeacher(ex);
  ex.sessionStore.set("RequestDetail.destination", "12");
  ex.sessionStore.set("RequestDetail.destdesc", "Aquarium");
  EXPECT_EQ(request(ex, "LookupDest", "RetwSelected", {{"SelDest", ""}}), kRequestFormMark);
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.destination"), "12");
  EXPECT_EQ(ex.sessionStore.text("RequestDetail.destdesc"), "Aquarium");
}

}  // namespace
}  // namespace ravadid::testing
