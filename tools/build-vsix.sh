#!/usr/bin/env bash
# Packages the VS Code extension (editors/vscode) as a .vsix with the pinned
# npm tooling of its lockfile, and checks the package holds the client, both
# grammars and the language definitions.
#
#   tools/build-vsix.sh [OUTPUT.vsix]   (default: build/scenario-builder-descriptions.vsix)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/build/scenario-builder-descriptions.vsix}"
mkdir -p "$(dirname "$out")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A copy, so the tree stays free of node_modules.
cp -r "$root/editors/vscode/." "$work/"
rm -rf "$work/node_modules"
cd "$work"
npm ci --no-audit --no-fund --ignore-scripts >/dev/null
npx --no-install vsce package --skip-license --allow-missing-repository -o "$out" >/dev/null
python3 - "$out" <<'PY'
import json, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = set(z.namelist())
need = ["extension/extension.js", "extension/package.json", "extension/language-configuration.json",
        "extension/syntaxes/sb-line.tmLanguage.json", "extension/syntaxes/sb-service.tmLanguage.json",
        "extension/node_modules/vscode-languageclient/node.js"]
missing = [n for n in need if n not in names]
manifest = json.loads(z.read("extension/package.json"))
languages = {l["id"] for l in manifest["contributes"]["languages"]}
grammars = {g["language"] for g in manifest["contributes"]["grammars"]}
for g in ("sb-line", "sb-service"):
    json.loads(z.read("extension/syntaxes/%s.tmLanguage.json" % g))
if missing or languages != {"sb-line", "sb-service"} or grammars != languages:
    sys.exit("the .vsix lacks: %s (languages %s, grammars %s)" % (missing, sorted(languages), sorted(grammars)))
print("%s: %d files, client, grammars and language definitions present" % (sys.argv[1], len(names)))
PY
