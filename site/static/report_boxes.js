// Names the disabled state boxes of a report's rows after their column and trip: the rows are
// written without labels. data-box-names lists the boxes of each line of a trip, lines split
// by "|", boxes by ",".
'use strict';

document.addEventListener('DOMContentLoaded', () => {
  for (const table of document.querySelectorAll('table[data-box-names]')) {
    const lines = table.dataset.boxNames.split('|').map((line) => line.split(','));
    let trip = '';
    table.querySelectorAll('tbody tr[bgcolor]').forEach((row, i) => {
      const line = i % lines.length;
      if (line === 0) trip = row.cells[0]?.textContent.trim() ?? '';
      row.querySelectorAll('input[type=checkbox]').forEach((box, n) => {
        box.setAttribute('aria-label', `${lines[line][n] ?? 'State'}, trip ${trip}`);
      });
    });
  }
});
