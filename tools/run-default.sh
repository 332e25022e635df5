#!/usr/bin/env bash
# Installs the dependencies, builds the plug-in and runs it in the headless host on the built-in
# test signal at the default settings.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
tools/build.sh
build/tools/vastrel_host build/VastrelV3_artefacts/Release/VST3/VastrelV3.vst3 build/vastrel-output.wav
