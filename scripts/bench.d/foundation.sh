# Benchmark group "foundation": tracked allocator and pointer stack against the plain heap.
# The headline figures come from an optimised native build without sanitizers; the same program
# then runs as the 64-bit Windows build under Wine and prints its own figures.
cmake --preset host-release >/dev/null
cmake --build --preset host-release -j "$(nproc)" --target bench_foundation >/dev/null
echo "== native"
"$QUILL_BUILD/host-release/bench/bench_foundation"

cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target bench_foundation >/dev/null
quill_wine_env
echo
echo "== windows (x86_64, under Wine)"
wine "$QUILL_BUILD/win64/bench/bench_foundation.exe" | tr -d '\r'
