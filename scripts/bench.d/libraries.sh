# Benchmark group "libraries": the block checksum against memcpy, file tree lookups against status
# queries, message file loads and whole-file reads against the runtime. Native, optimised,
# without sanitizers.
cmake --preset host-release >/dev/null
cmake --build --preset host-release -j "$(nproc)" --target bench_libraries >/dev/null
echo "== native"
"$QUILL_BUILD/host-release/bench/bench_libraries"
