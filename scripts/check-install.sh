#!/usr/bin/env bash
# Checks a Tobrik installed below PREFIX (PREFIX/bin, PREFIX/share):
#   bash scripts/check-install.sh PREFIX
# - tobrik-cli reads the installed texts file;
# - no decoder software file is installed: those come from the decoders' maker;
# - the desktop entry validates (when desktop-file-validate is there) and names the installed
#   program and icon;
# - the window program starts headless, makes a new user's software folder, which the installed
#   all-users folder leaves empty, is still running a moment later and closes down cleanly on
#   SIGTERM, writing its settings;
# - both programs answer --version, and the window program --help, without a display; the
#   version is the one the metadata's release and the changelog's newest entry name, and the
#   metadata validates (when appstreamcli is there);
# - the copyright file names the licence;
# - the manual pages render without a warning (when man is there) and name the installed
#   version;
# - the bash completion offers every command and option that tobrik-cli's help lists.
# The programs run with a bare environment, so only the installed layout leads them to their
# files. Below a prefix other than /usr, XDG_DATA_DIRS names PREFIX/share, as a desktop session
# names the data folders it knows.
set -euo pipefail

prefix=$(realpath "$1")
share=$prefix/share
shared_software=$share/VARNO/PLV/DECSOFT
entry=$share/applications/tobrik.desktop
docs=$share/doc/tobrik
icons=$share/icons/hicolor/scalable/apps
manual_pages=$share/man/man1
completion=$share/bash-completion/completions/tobrik-cli
start_limit_s=60   # generous: the machine may be busy; a start normally takes a second
run_s=2            # time for the first port scans before the program is told to end

scratch=$(mktemp -d)
window_pid=''
cleanup() {
  [ -z "$window_pid" ] || kill -KILL "$window_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
  echo "check-install: $*" >&2
  exit 1
}

bare=(env -i PATH=/usr/bin:/bin)
[ "$prefix" = /usr ] || bare+=("XDG_DATA_DIRS=$share")

check_texts() {
  local texts
  texts=$("${bare[@]}" "$prefix/bin/tobrik-cli" texts) ||
    fail "tobrik-cli texts did not read the installed texts file"
  grep -qx 'LanguageCount=3' <<<"$texts" ||
    fail "tobrik-cli texts does not offer the three languages of the installed texts file"
}

# Whatever lies there is copied into every new user's software folder at the first start.
check_no_software_file() {
  local shipped
  shipped=$(find "$shared_software" -type f 2>/dev/null)
  [ -z "$shipped" ] || fail "decoder software files are installed: $shipped"
}

check_desktop_entry() {
  [ -f "$entry" ] || fail "no desktop entry $entry"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$entry" || fail "the desktop entry does not validate"
  fi
  local exec icon program
  exec=$(sed -n 's/^Exec=//p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  program=$(PATH="$prefix/bin" command -v "${exec%% *}") ||
    fail "the desktop entry's Exec=$exec is not an installed program"
  [ "$program" = "$prefix/bin/Tobrik" ] || fail "the desktop entry starts $program, not Tobrik"
  [ -f "$icons/$icon.svg" ] || fail "the desktop entry's icon $icon is not in $icons"
}

# The version a program's --version line names ("NAME Version 1.24.07  DATE").
answered_version() {
  local line
  line=$("${bare[@]}" "$prefix/bin/$1" --version) || fail "$1 --version failed"
  [[ $line =~ ^$1' Version '([^ ]+) ]] || fail "$1 --version printed '$line'"
  echo "${BASH_REMATCH[1]}"
}

check_manual_pages() {
  local page
  for page in "$manual_pages"/{Tobrik,tobrik-cli}.1.gz; do
    [ -f "$page" ] || fail "no manual page $page"
  done
  if ! command -v man >/dev/null; then
    echo "check-install: man is not installed: the manual pages are not rendered"
    return
  fi
  local version warnings
  version=$(answered_version tobrik-cli)
  for page in "$manual_pages"/{Tobrik,tobrik-cli}.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
      man --warnings=w -l "$page" 2>&1 >"$scratch/page.txt") || fail "man cannot render $page"
    [ -z "$warnings" ] || fail "$page renders with warnings: $warnings"
    grep -qF "$version" "$scratch/page.txt" || fail "$page does not name the version $version"
  done
}

# What the completion offers after `tobrik-cli WORD... ` (the last word is the one completed).
completions() {
  bash -c 'source "$0"; COMP_WORDS=(tobrik-cli "$@"); COMP_CWORD=$#; _tobrik_cli
           echo " ${COMPREPLY[*]} "' "$completion" "$@"
}

check_completion() {
  [ -f "$completion" ] || fail "no bash completion $completion"
  local cli=("${bare[@]}" "$prefix/bin/tobrik-cli") command option offered
  [ "$(completions up)" = ' update ' ] || fail "the completion does not complete up to update"
  [ "$(completions simulate --block '')" = ' 32 64 ' ] ||
    fail "the completion does not offer 32 and 64 for --block"
  [[ $(completions update --port COM) == *' COM32 '* ]] ||
    fail "the completion offers no COM numbers for --port"
  # A command or option that the help lists and the completion lacks fails here.
  for command in $("${cli[@]}" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\) .*/\1/p'); do
    [[ $(completions '') == *" $command "* ]] || fail "the completion lacks the command $command"
    offered=$(completions "$command" -)
    for option in $("${cli[@]}" "$command" --help |
                    sed -nE '/^Options:/,/^$/s/^ +(-[a-z], )?(--[a-z-]+).*/\2/p'); do
      [[ $offered == *" $option "* ]] || fail "the completion lacks $command $option"
    done
  done
}

check_window_program() {
  local home=$scratch/home
  local user_folder=$home/.local/share/VARNO/PLV
  # A simulated update box, so the first scans find a programmer without touching the machine's
  # own serial ports.
  "${bare[@]}" HOME="$home" QT_QPA_PLATFORM=offscreen 'TOBRIK_PORTS=3=sim:box?decoder=12' \
    "$prefix/bin/Tobrik" &
  window_pid=$!
  local waited_s=0
  until [ -d "$user_folder/DECSOFT" ]; do
    kill -0 "$window_pid" 2>/dev/null || fail "Tobrik ended during its start"
    [ "$waited_s" -lt "$start_limit_s" ] || fail "Tobrik did not make the user's software folder"
    sleep 1
    waited_s=$((waited_s + 1))
  done
  sleep "$run_s"
  kill -0 "$window_pid" 2>/dev/null || fail "Tobrik ended by itself"
  kill -TERM "$window_pid"
  local status=0
  wait "$window_pid" || status=$?
  window_pid=''
  [ "$status" -eq 0 ] || fail "Tobrik ended with status $status on SIGTERM"
  [ -f "$user_folder/Inits.ini" ] || fail "Tobrik's close-down wrote no settings file"
  [ -z "$(ls -A "$user_folder/DECSOFT")" ] || fail "a new user's software folder was filled"
}

check_versions() {
  local version window_version metainfo newest
  version=$(answered_version tobrik-cli)
  window_version=$(answered_version Tobrik)
  [ "$window_version" = "$version" ] || fail "Tobrik and tobrik-cli name different versions"
  "${bare[@]}" "$prefix/bin/Tobrik" --help | grep -q '^Usage: Tobrik' ||
    fail "Tobrik --help did not answer"
  # Other programs' metadata lies beside ours under /usr: ours is the one that launches us.
  metainfo=$(grep -l '<launchable type="desktop-id">tobrik.desktop</launchable>' \
               "$share"/metainfo/*.metainfo.xml) || fail "no AppStream metadata in $share/metainfo"
  grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "the metadata's release is not version $version"
  newest=$(zcat "$docs/changelog.gz" | head -n 1)
  [[ $newest == "tobrik ($version) "* ]] || fail "the changelog's newest entry is '$newest', not $version"
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "the metadata does not validate"
  fi
  grep -q '^License: GPL-3+$' "$docs/copyright" || fail "the copyright file names no GPL-3+"
}

check_texts
check_versions
check_no_software_file
check_desktop_entry
check_window_program
check_manual_pages
check_completion
echo "check-install: $prefix is complete"
