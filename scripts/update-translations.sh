#!/usr/bin/env bash
# Refreshes translations/*.ts from the sources (new texts come in unfinished,
# gone ones are marked obsolete); the build turns them into .qm files.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
"$lupdate" -no-obsolete -locations none -no-ui-lines -source-language ja -target-language en \
  app/common -ts translations/common_en.ts
"$lupdate" -no-obsolete -locations none -no-ui-lines -source-language ja -target-language en \
  app/pictray -ts translations/pictray_en.ts
"$lupdate" -no-obsolete -locations none -no-ui-lines -source-language ja -target-language en \
  app/twinscan -ts translations/twinscan_en.ts
