#!/usr/bin/env bash
# Undoes what scripts/cups-test-start.sh recorded in its state folder: removes the
# queues it created, restores cups-pdf.conf and the lpoptions files (the default
# printer as it was found), removes the PDF folder and stops cupsd if the start
# script started it. Does nothing without a state folder; safe to run twice.
set -uo pipefail

STATE=${VTS_CUPS_STATE_DIR:-/tmp/vts-cups-test}
CONF=/etc/cups/cups-pdf.conf
SERVERROOT=${CUPS_SERVERROOT:-/etc/cups}

say() { printf 'cups-test-stop: %s\n' "$*" >&2; }

[ -d "$STATE" ] || exit 0
if [ -L "$STATE" ] || [ ! -O "$STATE" ]; then
  say "$STATE is a link or not ours: refusing to use it" >&2; exit 1
fi

scheduler_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }
status=0

# Queues can only be removed through a running scheduler; bring one up for that
# if ours has died, and stop it again below.
if { [ -e "$STATE/queue.created" ] || [ -e "$STATE/other.created" ]; } && ! scheduler_running; then
  setsid /usr/sbin/cupsd -f >>"$STATE/cupsd.log" 2>&1 < /dev/null &
  echo $! > "$STATE/cupsd.pid"
  for _ in $(seq 100); do scheduler_running && break; sleep 0.1; done
fi

# 1. Queues the start script created (and their pending jobs).
for marker in queue.created other.created; do
  [ -e "$STATE/$marker" ] || continue
  name=$(cat "$STATE/$marker")
  cancel -a "$name" >/dev/null 2>&1 || true
  if lpadmin -x "$name"; then
    rm -f "$STATE/$marker" "/var/cache/cups/$name.strings"; say "removed queue $name"
  else say "could not remove queue $name" >&2; status=1; fi
done

# 2. cups-pdf.conf and the PDF folder.
if [ -e "$STATE/cups-pdf.conf.orig" ]; then
  cp -p "$STATE/cups-pdf.conf.orig" "$CONF" && rm -f "$STATE/cups-pdf.conf.orig" || status=1
fi
if [ -e "$STATE/pdf_out" ]; then
  out=$(cat "$STATE/pdf_out")
  case "$out" in */vts-cups-pdf.*) rm -rf -- "$out" ;; esac
  rm -f "$STATE/pdf_out"
fi

# 3. The default printer as found: the lpoptions files come back byte for byte.
restore_file() {  # $1 = file, $2 = name in the state folder
  [ -e "$STATE/$2.saved" ] || return 0
  if [ -e "$STATE/$2.absent" ]; then rm -f "$1"; else cp -p "$STATE/$2.saved" "$1" || return 1; fi
  rm -f "$STATE/$2.saved" "$STATE/$2.absent"
}
restore_file "$SERVERROOT/lpoptions" etc-lpoptions || status=1
restore_file "${HOME:-/root}/.cups/lpoptions" home-lpoptions || status=1
if [ -e "$STATE/home-cups-dir.absent" ]; then
  rmdir "${HOME:-/root}/.cups" 2>/dev/null || true
fi
rm -f "$STATE/home-cups-dir.absent" "$STATE/home-cups-dir.checked"

# 4. The scheduler, if the start script started it.
if [ -e "$STATE/cupsd.pid" ]; then
  pid=$(cat "$STATE/cupsd.pid")
  if kill -0 "$pid" 2>/dev/null && grep -q cupsd "/proc/$pid/cmdline" 2>/dev/null; then
    kill -TERM "$pid"
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    say "stopped cupsd (pid $pid)"
  fi
  rm -f "$STATE/cupsd.pid"
  # A scheduler of ours leaves printers.conf behind even with no queue in it; the
  # file may only be touched while no scheduler runs.
  if [ -e "$STATE/printers-conf.absent" ] && ! scheduler_running &&
     ! grep -q '^<' "$SERVERROOT/printers.conf" 2>/dev/null; then
    rm -f "$SERVERROOT/printers.conf" "$SERVERROOT/printers.conf.O"
  fi
fi
rm -f "$STATE/printers-conf.absent" "$STATE/printers-conf.checked"

if [ "$status" = 0 ]; then rm -rf -- "$STATE"; fi
exit "$status"
