#!/usr/bin/env bash
# Starts a CUPS scheduler when none is running (CI has no systemd, so cupsd is
# started directly) and sets up the cups-pdf queue "KordavinaPDF" that the
# print tests send real jobs to. Keeps the spooled job files, so tests can read
# what the program handed to the spooler. Safe to run again; never fails the
# caller: without CUPS the print-queue tests skip themselves.
set -u

queue=KordavinaPDF
sudo=""
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null && sudo="sudo -n"
fi

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
  echo "start-cups: CUPS is not installed; print-queue tests will be skipped" >&2
  exit 0
fi

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  $sudo cupsd || { echo "start-cups: cannot start cupsd" >&2; exit 0; }
  for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
fi
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  echo "start-cups: the scheduler did not come up" >&2
  exit 0
fi

if ! lpstat -p "$queue" >/dev/null 2>&1; then
  # The model name as lpinfo lists it; the PPD file itself as a fallback.
  model=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_opt\.ppd/ {print $1; exit}')
  if [ -n "$model" ]; then
    $sudo lpadmin -p "$queue" -E -v cups-pdf:/ -m "$model"
  else
    ppd=$(find /usr/share/ppd /usr/share/cups/model -name 'CUPS-PDF_opt.ppd' 2>/dev/null | head -n1)
    if [ -z "$ppd" ]; then
      echo "start-cups: no cups-pdf PPD (printer-driver-cups-pdf missing?)" >&2
      exit 0
    fi
    $sudo lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd"
  fi
fi
$sudo cupsenable "$queue" 2>/dev/null
$sudo cupsaccept "$queue" 2>/dev/null
# What Qt hands the spooler stays in /var/spool/cups/dNNNNN-001.
$sudo cupsctl PreserveJobFiles=yes PreserveJobHistory=yes >/dev/null 2>&1
lpstat -p "$queue" 2>/dev/null | head -n1
exit 0
