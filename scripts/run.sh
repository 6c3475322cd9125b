#!/usr/bin/env bash
# Builds the program and starts it on its demo set-up: a simulated update box on COM3 with
# decoder 12 on its programming track (unless TOBRIK_PORTS says otherwise) and the demo's
# decoder software file, which the build generates. The program runs as a demo user whose
# folders lie in build/demo (XDG_DATA_HOME), so the demo's file sits in that user's software
# folder and never in yours; its images are invented and only ever go to a simulated
# programmer. Without a display, tobrik-cli runs one whole update of that decoder instead and
# checks what arrived in its flash.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh

export XDG_DATA_HOME="$PWD/build/demo"
demo_file=$XDG_DATA_HOME/VARNO/PLV/DECSOFT/DECODERSW.DAT
demo_decoder=12 # TB-M10 in the demo's file: 32-byte blocks
demo_flash=build/demo-flash.bin
# The decoder's replies come at the pace of a real line, so the progress can be followed.
demo_ports="3=sim:box?decoder=${demo_decoder}&flash=${demo_flash}&line-rate=1"
own_ports=${TOBRIK_PORTS+set}
export TOBRIK_PORTS="${TOBRIK_PORTS-$demo_ports}"
rm -f "$demo_flash"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/bin/Tobrik
fi

# Ports of one's own may be real devices: nothing is sent to them unasked.
if [ -n "$own_ports" ]; then
  echo "No display found: showing the port page and the demo's file with tobrik-cli instead."
  ./build/bin/tobrik-cli ports --log
  echo
  ./build/bin/tobrik-cli list "$demo_file"
  exit
fi

echo "No display found: updating decoder $demo_decoder on the simulated update box with tobrik-cli."
status=0
./build/bin/tobrik-cli update --port 3 --file "$demo_file" --decoder "$demo_decoder" --yes || status=$?
echo "tobrik-cli update: exit status $status"

# The image is its lead byte, its ID byte and the payload; the flash should hold the payload.
found=''
IFS=$'\t' read -r found start length _ < <(./build/bin/tobrik-cli lookup "$demo_file" "$demo_decoder") || true
if [ "$found" = found ] && [ -f "$demo_flash" ] &&
   cmp -s <(tail -c +$((start + 2)) "$demo_file" | head -c $((length - 2))) "$demo_flash"; then
  echo "flash equals the image"
else
  echo "flash differs from the image"
  exit 1
fi
