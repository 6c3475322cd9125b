#!/usr/bin/env bash
# Writes the Debian package's changelog, made from CHANGELOG.md, to standard output:
#   bash scripts/debian-changelog.sh CHANGELOG.md PACKAGE "NAME <ADDRESS>"
# Each "## VERSION (YYYY-MM-DD)" heading becomes an entry and each "- " item (with its indented
# continuation lines) one "  * " item of it, wrapped to Debian's width, without Markdown's code
# quotes. Plain POSIX awk, so Debian's default mawk will do.
set -euo pipefail
LC_ALL=C awk -v package="$2" -v maintainer="$3" -v width=78 '
function rfc2822(day,   command, text) {
  command = "date -u -R -d " day
  command | getline text
  close(command)
  return text
}
function wrap(first, rest, text,   count, words, i, line, empty) {
  count = split(text, words, " ")
  line = first
  empty = 1
  for (i = 1; i <= count; i++) {
    if (!empty && length(line) + 1 + length(words[i]) > width) {
      print line
      line = rest
      empty = 1
    }
    line = line (empty ? "" : " ") words[i]
    empty = 0
  }
  print line
}
function end_item() {
  if (item == "") return
  gsub(/`/, "", item)
  wrap("  * ", "    ", item)
  item = ""
}
function end_entry() {
  end_item()
  if (day != "") printf "\n -- %s  %s\n", maintainer, rfc2822(day)
}
/^## [^ ]+ \([0-9]+-[0-9]+-[0-9]+\)$/ {
  end_entry()
  if (day != "") print ""
  day = $3
  gsub(/[()]/, "", day)
  printf "%s (%s) unstable; urgency=medium\n\n", package, $2
  next
}
day != "" && /^- / { end_item(); item = substr($0, 3); next }
day != "" && item != "" && /^  +[^ ]/ { sub(/^ +/, ""); item = item " " $0; next }
{ end_item() }
END { end_entry() }
' "$1"
