// What every flow checks on every page it visits, and the screenshots of each page.
import {readFileSync} from 'node:fs';
import {createRequire} from 'node:module';
import {join} from 'node:path';

const require = createRequire(import.meta.url);
const axeSource = readFileSync(require.resolve('axe-core/axe.min.js'), 'utf8');
const axeVersion =
    JSON.parse(readFileSync(require.resolve('axe-core/package.json'), 'utf8')).version;

// The WCAG 2.0, 2.1 and 2.2 rules of levels A and AA (color-contrast and target-size among them).
export const axeTags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'];

const desktop = {
  width: 1366,
  height: 900
};
const phone = {
  width: 390,
  height: 844
};
const minimumTarget = 24;
const shotHeightLimit = 6000;  // long lists are cut there; the top shows the layout

// Runs in the page: the layout problems at the current width. A target smaller than 24 by 24
// passes when a 24 px circle on its centre touches no other target (the spacing exception), and
// a link inside a line of text passes as the line height constrains it.
function layoutProblems(minimum) {
  const problems = [];
  const root = document.documentElement;
  if (root.scrollWidth > root.clientWidth) {
    const wide =
        [...document.body.querySelectorAll('*')]
            .filter((e) => e.getBoundingClientRect().right > root.clientWidth + 0.5)
            .slice(0, 3)
            .map((e) => `${e.tagName.toLowerCase()}${e.className ? '.' + e.className : ''}`);
    problems.push(
        `page is ${root.scrollWidth} px wide in a ${root.clientWidth} px window ` +
        `(${wide.join(', ')})`);
  }
  const selector = 'a[href], button, input:not([type=hidden]), select, textarea, summary, ' +
      '[role=button], [onclick], [tabindex]:not([tabindex="-1"])';
  const targets = [...document.querySelectorAll(selector)]
                      .map((element) => ({element, box: element.getBoundingClientRect()}))
                      .filter(
                          ({element, box}) => box.width > 0 && box.height > 0 &&
                              getComputedStyle(element).visibility !== 'hidden');
  const centre = (box) => ({x: box.left + box.width / 2, y: box.top + box.height / 2});
  const distanceToBox = (point, box) => Math.hypot(
      Math.max(box.left - point.x, 0, point.x - box.right),
      Math.max(box.top - point.y, 0, point.y - box.bottom));
  const small = (box) => box.width < minimum - 0.5 || box.height < minimum - 0.5;
  const inText = (element) => getComputedStyle(element).display === 'inline' &&
      [...element.parentNode.childNodes].some(
          (n) => n.nodeType === 3 && n.textContent.trim() !== '');
  for (const target of targets) {
    if (!small(target.box) || inText(target.element)) continue;
    const c = centre(target.box);
    const crowded = targets.some(
        (other) => other !== target &&
            (distanceToBox(c, other.box) < minimum / 2 ||
             (small(other.box) &&
              Math.hypot(c.x - centre(other.box).x, c.y - centre(other.box).y) < minimum)));
    if (crowded) {
      const e = target.element;
      const name = e.getAttribute('name') || e.getAttribute('value') || e.textContent.trim();
      problems.push(
          `tap target ${e.tagName.toLowerCase()} "${name.slice(0, 30)}" is ` +
          `${Math.round(target.box.width)}x${Math.round(target.box.height)} px`);
    }
  }
  return problems;
}

function headProblems() {
  const problems = [];
  if (!document.title.trim()) problems.push('no title');
  if (!document.documentElement.lang) problems.push('no lang on html');
  const viewport = document.querySelector('meta[name=viewport]');
  if (!viewport || !/width=device-width/.test(viewport.content)) problems.push('no viewport meta');
  return problems;
}

async function axeProblems(page) {
  await page.evaluate(axeSource);
  const violations = await page.evaluate(async (tags) => {
    const result = await window.axe.run(
        document, {runOnly: {type: 'tag', values: tags}, resultTypes: ['violations']});
    return result.violations.map(
        (v) => ({id: v.id, nodes: v.nodes.map((n) => n.target.join(' '))}));
  }, axeTags);
  return violations.map(
      (v) => `axe ${v.id}: ${v.nodes.slice(0, 3).join(' | ')}` +
          (v.nodes.length > 3 ? ` (+${v.nodes.length - 3})` : ''));
}

// One flow's pages: opens them, gathers their console and page errors and unexpected dialogs, and
// checks each page the flow reaches.
export class Visit {
  static desktop = desktop;
  static phone = phone;
  static axeVersion = axeVersion;

  constructor({context, base, shots, flowName, viewport, root, mail}) {
    this.context = context;
    this.base = base;
    this.root = root;  // the installation served
    this.mail = mail;  // the SMTP server's folder of received messages
    this.shots = shots;
    this.flowName = flowName;
    this.viewport = viewport ?? desktop;
    this.pageCount = 0;
    this.errors = [];
    this.dialogAnswer = null;  // 'accept' or 'dismiss' when the flow expects a dialog
  }

  async open() {
    const page = await this.context.newPage();
    page.on('console', (message) => {
      if (message.type() !== 'error') return;
      const {url} = message.location();
      this.errors.push(`console error: ${message.text()}${url ? ` (${url})` : ''}`);
    });
    page.on('pageerror', (error) => this.errors.push(`page error: ${error.message}`));
    page.on('dialog', async (dialog) => {
      if (this.dialogAnswer === null)
        this.errors.push(`unexpected ${dialog.type()}: ${dialog.message()}`);
      await (this.dialogAnswer === 'accept' ? dialog.accept() : dialog.dismiss());
    });
    return page;
  }

  url(path = '') { return new URL(path, this.base).href; }

  // Checks the page as it is now, at both widths, and saves its two screenshots.
  async check(page, step) {
    await page.waitForLoadState('load');
    this.pageCount += 1;
    const where = `${step} (${new URL(page.url()).search || page.url()})`;
    const problems = [...this.takeErrors(), ...(await page.evaluate(headProblems))];
    const file = `${this.flowName}-${String(this.pageCount).padStart(2, '0')}-${step}`.replace(
        /[^A-Za-z0-9_.-]+/g, '-');
    for (const [size, viewport] of [['desktop', desktop], ['phone', phone]]) {
      await page.setViewportSize(viewport);
      const axe = await axeProblems(page);
      problems.push(...axe.map((p) => `${size}: ${p}`));
      if (size === 'phone') {
        problems.push(
            ...(await page.evaluate(layoutProblems, minimumTarget)).map((p) => `phone: ${p}`));
      }
      const height = await page.evaluate(() => document.documentElement.scrollHeight);
      await page.screenshot({
        path: join(this.shots, `${file}-${size}.png`),
        fullPage: true,
        clip: {x: 0, y: 0, width: viewport.width, height: Math.min(height, shotHeightLimit)},
      });
    }
    await page.setViewportSize(this.viewport);
    problems.push(...this.takeErrors());
    if (problems.length) throw new Error(`${where}:\n    ${problems.join('\n    ')}`);
  }

  takeErrors() {
    const errors = this.errors;
    this.errors = [];
    return errors;
  }

  // Errors that came after the last page was checked.
  async finish() {
    const errors = this.takeErrors();
    if (errors.length) throw new Error(`after the last page:\n    ${errors.join('\n    ')}`);
  }
}
