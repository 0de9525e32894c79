# Alarm check, behaviour tick and alarm-file loading.
kurimaro_benchmark(behaviour_bench behaviour_bench.cpp)
target_link_libraries(behaviour_bench PRIVATE kurimaro_behaviour)
