// The printable trip request: the Print button opens the browser's print dialog. It stays
// hidden where scripts do not run, since it could do nothing there.
document.addEventListener('DOMContentLoaded', function () {
  var button = document.getElementById('print-button');
  if (!button) return;
  button.hidden = false;
  button.addEventListener('click', function () { window.print(); });
});
