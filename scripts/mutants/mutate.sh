#!/usr/bin/env bash
# One mutant: mutate.sh FILE 'old text' 'new text' TEST...   (from the source root, after a build)
# Puts the mutant into FILE (the first place the old text stands), rebuilds the test programs
# named, runs them one by one (120 s each; a hang counts as killed) and puts FILE back byte for
# byte. Prints one line: KILLED by TEST (its first failures), SURVIVED, NOT APPLIED or BUILD
# FAILED. It touches no other file, so work in progress elsewhere in the tree is safe.
# Rebuild before running the suite again: the test programs are left built with the mutant.
file=$1 old=$2 new=$3
shift 3
readonly TestTimeoutSeconds=120
saved=$(mktemp)
cp -p "$file" "$saved"
restore() { cp -p "$saved" "$file"; touch "$file"; rm -f "$saved"; }

if ! python3 - "$file" "$old" "$new" <<'PY'
import sys
path, old, new = sys.argv[1:4]
text = open(path).read()
if old not in text:
    sys.exit(1)
open(path, 'w').write(text.replace(old, new, 1))
PY
then
  echo "NOT APPLIED: $file: ${old:0:60}"; restore; exit 1
fi
log=$(mktemp)
if ! cmake --build build -j2 --target "$@" >"$log" 2>&1; then
  echo "BUILD FAILED: $file: ${old:0:60}"; restore; rm -f "$log"; exit 1
fi
for test in "$@"; do
  QT_QPA_PLATFORM=offscreen TOBRIK_PORTS= timeout "$TestTimeoutSeconds" "build/bin/$test" >"$log" 2>&1
  status=$?
  if [ "$status" -ne 0 ]; then
    echo "KILLED by $test (rc $status): $(grep -m2 'FAIL!' "$log" | sed 's/FAIL!  : //' | cut -c1-110 | tr '\n' ' ')"
    restore; rm -f "$log"; exit 0
  fi
done
echo "SURVIVED: $file: ${old:0:70} -> ${new:0:40}"
restore; rm -f "$log"
