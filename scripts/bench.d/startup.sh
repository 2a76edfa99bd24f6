# Benchmark group "startup": how long setup.exe takes from its start to a visible main window,
# against a minimal dialog program, both started from the laid-out disc in the same Wine prefix.
# setup.exe's copies of itself and the DirectX library into the Windows directory are part of
# what it measures. The headline is the ratio of the medians; the goal is 1.5 or less.
startup_runs="${QUILL_STARTUP_RUNS:-10}"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target disc startup_launcher startup_minimal_dialog >/dev/null
quill_ensure_display
trap quill_stop_display EXIT
quill_wine_env

startup_windows_path() { local path="$1"; printf 'Z:%s' "${path//\//\\}"; }
startup_disc="$QUILL_BUILD/win64/disc-layout"
startup_bench="$QUILL_BUILD/win64/bench/startup"
echo "== start-up to visible window, $startup_runs runs each, alternating (windows x86_64, under Wine)"
wine "$startup_bench/startup_launcher.exe" "$startup_runs" \
    "$(startup_windows_path "$startup_disc/setup.exe")" "$(startup_windows_path "$startup_disc")" \
    "$(startup_windows_path "$startup_bench/startup_minimal_dialog.exe")" | tr -d '\r'
