#!/usr/bin/env bash
# The main job, end to end: synthesise a clean guitar phrase, render it through
# the Orvanta component with its "Dirty" and "Clean" factory presets, draw the
# component's editor as a host shows it, and say where the results are. Run by `make demo` after the build; the argument is
# the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in
  /*) ;;
  *) build="$root/$build" ;;
esac

for need in "$build/bin/orvanta-phrase" "$build/bin/orvanta-render" "$build/bin/orvanta-editor" "$build/Orvanta.component"; do
  if [ ! -e "$need" ]; then
    echo "demo: $need is missing; build first (make build, or simply make demo)" >&2
    exit 1
  fi
done

# The freshly built component, not one installed elsewhere on this machine.
export AUDIO_COMPONENT_PATH="$build"
out="$root/demo"
mkdir -p "$out"

"$build/bin/orvanta-phrase" --rate 48000 --seconds 8 "$out/phrase.wav"
echo "demo: clean input phrase (8 s, mono, 48 kHz): $out/phrase.wav"
for preset in Dirty Clean; do
  file="$out/phrase-$(echo "$preset" | tr '[:upper:]' '[:lower:]').wav"
  summary=$("$build/bin/orvanta-render" --preset "$preset" "$out/phrase.wav" "$file")
  echo "demo: preset $preset -> $summary"
done
"$build/bin/orvanta-controls-example" --resources "$root/resources/img" "$out/controls.png"
"$build/bin/orvanta-editor" --screenshot "$out/editor.png"
echo "demo: the editor (432 x 357, as a host shows it): $out/editor.png"
echo "demo: to play with the knobs while the phrase loops: $build/bin/orvanta-editor $out/phrase.wav $out/phrase-live.wav"
