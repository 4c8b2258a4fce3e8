#!/usr/bin/env bash
# The rooms depend one way: engine -> output -> {cli, shell and dialogs, web}. Fails naming every
# include that goes against it. Fuzz targets that drive a command may include cli/.
set -uo pipefail
cd "$1" || exit 2
status=0
# forbid ROOMS PATTERN WHY: no file under ROOMS includes a header matching PATTERN.
forbid() {
  local rooms=$1 pattern=$2 why=$3 hits
  # shellcheck disable=SC2086
  hits=$(grep -rnE "^#include [<\"]($pattern)" $rooms --include='*.cpp' --include='*.h' 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "$why:"
    echo "$hits"
    status=1
  fi
}
forbid "platform/gdi slide render dxfin" 'cli/|output/|shell/|dialogs/|framework/|web/|Q[A-Z]' \
  "the engine includes a front end, the output layer or Qt"
forbid "output" 'cli/|shell/|dialogs/|framework/|web/|Q[A-Z]' \
  "the output layer includes a front end or Qt"
forbid "web bench shell dialogs framework resources platform tests" 'cli/' \
  "outside cli/, only the fuzz targets that drive a command include cli/"
exit $status
