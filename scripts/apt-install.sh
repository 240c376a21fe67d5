#!/usr/bin/env bash
# Installs the Debian packages named on the command line with apt-get, through sudo when
# not run as root. Does nothing when none is named.
#   scripts/apt-install.sh package ...
set -euo pipefail
[ $# -eq 0 ] && exit 0

echo "installing: $*"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "$@"
