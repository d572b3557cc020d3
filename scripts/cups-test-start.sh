#!/usr/bin/env bash
# Prepares CUPS for the printing tests: a running scheduler, the PDF queue
# "Quillmere_PDF_Writer" (described "Quillmere PDF Writer"), a second queue the
# tests use as somebody's ordinary default printer, and cups-pdf writing into a
# private temporary folder. Everything it changes is recorded in a state folder so
# that scripts/cups-test-stop.sh can undo exactly that. Safe to run twice.
#
# Prints "export VTS_CUPS_PDF_OUT=<folder>" for the caller to eval; the tests find the
# folder there or in "$STATE/pdf_out", and skip when it is absent, so on a machine where
# this script cannot work (not root, CUPS not installed) it says why and exits 0.
#
# Overrides (for the scripts' own test): VTS_CUPS_STATE_DIR, VTS_CUPS_QUEUE,
# VTS_CUPS_QUEUE_INFO, VTS_CUPS_OTHER_QUEUE, VTS_CUPS_OTHER_INFO.
set -euo pipefail

STATE=${VTS_CUPS_STATE_DIR:-/tmp/vts-cups-test}
QUEUE=${VTS_CUPS_QUEUE:-Quillmere_PDF_Writer}
QUEUE_INFO=${VTS_CUPS_QUEUE_INFO:-Quillmere PDF Writer}
OTHER=${VTS_CUPS_OTHER_QUEUE:-Vts_Test_Office}
OTHER_INFO=${VTS_CUPS_OTHER_INFO:-Vts Test Office}
PPD=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
CONF=/etc/cups/cups-pdf.conf
SERVERROOT=${CUPS_SERVERROOT:-/etc/cups}

# Standard output carries only the export line (callers eval it); messages go to stderr.
say() { printf 'cups-test-start: %s\n' "$*" >&2; }

if [ "$(id -u)" != 0 ]; then
  say "not root: CUPS is left alone and the printing tests will skip"; exit 0
fi
for tool in /usr/sbin/cupsd lpadmin lpstat lpoptions; do
  if ! command -v "$tool" >/dev/null; then
    say "$tool is missing: the printing tests will skip"; exit 0
  fi
done
if [ ! -f "$CONF" ]; then
  say "$CONF is missing (printer-driver-cups-pdf): the printing tests will skip"; exit 0
fi

# The state folder holds backups of system files: never follow a planted link.
if [ -L "$STATE" ] || { [ -e "$STATE" ] && [ ! -O "$STATE" ]; }; then
  say "$STATE is a link or not ours: refusing to use it" >&2; exit 1
fi
mkdir -p -m 700 "$STATE"
chmod 700 "$STATE"

scheduler_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }

# 1. The scheduler, started only when none runs.
if ! scheduler_running; then
  setsid /usr/sbin/cupsd -f >>"$STATE/cupsd.log" 2>&1 < /dev/null &
  echo $! > "$STATE/cupsd.pid"
  for _ in $(seq 100); do scheduler_running && break; sleep 0.1; done
  if ! scheduler_running; then
    say "cupsd did not come up within 10 s (see $STATE/cupsd.log)" >&2; exit 1
  fi
  say "started cupsd (pid $(cat "$STATE/cupsd.pid"))"
fi

# 2. The default printer as found: the lpoptions files (system-wide, which root's
#    lpoptions -d writes, and the user's), saved once.
save_file() {  # $1 = file, $2 = name in the state folder
  [ -e "$STATE/$2.saved" ] && return
  if [ -f "$1" ]; then cp -p "$1" "$STATE/$2.saved"; else : > "$STATE/$2.absent"; touch "$STATE/$2.saved"; fi
}
save_file "$SERVERROOT/lpoptions" etc-lpoptions
save_file "${HOME:-/root}/.cups/lpoptions" home-lpoptions
[ -e "$STATE/home-cups-dir.checked" ] || {
  [ -d "${HOME:-/root}/.cups" ] || : > "$STATE/home-cups-dir.absent"; : > "$STATE/home-cups-dir.checked"; }
[ -e "$STATE/printers-conf.checked" ] || {
  [ -e "$SERVERROOT/printers.conf" ] || : > "$STATE/printers-conf.absent"; : > "$STATE/printers-conf.checked"; }
[ -e "$STATE/default.before" ] || lpstat -d > "$STATE/default.before" 2>&1 || true

# 3. The queues, created only when missing.
make_queue() {  # $1 = name, $2 = description, $3 = marker
  if lpstat -p "$1" >/dev/null 2>&1; then return; fi
  lpadmin -p "$1" -E -v cups-pdf:/ -m "$PPD" -D "$2" -o pdftops-renderer-default=pdftocairo 2>&1 |
    grep -v 'drivers are deprecated' >&2 || true
  lpstat -p "$1" >/dev/null 2>&1 || { say "could not create queue $1" >&2; exit 1; }
  echo "$1" > "$STATE/$3"
  say "created queue $1 (\"$2\")"
}
make_queue "$QUEUE" "$QUEUE_INFO" queue.created
make_queue "$OTHER" "$OTHER_INFO" other.created

# 4. cups-pdf's output folder, moved to a private temporary folder once.
if [ ! -e "$STATE/cups-pdf.conf.orig" ]; then
  out=$(mktemp -d "${TMPDIR:-/tmp}/vts-cups-pdf.XXXXXX")
  cp -p "$CONF" "$STATE/cups-pdf.conf.orig"
  echo "$out" > "$STATE/pdf_out"
  tmp=$(mktemp "$CONF.vts.XXXXXX")
  if grep -q '^Out[[:space:]]' "$CONF"; then
    sed "s|^Out[[:space:]].*|Out $out|" "$CONF" > "$tmp"
  else
    { cat "$CONF"; echo "Out $out"; } > "$tmp"
  fi
  chmod --reference="$CONF" "$tmp"
  mv -f "$tmp" "$CONF"
  say "cups-pdf writes to $out"
fi

printf 'export VTS_CUPS_PDF_OUT=%q\n' "$(cat "$STATE/pdf_out")"
