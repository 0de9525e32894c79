# Paint and region costs of the rendering core.
kurimaro_benchmark(render_bench render_bench.cpp)
target_link_libraries(render_bench PRIVATE kurimaro_render)
target_include_directories(render_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(render_bench PRIVATE KURIMARO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
