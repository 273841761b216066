// The look-up results come from the server as plain table rows: each choice is named for
// screen readers by its row, a tap anywhere on a row picks it, and the fields of the Add a
// Destination form are named by the caption cell beside them.
(function () {
  'use strict';
  var frame = document.querySelector('.results-frame');
  if (!frame) return;
  frame.querySelectorAll(':scope table tr').forEach(function (row) {
    var radio = row.querySelector('input[type=radio]');
    if (!radio) return;
    var cells = row.querySelectorAll('td');
    var name = cells.length > 1 ? cells[1].textContent.trim() : '';
    var code = cells.length > 2 ? cells[2].textContent.trim() : radio.value;
    radio.setAttribute('aria-label', name ? name + ' (' + code + ')' : code);
    row.classList.add('pickable');
    row.addEventListener('click', function (event) {
      if (event.target !== radio) radio.checked = true;
    });
  });
  var previous = '';
  frame.querySelectorAll('input[type=text], select, textarea').forEach(function (control) {
    if (control.name === 'SelDest') return;
    var cell = control.closest('td');
    var caption = cell && cell.previousElementSibling ?
        cell.previousElementSibling.textContent.replace(/:\s*$/, '').trim() : '';
    var label = caption || (previous ? previous + ', second line' : control.name);
    if (caption) previous = caption;
    control.setAttribute('aria-label', label);
  });
}());
