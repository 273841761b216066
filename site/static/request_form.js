// The trip request form: the checks its buttons ask for, redisplay on a list change, and
// names for the date and time parts that the page writes without labels of their own.
(function () {
  "use strict";
  var form = document.forms.TripRequestDetail;
  if (!form) return;

  var MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"];
  var DAY = 24 * 60 * 60 * 1000;

  function selected(name) {
    var field = form.elements[name];
    return field ? String(field.value).trim() : "";
  }

  // The departure date chosen, or null while a part of it is blank.
  function departureDate() {
    var month = MONTHS.indexOf(selected("Dep_month"));
    var day = parseInt(selected("Dep_date"), 10);
    var year = parseInt(selected("Dep_year"), 10);
    if (month < 0 || isNaN(day) || isNaN(year)) return null;
    return new Date(year, month, day);
  }

  // Save: a departure inside the district's lead time is refused, or asked about.
  window.validateDepartureDate = function () {
    var leadTime = parseInt(form.getAttribute("data-leadtime"), 10) || 0;
    var departure = departureDate();
    if (!departure || leadTime <= 0) return true;
    var now = new Date();
    var today = new Date(now.getFullYear(), now.getMonth(), now.getDate());
    var days = Math.round((departure - today) / DAY);
    if (days >= leadTime) return true;
    var text = "The departure date is less than " + leadTime + " days from today.";
    if (String(form.getAttribute("data-hardwarn")).toLowerCase() === "true") {
      window.alert(text + " Please choose a later departure date.");
      return false;
    }
    return window.confirm(text + " Save the request anyway?");
  };

  window.confirmCopy = function () {
    return window.confirm("Make a new request from a copy of this one?");
  };

  window.confirmDelete = function () {
    return window.confirm("Delete this trip request? This cannot be undone.");
  };

  // A new customer or destination redisplays the form with what goes with it. A choice made
  // with the keyboard waits until the list is left (or Enter), so arrowing through the list
  // does not reload the page at every step.
  ["cust", "dest"].forEach(function (name) {
    var list = form.elements[name];
    if (!list || list.tagName !== "SELECT") return;
    var keyed = false;
    var pending = false;
    function redisplay() {
      form.elements.dropDownChange.value = name;
      form.submit();
    }
    list.addEventListener("keydown", function (event) {
      keyed = true;
      if (event.key === "Enter" && pending) {
        event.preventDefault();
        redisplay();
      }
    });
    list.addEventListener("change", function () {
      if (keyed) pending = true;
      else redisplay();
      keyed = false;
    });
    list.addEventListener("blur", function () {
      if (pending) redisplay();
    });
  });

  // Each month, day, year, hour, minute and AM/PM control gets a name a screen reader can say.
  var PARTS = {
    _month: "month", _date: "day", _year: "year", _HOUR: "hour", _MIN: "minute"
  };
  Array.prototype.forEach.call(form.querySelectorAll("fieldset.moment"), function (group) {
    var legend = group.querySelector("legend");
    var prefix = legend ? legend.textContent.trim() : "";
    Array.prototype.forEach.call(group.querySelectorAll("select, input[type=radio]"), function (c) {
      if (c.type === "radio") {
        c.setAttribute("aria-label", prefix + " " + c.value);
        return;
      }
      for (var suffix in PARTS) {
        if (c.name.slice(-suffix.length) === suffix) {
          c.setAttribute("aria-label", prefix + ", " + PARTS[suffix]);
        }
      }
    });
  });

  // The Approve and Deny radios are followed by their words, not wrapped in labels.
  Array.prototype.forEach.call(form.querySelectorAll("input[type=radio][name=Approve]"), function (r) {
    var next = r.nextSibling;
    var word = next && next.nodeType === 3 ? next.textContent.trim() : "";
    r.setAttribute("aria-label", word || r.value);
  });
})();
