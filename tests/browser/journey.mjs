// One journey through the whole system, as the district's people take it: a request entered
// through the three look-ups and refused by each rule before it is saved, approved by the
// school's principal, accepted and scheduled by transportation while another request is denied,
// the notices read at the SMTP server, every report printed and downloaded, and each person
// signed out with Back showing nothing of theirs. Every page is checked (both sizes, axe).
import {spawnSync} from 'node:child_process';
import {existsSync, readdirSync, readFileSync} from 'node:fs';
import {join} from 'node:path';

import {
  chooseDate, csvRows, expect, fillRequest, formOf, openLookup, PAGE, pdfSheets, press,
  reportNumbers, resultRows, returnToForm, scheduleAndFind, searchAndPick, signIn, text,
} from './flows.mjs';

// Days for the district's rules, read from the installation: the first closed day ahead, a
// school day inside the advance notice, and a later school day filled up to the daily limit
// with trips of the district office (the demo district has no full day of its own).
function districtDays(visit) {
  const script = `
import datetime, json, sqlite3, sys
db = sqlite3.connect(sys.argv[1], timeout=30)
today = datetime.date.today()
notes = {row[0]: row[1] for row in db.execute(
    "SELECT date(NoteDate), NoteSeverity FROM Big_CalCalNotes")}
def school_day(day):
    while day.weekday() >= 5 or day.isoformat() in notes:
        day += datetime.timedelta(days=1)
    return day
closed = min(d for d, severity in notes.items() if severity == 3 and d > today.isoformat())
soon = school_day(today + datetime.timedelta(days=3))
full = school_day(today + datetime.timedelta(days=35))
limit = int(db.execute("SELECT TOTAL_TRIPS_LIMIT FROM DISTRICT").fetchone()[0])
(count,) = db.execute("SELECT COUNT(*) FROM TRIPS WHERE date(DEPDATE) = ? AND "
                      "(CANCELED IS NULL OR CANCELED = 0)", (full.isoformat(),)).fetchone()
db.executemany("INSERT INTO TRIPS (CUSTOMER, DEPDATE, CANCELED, BILL) VALUES ('DO', ?, 0, 1)",
               [(full.isoformat() + " 08:00:00",)] * max(limit - count, 0))
db.commit()
print(json.dumps({"closed": closed, "soon": soon.isoformat(), "full": full.isoformat()}))
`;
  const out = spawnSync(
      'python3', ['-c', script, join(visit.root, 'Data', 'Larkdale', 'trip.mdb')],
      {encoding: 'utf8'});
  if (out.status !== 0) throw new Error(`the district's days: ${out.stderr}`);
  const days = JSON.parse(out.stdout);
  const date = (iso) => new Date(`${iso}T12:00:00`);
  return {closed: date(days.closed), soon: date(days.soon), full: date(days.full)};
}

// The messages the SMTP server has received: recipients and text.
function receivedMail(visit) {
  if (!existsSync(visit.mail)) return [];
  return readdirSync(visit.mail).filter((name) => !name.endsWith('.part')).map((name) => ({
    to: readFileSync(join(visit.mail, name, 'rcpt_tos'), 'utf8').trim().split('\n'),
    content: readFileSync(join(visit.mail, name, 'content'), 'utf8'),
  }));
}

async function expectNotice(visit, {to, request, says}) {
  const matches = (m) => m.to.includes(to) && m.content.includes(`Request #${request}`) &&
      m.content.includes(says);
  const deadline = Date.now() + 10000;
  while (!receivedMail(visit).some(matches)) {
    expect(Date.now() < deadline, `no notice to ${to} on request ${request} saying "${says}"`);
    await new Promise((wait) => setTimeout(wait, 200));
  }
}

// Chooses a list's blank entry (its value may be a space).
async function chooseBlank(select) {
  const found = await select.evaluate((list) => {
    const blank = [...list.options].find((option) => option.value.trim() === '');
    if (blank) list.value = blank.value;
    return blank !== undefined;
  });
  expect(found, `${await select.getAttribute('name')} has no blank entry`);
}

// What each rule refuses, and the message it gives; the form is filled again after each.
// The form redisplayed after a refusal offers no blank entry in a list once one was chosen, so
// the rules that want the departure date, its time or the category blank come first, in the
// order the server checks them, each before its field is chosen.
const refusals = [
  {
    rule: 'departure-date',
    message: 'Please enter a valid departure date.',
    fill: {departure: null, times: ['RET'], lists: ['grade']},
  },
  {
    rule: 'departure-time',
    message: 'Departure Time is required.',
    fill: {times: ['RET'], lists: ['grade']},
  },
  {rule: 'category', message: 'Trip Category is required.', fill: {lists: ['grade']}},
  {
    rule: 'closed-day',
    message: 'DAY CLOSED',
    async breakIt(form, days) { await chooseDate(form, 'Dep', days.closed); },
  },
  {
    rule: 'students',
    message: 'Number of students is required.',
    async breakIt(form) { await form.locator('input[name=NUMSTUDENTS]').fill(''); },
  },
  {
    rule: 'contact',
    message: 'Contact is required.',
    async breakIt(form) { await form.locator('input[name=Contact]').fill(' '); },
  },
  {
    rule: 'purpose',
    message: 'Purpose is required.',
    async breakIt(form) { await form.locator('input[name=PURPOSE]').fill(''); },
  },
  {
    rule: 'fund',
    message: 'Fund is required.',
    async breakIt(form) { await chooseBlank(form.locator('select[name=fund]')); },
  },
];

// Signs out from the request list and goes Back. The pages are never kept by the browser, so
// Back to an answer to a form ends at the browser's own "post again?" page, and Back to any
// other page asks the server, which no longer knows the session; neither shows the person's
// pages.
async function signOutAndBack(visit, page, user, privateTexts) {
  await press(page, 'btnsubmit', 'Log Out');
  await visit.check(page, `${user}-signed-out`);
  const refused = await page.goBack().then(() => null, (error) => error);
  if (refused) {
    expect(/ERR_CACHE_MISS/.test(refused.message), `Back after ${user} signed out: ${refused}`);
  } else {
    await visit.check(page, `${user}-back`);
    expect(/session has timed out/i.test(await text(page.locator('main'))),
           `Back after ${user} signed out does not say the session is over`);
  }
  const shown = await page.locator('body').innerText();
  for (const secret of [user, ...privateTexts])
    expect(!shown.includes(secret), `Back after ${user} signed out shows "${secret}"`);
  expect(await resultRows(page).count() === 0, `Back after ${user} signed out shows requests`);
  expect(await formOf(page).count() === 0, `Back after ${user} signed out shows a request form`);
}

async function toRequestList(page) {
  await press(page, 'btnSubmit', '**Exit**');
  expect(await page.title() === 'Field Trip Requests - Work With Trip Requests',
         `**Exit** leads to "${await page.title()}"`);
}

// A request of the list, opened by its number.
async function openRequest(visit, page, number, step) {
  const link = resultRows(page).locator(`a:text-is("${number}")`);
  expect(await link.count() === 1, `request ${number} is not in the list (${step})`);
  await Promise.all([page.waitForNavigation(), link.click()]);
  await visit.check(page, step);
}

async function decide(visit, page, decision, step) {
  const radio = decision === 'Deny' ? page.locator('input[type=radio][name=Approve][value=Deny]')
                                    : page.locator('input[type=radio][name=Approve]').first();
  await radio.check();
  await press(page, 'btnSubmit', 'Save');
  await visit.check(page, step);
  return text(page.locator('.request-facts .status'));
}

// From a list, Print Report opens the choice in a new window; the chosen report is checked,
// printed to PDF on Letter paper and downloaded as CSV, and both must hold the report's rows.
async function printAndDownload(visit, page, {type, choice, summary, step, mustHold}) {
  const [chooser] = await Promise.all([
    page.context().waitForEvent('page'), page.click('a[href*="WCI=PrintReport"]')
  ]);
  await chooser.waitForLoadState('load');
  await visit.check(chooser, `${step}-choice`);
  expect(chooser.url().includes(`Type=${type}`), `Print Report opened ${chooser.url()}`);
  await chooser.check(`input[name=rb][value="${choice}"]`);
  if (summary) await chooser.selectOption('select[name=ddlSummary]', summary);
  await Promise.all(
      [chooser.waitForNavigation(), chooser.locator('form input[type=submit]').first().click()]);
  await visit.check(chooser, step);
  const sheetText = await printed(visit, chooser, step);
  expect(sheetText.includes(mustHold), `the printed ${step} lacks "${mustHold}"`);
  const [download] =
      await Promise.all([chooser.waitForEvent('download'), chooser.click('a.download')]);
  const file = join(visit.shots, `${visit.flowName}-${step}.csv`);
  await download.saveAs(file);
  const rows = csvRows(file);
  expect(rows.length > 1, `the ${step} file has no rows`);
  if (!summary) {
    expect(rows.some((row) => row[0] === mustHold), `the ${step} file lacks ${mustHold}`);
    const shown = await reportNumbers(chooser);
    const numbers = rows.slice(1, shown.length + 1).map((row) => row[0]);
    expect(JSON.stringify(numbers) === JSON.stringify(shown),
           `the ${step} file's rows ${numbers.slice(0, 3)} are not the report's ` +
               `${shown.slice(0, 3)}`);
  }
  await chooser.close();
}

async function printed(visit, page, step) {
  const file = join(visit.shots, `${visit.flowName}-${step}.pdf`);
  await page.emulateMedia({media: 'print'});
  await page.pdf({path: file, format: 'Letter', preferCSSPageSize: true, printBackground: true});
  await page.emulateMedia({media: 'screen'});
  const sheets = pdfSheets(file);
  expect(sheets.length > 0, `${step} printed nothing`);
  const all = sheets.join('\n');
  expect(/Printed \d+\/\d+\/\d{4}/.test(all), `the printed ${step} does not state its date`);
  expect(!/Signed in|Download CSV/i.test(all), `the printed ${step} shows the page's controls`);
  return all;
}

export const journey = [
  {
    name: 'journey',
    seconds: 360,
    async run(visit) {
      const days = districtDays(visit);
      const page = await visit.open();
      visit.dialogAnswer = 'accept';  // the browser asks before saving inside the lead time

      // The district clerk enters a request for a school, through the three look-ups.
      await signIn(visit, page, 'clerk', 'clerk', 'Enter a New Trip Request');
      await visit.check(page, 'new-form');
      const form = formOf(page);
      await form.locator('input[name=Contact]').fill('Ms. Okafor');
      const typed = {Contact: 'Ms. Okafor'};
      await openLookup(visit, page, 'Customer', 'Find a Customer');
      const school = await searchAndPick(visit, page, 'input[name=CUSTDESC]', 'westside');
      await returnToForm(visit, page, typed);
      await openLookup(visit, page, 'Destination', 'Find a Destination');
      const destination = await searchAndPick(visit, page, 'input[name=DESTDESC]', 'museum');
      await returnToForm(visit, page, typed);
      // The clerk may charge any fund, here one that is not among the school's own.
      await openLookup(visit, page, 'Fund', 'Find a Fund');
      const fund = await searchAndPick(visit, page, 'input[name=DESC]', 'General Fund - Trans');
      await returnToForm(visit, page, typed);
      expect((await form.locator('select[name=cust]').inputValue()).includes(school),
             `the form lost the customer ${school}`);
      // The list shows a destination's first 30 characters.
      const shownDestination = (await form.locator('select[name=dest] option:checked').innerText());
      expect(shownDestination.trim() !== '' && destination.startsWith(shownDestination.trim()),
             `the form shows destination "${shownDestination}", not ${destination}`);
      const fundChosen = await form.locator('select[name=fund]').inputValue();
      expect(fundChosen.startsWith(fund), `the form shows fund "${fundChosen}", not ${fund}`);

      // Each rule refuses the request with its message and a way back to what was typed.
      const lists = ['tripcat', 'grade'];
      for (const refusal of refusals) {
        await fillRequest(page, {departure: days.full, destination: false, lists, ...refusal.fill});
        await refusal.breakIt?.(form, days);
        await press(page, 'btnSubmit', 'Save');
        await visit.check(page, `refused-${refusal.rule}`);
        const said = await text(page.locator('body'));
        expect(said.includes(refusal.message),
               `no "${refusal.message}" (${refusal.rule}): ${said}`);
        await Promise.all([page.waitForNavigation(), page.click('a:text-is("Go back")')]);
        expect(await form.locator('input[name=Contact]').inputValue() !== '' ||
                   refusal.rule === 'contact',
               `Go back lost the typed form (${refusal.rule})`);
      }

      // Inside the advance notice the request is saved with the warning; moved to a full day, it
      // is saved again with the daily limit's warning.
      await fillRequest(page, {departure: days.soon, destination: false, lists});
      await form.locator('select[name=fund]').selectOption(fundChosen);
      await press(page, 'btnSubmit', 'Save');
      await visit.check(page, 'saved-late');
      expect(/days advance notice/.test(await text(page.locator('body'))),
             'no advance-notice warning');
      const number = await form.locator('input[name=TRIPNUM]').inputValue();
      expect(/^[0-9]+$/.test(number), `the saved form shows request "${number}"`);
      await chooseDate(form, 'Dep', days.full);
      // The saved form no longer ticks "same day": the return date moves with the box only.
      await form.locator('input[name=chkDefaultReturnDate]').check();
      await press(page, 'btnSubmit', 'Save');
      await visit.check(page, 'saved-full-day');
      expect(/already has \d+ trips on this date/.test(await text(page.locator('body'))),
             'no daily-limit warning');
      expect(await form.locator('input[name=TRIPNUM]').inputValue() === number,
             'the second save made another request');
      await expectNotice(visit, {to: 'wes.principal@larkdale.example', request: number,
                                 says: 'needs your approval'});
      await toRequestList(page);
      await signOutAndBack(visit, page, 'clerk', ['Ms. Rivera']);

      // The principal finds it in the queue and approves it; transportation is told.
      await signIn(visit, page, 'wes.principal', 'principal');
      await visit.check(page, 'principal-queue');
      await openRequest(visit, page, number, 'principal-opens');
      expect(/PRINCIPAL APPROVED/.test(await decide(visit, page, 'Approve', 'principal-approved')),
             'the principal\'s approval does not show');
      // The principal's list holds the school's funds only; the approval keeps the clerk's.
      expect(await form.locator('select[name=fund]').inputValue() === fundChosen,
             `the approval changed the fund from ${fundChosen}`);
      await expectNotice(visit, {to: 'transport@larkdale.example', request: number,
                                 says: 'needs your approval'});
      await expectNotice(visit, {to: 'wes.teacher@larkdale.example', request: number,
                                 says: 'New Status: PRINCIPAL APPROVED'});
      await toRequestList(page);
      await signOutAndBack(visit, page, 'wes.principal', ['Ms. Rivera']);

      // Transportation, the next approver, denies another request and accepts this one.
      await signIn(visit, page, 'transport', 'transport');
      await visit.check(page, 'transport-queue');
      const queued = await resultRows(page).locator('a[href*="WCI=RequestDetail"]').allInnerTexts();
      const other = queued.map((n) => n.trim()).find((n) => n !== number);
      expect(other !== undefined, 'transportation has no other request to deny');
      await openRequest(visit, page, other, 'transport-opens-other');
      const requesterOfOther = await form.locator('input[name=RequestorEmail]').inputValue();
      expect(requesterOfOther.includes('@'), `request ${other} has no requester to tell`);
      expect(/^Denied$/i.test(await decide(visit, page, 'Deny', 'denied')),
             'the denial does not show');
      await expectNotice(visit, {to: requesterOfOther, request: other, says: 'New Status: Denied'});
      await toRequestList(page);
      await press(page, 'btnsubmit', 'Work With Trip Requests');  // the queue again
      await openRequest(visit, page, number, 'transport-opens');
      expect(/^ACCEPTED$/i.test(await decide(visit, page, 'Approve', 'accepted')),
             'the acceptance does not show');
      await expectNotice(visit, {to: 'wes.teacher@larkdale.example', request: number,
                                 says: 'New Status: ACCEPTED'});

      // ... schedules it as a trip and finds the trip.
      const trip = await scheduleAndFind(visit, page, number);

      // Every report of the trip, printed and downloaded.
      for (const [choice, step] of [['1', 'TripReport1'], ['2', 'TripReport2']])
        await printAndDownload(visit, page, {type: 'Trip', choice, step, mustHold: trip});
      for (const by of ['Customer', 'Category', 'Fund', 'Destination', 'Grade']) {
        await printAndDownload(
            visit, page, {type: 'Trip', choice: '3', summary: by, step: `summary-${by}`,
                          mustHold: `Summary by ${by}`});
      }
      // And the request reports of the requests leaving that day.
      const day = days.full.toLocaleDateString('en-CA');
      await page.goto(visit.url(`${PAGE}?WCI=RequestSearch&WCE=TripRequests&WCU` +
                                `&DepFrom=${day}&DepTo=${day}`));
      await visit.check(page, 'requests-of-the-day');
      for (const [choice, step] of [['1', 'TripRequestReport1'], ['2', 'TripRequestReport2']])
        await printAndDownload(visit, page, {type: 'Request', choice, step, mustHold: number});
      await signOutAndBack(visit, page, 'transport', [`${trip}`]);
    },
  },
];
