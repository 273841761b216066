// The flows a person takes through the pages. Each gets a fresh browser context (no cookies)
// and calls visit.check on every page it reaches. `pending` holds flows over pages that are not
// built yet; the runner lists them without running them.
import {spawnSync} from 'node:child_process';
import {readFileSync} from 'node:fs';
import {join} from 'node:path';

import {Visit} from './checks.mjs';

export const PAGE = 'RavadidLarkdale.asp';

export function expect(condition, message) {
  if (!condition) throw new Error(message);
}

export async function text(locator) { return (await locator.innerText()).trim(); }

// The sign-in page, filled and sent with one of its two start buttons.
export async function signIn(visit, page, user, password, start = 'Work With Trip Requests') {
  await page.goto(visit.url());
  await visit.check(page, 'sign-in');
  await page.fill('input[name=user]', user);
  await page.fill('input[name=password]', password);
  await Promise.all(
      [page.waitForNavigation(), page.click(`input[name=btnsubmit][value="${start}"]`)]);
}

// The request list as a signed-in user sees it: its title and the user named above the menu.
async function expectRequestList(page, user) {
  expect(
      await page.title() === 'Field Trip Requests - Work With Trip Requests',
      `expected the request list, got "${await page.title()}"`);
  const signedIn = await text(page.locator('.signed-in'));
  expect(
      signedIn.toLowerCase().includes(user), `signed-in line "${signedIn}" does not name ${user}`);
}

export function resultRows(page) {
  // Each request is two rows; the first holds the link to it.
  return page.locator('.results-scroll tr[bgcolor]:has(a[href*="WCI=RequestDetail"])');
}

async function rowStatuses(page) {
  const rows = resultRows(page);
  return rows.locator('td:nth-child(6)').allInnerTexts();
}

export async function press(page, name, value) {
  await Promise.all(
      [page.waitForNavigation(), page.click(`input[name=${name}][value="${value}"]`)]);
}

export const flows = [
  {
    name: 'request-reports',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'clerk', 'clerk');
      await page.selectOption('select[name=status]', 'Denied');
      await press(page, 'btnsubmit', 'Search');
      await visit.check(page, 'list');
      for (const report of requestReports) await printReport(visit, page, 'Request', report);
    },
  },
  {
    name: 'wrong-password',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'not-the-password');
      await visit.check(page, 'refused');
      expect(
          await page.locator('input[name=password]').count() === 0,
          'a wrong password shows the sign-in form again instead of a message');
      const message = await text(page.locator('main'));
      expect(/invalid password/i.test(message), `the refusal says "${message}"`);
      const back = page.locator('a[href]').first();
      expect(await back.count() === 1, 'the refusal page has no link back');
      await Promise.all([page.waitForNavigation(), back.click()]);
      await visit.check(page, 'back');
      expect(
          await page.locator('input[name=user]').count() === 1,
          'the link back does not lead to the sign-in form');
    },
  },
  {
    name: 'teacher-list',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher');
      await visit.check(page, 'list');
      await expectRequestList(page, 'wes.teacher');
      expect(await resultRows(page).count() > 0, 'the teacher sees no requests');
    },
  },
  {
    name: 'filter-list',
    async run(visit) {
      const page = await visit.open();
      // The clerk sees the whole district: too many requests until a filter narrows them.
      await signIn(visit, page, 'clerk', 'clerk');
      await visit.check(page, 'list');
      expect(
          /refine your search/i.test(await text(page.locator('.results'))),
          'the unfiltered district list does not ask to refine the search');
      await page.selectOption('select[name=status]', 'Denied');
      await press(page, 'btnsubmit', 'Search');
      await visit.check(page, 'filtered');
      const statuses = await rowStatuses(page);
      expect(statuses.length > 0, 'no Denied requests found');
      const other = statuses.find((s) => s !== 'Denied');
      expect(other === undefined, `filtered by Denied but a row says "${other}"`);
      expect(
          await page.locator('select[name=status]').inputValue() === 'Denied',
          'the status filter does not keep its choice');
      await press(page, 'btnsubmit', 'Reset');
      await visit.check(page, 'reset');
      expect(
          await page.locator('select[name=status]').inputValue() === '', 'Reset keeps the filter');
    },
  },
  {
    name: 'principal-queue',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.principal', 'principal');
      await visit.check(page, 'queue');
      await expectRequestList(page, 'wes.principal');
      const used = await page.locator('.filters-used').textContent();
      expect(
          /waiting for your approval/i.test(used), `the list is not the approval queue: "${used}"`);
      const statuses = await rowStatuses(page);
      expect(statuses.length > 0, 'the principal has nothing to approve');
      const settled = statuses.find((s) => /^(ACCEPTED|Denied)$/i.test(s));
      expect(settled === undefined, `the queue holds a ${settled} request`);
    },
  },
  {
    name: 'sign-out',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher');
      await visit.check(page, 'list');
      await press(page, 'btnsubmit', 'Log Out');
      await visit.check(page, 'signed-out');
      expect(/signed out/i.test(await text(page.locator('main'))), 'no signed-out notice');
      // The session is gone: the list no longer answers with requests.
      await page.goto(visit.url(`${PAGE}?WCI=RequestSearch&WCE=TripRequests&WCU`));
      await visit.check(page, 'after-sign-out');
      expect(await resultRows(page).count() === 0, 'the list still shows after signing out');
      expect(
          /session has timed out/i.test(await text(page.locator('main'))),
          'no timed-out notice after signing out');
      const again = page.locator('a[href]').first();
      await Promise.all([page.waitForNavigation(), again.click()]);
      await visit.check(page, 'sign-in-again');
      expect(
          await page.locator('input[name=user]').count() === 1, 'no way back to the sign-in form');
    },
  },
  {
    name: 'phone-list',
    viewport: Visit.phone,
    contextOptions: {isMobile: true, hasTouch: true, deviceScaleFactor: 1},
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher');
      await visit.check(page, 'list');
      const rows = resultRows(page);
      expect(await rows.count() > 0, 'no requests on the phone');
      const first = rows.first();
      expect(
          await first.evaluate((row) => getComputedStyle(row).display) === 'grid',
          'a request is not shown as a card on the phone');
      expect(
          await page.locator('.results-scroll thead').isHidden(),
          'the column heads show on the phone');
      const label = await first.locator('td:nth-child(1)')
                        .evaluate((cell) => getComputedStyle(cell, '::before').content);
      expect(label.includes('Request #'), `the card's first value is labelled ${label}`);
    },
  },
  {
    // The calendar from the request list's menu: the month grid on a wide screen, the week list
    // on a phone; the next month; a day opens the request list of that day.
    name: 'trip-calendar',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'clerk', 'clerk');
      await Promise.all([page.waitForNavigation(), page.click('a.menu-link')]);
      await visit.check(page, 'month');
      expect(
          await page.title() === 'Field Trips - Trip Calendar',
          `expected the calendar, got "${await page.title()}"`);
      const days = page.locator('.month-grid td.day');
      expect(await days.count() >= 28, 'the month grid has fewer than 28 days');
      expect(await page.locator('.week-view').isHidden(), 'the week list shows on a wide screen');
      expect(
          await page.locator('.month-grid td[aria-current=date]').count() === 1,
          'today is not marked in the current month');
      expect(
          await page.locator('.month-grid .item').count() > 0, 'the demo month shows no trips');

      await page.setViewportSize(Visit.phone);
      expect(await page.locator('.month-view').isHidden(), 'the month grid shows on a phone');
      const weekDays = page.locator('.week-days li.day');
      const count = await weekDays.count();
      expect(count >= 1 && count <= 7, `the week list holds ${count} days`);
      await page.setViewportSize(Visit.desktop);

      // The next month, reached by keyboard.
      await page.locator('.month-nav a.next').focus();
      await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
      await visit.check(page, 'next-month');
      expect(
          await page.locator('.month-grid td[aria-current=date]').count() === 0,
          'today is marked in another month');

      const day = page.locator('.month-grid td.day a.day-link').first();
      const href = await day.getAttribute('href');
      const date = /DepFrom=(\d{4}-\d{2}-\d{2})/.exec(href)?.[1];
      expect(date !== undefined, `a day links to "${href}"`);
      await Promise.all([page.waitForNavigation(), day.click()]);
      await visit.check(page, 'day-requests');
      await expectRequestList(page, 'clerk');
      expect(
          await page.locator('input[name=DepFrom]').inputValue() === date,
          'the request list does not filter by the day');
    },
  },
  {
    name: 'new-request-from-sign-in',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      await expectEditableForm(page);
    },
  },
  {
    name: 'principal-opens-request',
    async run(visit) {
      const page = await visit.open();
      const {href} = await queuedRequest(visit, page);
      await Promise.all([page.waitForNavigation(), page.click(`a[href="${href}"]`)]);
      await visit.check(page, 'request');
      const approve = page.locator('input[type=radio][name=Approve]');
      expect(await approve.count() >= 2, 'the principal is not offered Approve and Deny');
      // The printable page shows the request the form showed, with no control on it.
      const number = await page.locator('input[name=TRIPNUM]').inputValue();
      await page.goto(visit.url('RavadidLarkdale.asp?WCI=TripRequestDetailPrint'));
      await visit.check(page, 'printable');
      const field = page.locator('input[name=TRIPNUM]');
      const printed = (await field.count()) ? await field.inputValue()
                                            : await text(page.locator('body'));
      expect(printed.includes(number), `the printable page does not show request ${number}`);
      expect(await page.locator('select, textarea, input[type=radio]').count() === 0,
             'the printable page has form controls');
    },
  },
  {
    name: 'other-school-is-refused-request',
    async run(visit) {
      const principal = await visit.open();
      const {href} = await queuedRequest(visit, principal);
      await principal.close();
      const page = await visit.open();  // same context: sign in again as another school's teacher
      await signIn(visit, page, 'lhs.teacher', 'teacher');
      await visit.check(page, 'list');
      await page.goto(visit.url(href));
      await visit.check(page, 'refused');
      expect(
          await page.locator('select, textarea, input[name=btnSubmit]').count() === 0,
          'another school\'s teacher gets the request form');
      const shown = await text(page.locator('body'));
      expect(shown.includes('belongs to another customer'),
             'another school\'s teacher is not told why the request is not shown');
      expect(!shown.includes('Westside Elementary School'),
             'another school\'s teacher sees the request\'s customer');
    },
  },
  {
    name: 'lead-time-warning',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      await expectEditableForm(page);
      // The demo district asks for two weeks' notice; three days is inside it.
      const soon = new Date();
      soon.setDate(soon.getDate() + 3);
      await chooseDate(formOf(page), 'Dep', soon);
      visit.dialogAnswer = 'dismiss';
      const dialog = page.waitForEvent('dialog');
      await page.click('input[name=btnSubmit][value=Save]');
      const shown = await dialog;
      expect(['alert', 'confirm'].includes(shown.type()), `a ${shown.type()} instead of a warning`);
      expect(/notice|lead|days/i.test(shown.message()), `the warning says "${shown.message()}"`);
      await visit.check(page, 'after-warning');
    },
  },
  {
    name: 'new-request-from-list',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher');
      await visit.check(page, 'list');
      await press(page, 'btnsubmit', 'Enter New Request');
      await visit.check(page, 'new-form');
      await expectEditableForm(page);
      await press(page, 'btnSubmit', '**Exit**');
      await visit.check(page, 'list-again');
      await expectRequestList(page, 'wes.teacher');
    },
  },
  {
    name: 'requester-saves-principal-approves',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      const inMonth = new Date();
      inMonth.setDate(inMonth.getDate() + 31);
      // Without a destination the server refuses with its message and a way back.
      await fillRequest(page, {departure: inMonth, destination: false});
      await press(page, 'btnSubmit', 'Save');
      await visit.check(page, 'required-message');
      expect((await text(page.locator('body'))).includes('Destination is required.'),
             'no required-destination message');
      // "Go back" shows the form again with what was typed.
      await Promise.all([page.waitForNavigation(), page.click('a:text-is("Go back")')]);
      await visit.check(page, 'back-to-form');
      expect(await page.locator('input[name=Contact]').inputValue() === 'Ms. Rivera',
             'the typed contact is lost on the way back');
      // Inside the lead time: the browser asks first, then the server warns.
      const soon = new Date();
      soon.setDate(soon.getDate() + 3);
      await fillRequest(page, {departure: soon, destination: true});
      visit.dialogAnswer = 'accept';
      await press(page, 'btnSubmit', 'Save');
      await visit.check(page, 'lead-time');
      expect(/advance notice/.test(await text(page.locator('body'))),
             'no advance-notice message or warning');
      // The demo district only warns: the request is stored and shown again with its number.
      const number = await page.locator('input[name=TRIPNUM]').inputValue();
      expect(/^[0-9]+$/.test(number), `the saved form shows request "${number}"`);

      // The school's principal finds it in the queue and approves it.
      const principal = await visit.open();
      await signIn(visit, principal, 'wes.principal', 'principal');
      await visit.check(principal, 'queue');
      const link = resultRows(principal).locator(`a:text-is("${number}")`);
      expect(await link.count() === 1, `request ${number} is not in the principal's queue`);
      await Promise.all([principal.waitForNavigation(), link.click()]);
      await visit.check(principal, 'to-approve');
      await principal.locator('input[type=radio][name=Approve]').first().check();
      await press(principal, 'btnSubmit', 'Save');
      await visit.check(principal, 'approved');
      const status = await text(principal.locator('form[name=TripRequestDetail]'));
      expect(/PRINCIPAL APPROVED/i.test(status), 'the request does not show its new status');
    },
  },
  {
    name: 'approval-history',
    async run(visit) {
      // A principal approves a request with a comment and sees the line it leaves, last.
      const page = await visit.open();
      const {href} = await queuedRequest(visit, page);
      await Promise.all([page.waitForNavigation(), page.click(`a[href="${href}"]`)]);
      await visit.check(page, 'to-approve');
      const history = page.locator('table.history tbody tr');
      const before = await history.count();
      expect(before > 0, 'the request shows no history before the approval');
      expect(/Created/.test(await text(history.first())), 'the first history line is no creation');
      await page.locator('input[type=radio][name=Approve]').first().check();
      await page.fill('textarea[name=STATUS_COMMENT]', 'Buses <booked> & confirmed');
      await press(page, 'btnSubmit', 'Save');
      await visit.check(page, 'approved');
      expect(await history.count() === before + 1,
             `${await history.count()} history lines after the approval, ${before} before`);
      const line = await text(history.last());
      const status = await text(page.locator('.request-facts .status'));
      for (const part of ['Approved', 'wes.principal', `→ ${status}`,
                          'Buses <booked> & confirmed'])
        expect(line.includes(part), `the new history line "${line}" lacks "${part}"`);
      // The approval section and the history under it, for the README.
      const top = await page.locator('fieldset.approval').boundingBox();
      const bottom = await page.locator('section.history').boundingBox();
      const scrolled = await page.evaluate(() => window.scrollY);
      await page.screenshot({
        path: join(visit.shots, 'approval-history.png'),
        fullPage: true,
        clip: {x: top.x - 16, y: scrolled + top.y - 16, width: top.width + 32,
               height: bottom.y + bottom.height - top.y + 32},
      });
      // The printable request shows the same lines.
      await press(page, 'btnSubmit', 'Print');
      await visit.check(page, 'printout');
      const printed = page.locator('table.history tbody tr');
      expect(await printed.count() === before + 1, 'the printout shows another history');
      expect((await text(printed.last())).includes('wes.principal'),
             'the printout lacks the approval line');
    },
  },
  {
    name: 'field-trips-and-reports',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'clerk', 'clerk');
      await press(page, 'btnsubmit', 'View Field Trips');
      // The whole district's list is long; its layout and names are checked on the filtered list.
      expect(
          await page.title() === 'Field Trips - View Field Trips', 'the menu does not open the trips');
      // Cancelled trips only: a short list.
      await page.locator('input[name=chkOPEN]').uncheck();
      await press(page, 'btnsubmit', 'Search');
      await visit.check(page, 'cancelled');
      const trips = page.locator('.results-scroll tr[bgcolor]:has(td[rowspan])');
      expect(await trips.count() > 0, 'the district has no cancelled trips');
      const marks = await trips.evaluateAll(
          (rows) => rows.map((row) => row.querySelector('input[type=checkbox]').checked));
      expect(marks.every((m) => m), 'a trip listed as cancelled is not marked cancelled');
      const open = await page.locator('input[name=chkOPEN]').isChecked();
      expect(!open, 'the Open box does not keep its state');
      const link = page.locator('.results-scroll a:text-is("Print Report")');
      const [report] = await Promise.all([page.context().waitForEvent('page'), link.click()]);
      await report.waitForLoadState('load');
      await visit.check(report, 'print-report');
      const kinds = [
        ['1', 'WCI=TripReport1&WCE&WCU'],
        ['2', 'WCI=TripReport2&WCE&WCU'],
        ['3', 'WCI=TripSummaryReport&Type=Fund'],
      ];
      for (const [choice, target] of kinds) {
        await report.goto(visit.url(`${PAGE}?WCI=PrintReport&Type=Trip`));
        await report.locator(`input[name=rb][value="${choice}"]`).check();
        await report.selectOption('select[name=ddlSummary]', 'Fund');
        await Promise.all([report.waitForNavigation(), report.click('input[type=submit]')]);
        expect(report.url().endsWith(target), `report ${choice} went to ${report.url()}`);
      }
    },
  },
  {
    name: 'customer-lookup',
    async run(visit) {
      const page = await visit.open();
      // The clerk serves every school, so the form offers the customer look-up.
      await signIn(visit, page, 'clerk', 'clerk', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      const typed = await typeRequestValues(page);
      await openLookup(visit, page, 'Customer', 'Find a Customer');
      const name = await searchAndPick(visit, page, 'input[name=CUSTDESC]', 'west');
      await returnToForm(visit, page, typed);
      const customer = await formOf(page).locator('select[name=cust]').inputValue();
      expect(customer.includes(name), `the form shows customer "${customer}", not ${name}`);
    },
  },
  {
    name: 'destination-lookup',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      const typed = await typeRequestValues(page);
      await openLookup(visit, page, 'Destination', 'Find a Destination');
      const name = await searchAndPick(visit, page, 'input[name=DESTDESC]', '');
      await returnToForm(visit, page, typed);
      const dest = formOf(page).locator('select[name=dest]');
      const shown = await dest.locator('option:checked').innerText();
      expect(shown.includes(name), `the form shows destination "${shown}", not ${name}`);
    },
  },
  {
    name: 'new-destination',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      const typed = await typeRequestValues(page);
      await openLookup(visit, page, 'Destination', 'Find a Destination');
      await press(page, 'btnsubmit', 'New');
      await visit.check(page, 'add-form');
      const add = page.locator('.lookup-results');
      await add.locator('input[name=DESTDESC]').fill('Tide Pools at Otter Rock');
      await add.locator('input[name=MILES]').fill('far');
      await add.locator('input[name=DESTADD1]').fill('Otter Crest Loop');
      await add.locator('input[name=DESTCITY]').fill('Otter Rock');
      await add.locator('input[name=DESTSTATE]').fill('OR');
      await press(page, 'btnSubmit2', 'Return');
      await visit.check(page, 'miles-refused');
      expect(/valid number of miles/.test(await text(page.locator('main'))), 'no miles message');
      await Promise.all([page.waitForNavigation(), page.click('a:text-is("Go back")')]);
      await visit.check(page, 'lookup-again');
      await press(page, 'btnsubmit', 'New');
      await add.locator('input[name=DESTDESC]').fill('Tide Pools at Otter Rock');
      await add.locator('input[name=MILES]').fill('48');
      await add.locator('input[name=DESTCITY]').fill('Otter Rock');
      await add.locator('textarea[name=DESTSPEC]').fill('Low tide at 10 AM');
      await returnToForm(visit, page, typed);
      const body = await text(page.locator('form[name=TripRequestDetail]'));
      expect(body.includes('Tide Pools at Otter Rock'), 'the new destination is not on the form');
      expect(
          await page.locator('textarea[name=DESTSPEC]').inputValue() === 'Low tide at 10 AM',
          'the new destination\'s instructions are not on the form');
    },
  },
  {
    name: 'fund-lookup',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      const typed = await typeRequestValues(page);
      await openLookup(visit, page, 'Fund', 'Find a Fund');
      // Funds belong to customers here: both fields empty list the school's funds.
      const fund = await searchAndPick(visit, page, 'input[name=FUND]', '');
      await returnToForm(visit, page, typed);
      const chosen = await formOf(page).locator('select[name=fund]').inputValue();
      expect(chosen.startsWith(fund), `the form shows fund "${chosen}", not ${fund}`);
    },
  },
  {
    name: 'summary-prints',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher');
      await page.goto(visit.url(`${PAGE}?WCI=TripSummaryReport&Type=Category`));
      await visit.check(page, 'summary');
      expect(await page.title() === 'Field Trip Summary by Category',
             `the summary is titled "${await page.title()}"`);
      const rows = page.locator('.summary-table tr[bgcolor]');
      expect(await rows.count() > 0, 'the summary shows no groups');
      expect(await rows.filter({hasText: '*None'}).count() === 1, 'no "*None" category row');
      // On paper: the headings, the print date and every group, without the page controls.
      const printed = await printedText(visit, page);
      for (const wanted of ['Field Trip Summary by Category', 'Trips', 'Splits', 'Students',
                            'Riders', 'Amount', 'Printed', '*None']) {
        expect(printed.includes(wanted), `the printed summary lacks "${wanted}"`);
      }
      const first = (await text(rows.first().locator('td').first()));
      expect(printed.includes(first), `the printed summary lacks the group "${first}"`);
      expect(!/\bNext\b|\bLast\b|Back to/.test(printed), 'page controls are printed');
    },
  },
  {
    name: 'spreadsheet-download',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'wes.teacher', 'teacher');
      await visit.check(page, 'list');
      await page.goto(visit.url(`${PAGE}?WCI=PrintReport&Type=Request`));
      await Promise.all([page.waitForNavigation(), page.click('form input[type=submit]')]);
      await visit.check(page, 'report');
      // The README's picture: the report's head, its toolbar and first rows.
      const table = await page.locator('.report-table').boundingBox();
      await page.screenshot({
        path: join(visit.shots, 'spreadsheets.png'),
        clip: {x: 0, y: 0, width: page.viewportSize().width, height: Math.min(table.y + 150, 640)},
      });
      const shown = await reportNumbers(page);
      const customer = await text(page.locator('.report-table tbody tr[bgcolor] > td').nth(2));
      const [download] =
          await Promise.all([page.waitForEvent('download'), page.click('a.download')]);
      expect(/^trip-requests-\d{4}-\d{2}-\d{2}\.csv$/.test(download.suggestedFilename()),
             `the file is named "${download.suggestedFilename()}"`);
      const file = join(visit.shots, `${visit.flowName}.csv`);
      await download.saveAs(file);
      const rows = csvRows(file);
      expect(rows[0][0] === 'Request #' && rows[0][1] === 'Customer',
             `the file's header is ${JSON.stringify(rows[0])}`);
      const numbers = rows.slice(1).map((row) => row[0]);
      expect(numbers.length >= shown.length, `the file holds ${numbers.length} rows`);
      expect(JSON.stringify(numbers.slice(0, shown.length)) === JSON.stringify(shown),
             `the file's first rows ${numbers.slice(0, 3)} are not the report's ${shown.slice(0, 3)}`);
      // A teacher sees the school's requests only; so does the file.
      const others = rows.slice(1).filter((row) => row[1] !== customer);
      expect(others.length === 0, `the file names other customers: ${others.map((r) => r[1])}`);
    },
  },
];

// The rows of a CSV file as Python's csv module reads it.
export function csvRows(file) {
  const bytes = readFileSync(file);
  expect(bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf, 'the file has no BOM');
  expect(bytes.includes('\r\n'), 'the file does not end its lines with CR LF');
  const out = spawnSync('python3', ['-c', [
    'import csv, json, sys',
    'with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:',
    '    print(json.dumps(list(csv.reader(f, strict=True))))',
  ].join('\n'), file], {encoding: 'utf8'});
  if (out.status !== 0) throw new Error(`python could not read ${file}: ${out.stderr}`);
  return JSON.parse(out.stdout);
}

// The text of the page as Chromium prints it on Letter paper.
async function printedText(visit, page) {
  const file = join(visit.shots, `${visit.flowName}-summary.pdf`);
  await page.pdf({path: file, format: 'Letter', preferCSSPageSize: true, printBackground: true});
  return pdfSheets(file).join('\n');
}

// ---- The request form ---------------------------------------------------------------------

export function formOf(page) { return page.locator('form[name=TripRequestDetail]'); }

async function expectEditableForm(page) {
  const form = formOf(page);
  expect(await form.count() === 1, 'no request form');
  for (const part of ['month', 'date', 'year']) {
    expect(await form.locator(`select[name=Dep_${part}]`).count() === 1, `no Dep_${part} select`);
  }
  for (const value of ['Save', '**Exit**']) {
    expect(
        await form.locator(`input[name=btnSubmit][value="${value}"]`).count() === 1,
        `no ${value} button`);
  }
}

// A request of the principal's own school, as a link from the approval queue.
async function queuedRequest(visit, page) {
  await signIn(visit, page, 'wes.principal', 'principal');
  await visit.check(page, 'queue');
  const link = resultRows(page).first().locator('a[href*="WCI=RequestDetail"]');
  expect(await link.count() === 1, 'the principal has no request to open');
  return {href: await link.getAttribute('href'), number: (await text(link))};
}

// Chooses the option of a date select whose value or label is one of the ways to write a part
// of the date (7, 07, July, Jul), so the test does not depend on how the selects spell them.
async function chooseDatePart(select, spellings) {
  const options = await select.locator('option').evaluateAll(
      (all) => all.map((o) => ({value: o.value, label: o.textContent.trim()})));
  const wanted = spellings.map((s) => s.toLowerCase());
  const match = options.find(
      (o) => wanted.includes(o.value.toLowerCase()) || wanted.includes(o.label.toLowerCase()));
  expect(match, `no option among ${spellings.join('|')}`);
  await select.selectOption(match.value);
}

export async function chooseDate(form, prefix, date) {
  const twoDigits = (n) => String(n).padStart(2, '0');
  const month = date.getMonth() + 1;
  const monthName = date.toLocaleString('en-US', {month: 'long'});
  await chooseDatePart(form.locator(`select[name=${prefix}_year]`), [String(date.getFullYear())]);
  await chooseDatePart(
      form.locator(`select[name=${prefix}_month]`),
      [String(month), twoDigits(month), monthName, monthName.slice(0, 3)]);
  await chooseDatePart(
      form.locator(`select[name=${prefix}_date]`),
      [String(date.getDate()), twoDigits(date.getDate())]);
}

// Flows over the field trip list, run after the others.
const tripReportFlows = [
  {
    // Needs the field trip list, whose search leaves the query the trip reports print.
    name: 'trip-reports',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'clerk', 'clerk');
      await Promise.all([
        page.waitForNavigation(), page.click('input[name=btnsubmit][value="View Field Trips"]')
      ]);
      await visit.check(page, 'trips');
      for (const report of tripReports) await printReport(visit, page, 'Trip', report);
    },
  },
];

// ---- The printed reports ---------------------------------------------------------------------

const requestReports = [
  {choice: '1', page: 'TripRequestReport1', headings: ['Request #', 'Depart Time', 'Status']},
  {choice: '2', page: 'TripRequestReport2', headings: ['Request #', 'Internal #', 'Purpose']},
];
const tripReports = [
  {choice: '1', page: 'TripReport1', headings: ['Trip #', 'Return Time', 'Cancelled']},
  {choice: '2', page: 'TripReport2', headings: ['Trip #', 'Est. Miles', 'Assigned']},
];

// The text of a PDF, one entry per sheet (pdftotext of poppler-utils).
export function pdfSheets(file) {
  const out = spawnSync('pdftotext', ['-layout', file, '-'], {encoding: 'utf8'});
  if (out.status !== 0) throw new Error(`pdftotext failed: ${out.stderr || out.error}`);
  return out.stdout.split('\f').filter((sheet) => sheet.trim() !== '');
}

// The report's number cells (first cell of the rows that open a request or trip).
export async function reportNumbers(report) {
  return report.locator('.report-table tbody tr[bgcolor] > td:first-child').evaluateAll(
      (cells) => cells.map((c) => c.innerText.trim()).filter((t) => /^\d+$/.test(t)));
}

async function reportPageNumber(report) {
  const meta = await text(report.locator('.report-meta'));
  const match = /Page (-?\d+)\./.exec(meta);
  expect(match, `the report does not say its page: "${meta}"`);
  return Number(match[1]);
}

// From a list, Print Report opens the report choice in a new window; the chosen report is
// checked, paged through to the end and back, and printed to PDF on Letter paper.
async function printReport(visit, page, type, report) {
  const [chooser] = await Promise.all([
    page.context().waitForEvent('page'), page.click('a[href*="WCI=PrintReport"]')
  ]);
  await chooser.waitForLoadState('load');
  expect(chooser.url().includes(`Type=${type}`), `Print Report opened ${chooser.url()}`);
  if (await chooser.locator('input[name=rb]').count()) {
    await chooser.check(`input[name=rb][value="${report.choice}"]`);
    await Promise.all([
      chooser.waitForNavigation(), chooser.locator('form input[type=submit]').first().click()
    ]);
  } else {
    await chooser.goto(visit.url(`${PAGE}?WCI=${report.page}&WCE&WCU`));
  }
  await visit.check(chooser, report.page);
  const heading = await text(chooser.locator('.report-table thead'));
  for (const label of report.headings)
    expect(heading.includes(label), `${report.page} has no "${label}" heading: ${heading}`);
  const first = await reportNumbers(chooser);
  expect(first.length > 0 && first.length <= 20, `${report.page} shows ${first.length} rows`);
  expect(await reportPageNumber(chooser) === 1, `${report.page} does not open on page 1`);
  expect(
      (await chooser.locator('#btnFirst, #btnPrevious').count()) === 0,
      'page 1 offers First or Previous');

  if (await chooser.locator('#btnLast').count()) {
    await Promise.all([chooser.waitForNavigation(), chooser.click('#btnNext')]);
    expect(await reportPageNumber(chooser) === 2, 'Next does not show page 2');
    // With two pages (the demo's counts follow the date it was made), page 2 is the last.
    if (await chooser.locator('#btnLast').count())
      await Promise.all([chooser.waitForNavigation(), chooser.click('#btnLast')]);
    await visit.check(chooser, `${report.page}-last`);
    expect(
        (await chooser.locator('#btnNext, #btnLast').count()) === 0,
        'the last page offers Next or Last');
    const last = await reportNumbers(chooser);
    expect(last.length > 0, 'the last page is empty');
    await Promise.all([chooser.waitForNavigation(), chooser.click('#btnFirst')]);
    expect(
        JSON.stringify(await reportNumbers(chooser)) === JSON.stringify(first),
        'First does not show the first page again');
  }

  const file = join(visit.shots, `${visit.flowName}-${report.page}.pdf`);
  await chooser.emulateMedia({media: 'print'});
  await chooser.pdf({path: file, preferCSSPageSize: true, printBackground: true});
  await chooser.emulateMedia({media: 'screen'});
  const sheets = pdfSheets(file);
  expect(sheets.length > 0, `${report.page} printed nothing`);
  // Narrow columns may wrap a heading ("Request #"), so one-word headings are looked for.
  for (const [n, sheet] of sheets.entries()) {
    expect(
        /Customer/.test(sheet) && /Destination/.test(sheet),
        `sheet ${n + 1} of ${report.page} does not repeat the headings`);
  }
  const printed = sheets.join('\n');
  expect(new RegExp(`\\b${first[0]}\\b`).test(printed), `the PDF lacks row ${first[0]}`);
  expect(/Printed \d+\/\d+\/\d{4}/.test(printed), 'the PDF does not state its print date');
  expect(!/Previous|Signed in/i.test(printed), 'the page buttons were printed');
  await chooser.close();
}
// ---- The look-ups -------------------------------------------------------------------------

// Types values into a new request form that a look-up must not lose.
async function typeRequestValues(page) {
  const form = formOf(page);
  const typed = {
    Contact: 'Ms. O\'Hara',
    PURPOSE: 'Tide & "pools"',
    NUMSTUDENTS: '24',
    NUMADULTS: '3',
  };
  for (const [name, value] of Object.entries(typed))
    await form.locator(`input[name=${name}]`).fill(value);
  const inMonth = new Date();
  inMonth.setDate(inMonth.getDate() + 31);
  await chooseDate(form, 'Dep', inMonth);
  typed.Dep_date = await form.locator('select[name=Dep_date]').inputValue();
  return typed;
}

export async function openLookup(visit, page, button, title) {
  await press(page, 'btnSubmit', button);
  await visit.check(page, `lookup-${button}`);
  const heading = await text(page.locator('h2'));
  expect(heading === title, `the ${button} button opened "${heading}"`);
  expect((await text(page.locator('.signed-in'))).length > 0, 'the look-up names no user');
}

// Searches, checks the results, picks the first row by tapping it and returns its second cell
// (the customer's name, the destination's description, the fund's number).
export async function searchAndPick(visit, page, field, value) {
  await page.fill(field, value);
  await Promise.all([page.waitForNavigation(), page.press(field, 'Enter')]);
  await visit.check(page, 'found');
  const rows = page.locator('.results-frame table[width] tbody tr:has(input[type=radio])');
  expect(await rows.count() > 0, `nothing found for "${value}"`);
  const row = rows.first();
  await row.locator('td').nth(1).click();
  expect(await row.locator('input[type=radio]').isChecked(), 'tapping a row does not pick it');
  return text(row.locator('td').nth(1));
}

// Returns to the form and checks that it kept every typed value.
export async function returnToForm(visit, page, typed) {
  await press(page, 'btnSubmit2', 'Return');
  await visit.check(page, 'form-again');
  const form = formOf(page);
  expect(await form.count() === 1, 'Return does not lead back to the request form');
  for (const [name, value] of Object.entries(typed)) {
    const shown = await form.locator(`[name=${name}]`).inputValue();
    expect(shown === value, `the form lost ${name}: "${shown}" instead of "${value}"`);
  }
}


// Last, as it changes the district: a request of the queue becomes a scheduled trip.
const transportFlows = [
  {
    name: 'transport-schedules-trip',
    async run(visit) {
      const page = await visit.open();
      await signIn(visit, page, 'transport', 'transport');
      await visit.check(page, 'queue');
      // The department accepts the first request of its queue, then schedules it.
      const link = resultRows(page).first().locator('a[href*="WCI=RequestDetail"]');
      expect(await link.count() === 1, 'the transportation queue is empty');
      const number = await text(link);
      await Promise.all([page.waitForNavigation(), link.click()]);
      await visit.check(page, 'to-accept');
      await page.locator('input[type=radio][name=Approve]').first().check();
      // The queue may hold a request inside the lead time: the browser asks first.
      visit.dialogAnswer = 'accept';
      await press(page, 'btnSubmit', 'Save');
      visit.dialogAnswer = null;
      await visit.check(page, 'accepted');
      await scheduleAndFind(visit, page, number);
    },
  },
];

// From an accepted request's form: "Schedule as a trip", the assignment page, "Create the Trip",
// then the field trip search finds the new trip by the request it came from. Returns its number.
export async function scheduleAndFind(visit, page, number) {
  const schedule = page.locator('a:text-is("Schedule as a trip")');
  expect(await schedule.count() === 1, `accepted request ${number} is not offered as a trip`);
  await Promise.all([page.waitForNavigation(), schedule.click()]);
  await visit.check(page, 'assignment');
  expect((await text(page.locator('.request-number'))) === number,
         'the assignment page names another request');
  await page.selectOption('select[name=Type]', {index: 1});
  await page.fill('input[name=NUMTYPE]', '1');
  await press(page, 'btnSubmit', 'Create the Trip');
  await visit.check(page, 'scheduled');
  const trip = await text(page.locator('.trip-scheduled strong'));
  expect(/^[0-9]+$/.test(trip), `the form shows trip "${trip}"`);
  expect(await page.locator('a:text-is("Schedule as a trip")').count() === 0,
         'a scheduled request is offered as a trip again');

  await press(page, 'btnSubmit', '**Exit**');
  await press(page, 'btnsubmit', 'View Field Trips');
  await page.fill('input[name=TRIPREQNUM]', number);
  await press(page, 'btnsubmit', 'Search');
  await visit.check(page, 'trip-found');
  const rows = page.locator('.results-scroll tr[bgcolor]:has(td[rowspan])');
  expect(await rows.count() === 1, `the field trip search does not find request ${number}`);
  const row = await text(rows.first());
  expect(row.startsWith(trip), `the request's trip is not ${trip}: ${row}`);
  return trip;
}

flows.push(...tripReportFlows, ...transportFlows);

export const pending = [];

// Fills the request form: a destination (chosen first, since choosing one redisplays the form),
// the departure date with the return on the same day, times, counts, contact, purpose and fund.
export async function fillRequest(
    page, {departure, destination, lists = ['fund', 'tripcat', 'grade'], times = ['DEP', 'RET']}) {
  const form = formOf(page);
  if (destination) {
    const dest = form.locator('select[name=dest]');
    const value = await dest.locator('option').evaluateAll(
        (all) => all.map((o) => o.value).find((v) => v.trim() !== '' && v !== '0'));
    await Promise.all([page.waitForNavigation(), dest.selectOption(value)]);
  }
  if (departure) await chooseDate(form, 'Dep', departure);
  await form.locator('input[name=chkDefaultReturnDate]').check();
  for (const [prefix, hour, ampm] of [['DEP', '9', 'AM'], ['RET', '2', 'PM']]) {
    if (!times.includes(prefix)) continue;
    await form.locator(`select[name=${prefix}_HOUR]`).selectOption(hour);
    await form.locator(`select[name=${prefix}_MIN]`).selectOption('0');
    await form.locator(`input[name=${prefix}_AMPM][value=${ampm}]`).check();
  }
  await form.locator('input[name=NUMSTUDENTS]').fill('24');
  await form.locator('input[name=NUMADULTS]').fill('3');
  await form.locator('input[name=Contact]').fill('Ms. Rivera');
  await form.locator('input[name=PURPOSE]').fill('Science museum');
  for (const name of lists) {
    const list = form.locator(`select[name=${name}]`);
    if (!(await list.count())) continue;
    const value = await list.locator('option').evaluateAll(
        (all) => all.map((o) => o.value || o.textContent).find((v) => v.trim() !== ''));
    if (value !== undefined) await list.selectOption(value);
  }
}
