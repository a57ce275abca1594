# Sourced by the benchmark scripts: the programs measured, and /usr/bin/time for their figures.
# Needs $build; sets $cli and $sim.
cli="$build/rt570-cli"
sim="$build/rt570-sim"
if [ ! -x /usr/bin/time ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y -qq time >/dev/null
fi
for tool in "$cli" "$sim"; do
    [ -x "$tool" ] || { echo "missing $tool: build first (cmake --build $build)" >&2; exit 1; }
done
