#!/usr/bin/env bash
# Installs what is needed, builds (Release) and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -x build/src/ui/morvane ]; then
  exec build/src/ui/morvane "$@"
fi
exec build/src/cli/morvane-cli --help
