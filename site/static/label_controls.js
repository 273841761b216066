// Names the controls that the pages write without labels of their own: a checkbox or radio
// followed by its text becomes a label around both, a select takes the text before it, and the
// state boxes of a result list are named after their column and made read-only.
'use strict';

function plainText(node) {
  return node && node.nodeType === Node.TEXT_NODE ?
      node.textContent.replace(/\u00a0/g, ' ').trim().replace(/:$/, '') :
      '';
}

function labelControls(container) {
  // Selects first: the text before one may belong to a box that is labelled next.
  for (const select of container.querySelectorAll('select:not([aria-label])')) {
    if (select.labels && select.labels.length) continue;
    const text = plainText(select.previousSibling);
    if (text) select.setAttribute('aria-label', text);
  }
  for (const input of container.querySelectorAll('input[type=checkbox], input[type=radio]')) {
    const text = plainText(input.nextSibling);
    if (text && !input.closest('label')) {
      const label = document.createElement('label');
      label.className = 'choice';
      input.before(label);
      label.append(input, input.nextSibling);
    }
  }
  // A trip's first line holds the Cancelled and Billed boxes, its second line Assigned.
  for (const row of container.querySelectorAll('tr[bgcolor]')) {
    const first = row.querySelector('td[rowspan]') !== null;
    const trip = first ? row.cells[0].textContent.trim() :
                         (row.previousElementSibling?.cells[0]?.textContent.trim() ?? '');
    const names = first ? ['Cancelled', 'Billed'] : ['Assigned'];
    row.querySelectorAll('input[type=checkbox]').forEach((box, i) => {
      box.setAttribute('aria-label', `${names[i] ?? 'State'}, trip ${trip}`);
      box.addEventListener('click', (event) => event.preventDefault());
    });
  }
}

document.addEventListener('DOMContentLoaded', () => {
  document.querySelectorAll('[data-label-controls]').forEach(labelControls);
});
