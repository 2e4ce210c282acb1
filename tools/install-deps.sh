#!/usr/bin/env bash
# Installs the Debian packages listed in packages.txt that are not installed
# yet: the ungrouped ones always, and those of each group named on the
# command line ("[windows]" in the list starts the group "windows"); with
# --only, the named groups alone.
#
#     install-deps.sh [--only] [GROUP...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
only=0
if [ "${1:-}" = --only ]; then only=1; shift; fi
wanted=" $* "
group=""
missing=()
while read -r pkg; do
  case "$pkg" in
    ''|'#'*) continue ;;
    '['*']') group=${pkg#[}; group=${group%]}; continue ;;
  esac
  if [ -z "$group" ] && [ "$only" -eq 1 ]; then continue; fi
  if [ -n "$group" ] && [[ "$wanted" != *" $group "* ]]; then continue; fi
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done < "$here/packages.txt"
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
