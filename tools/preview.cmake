# Renders any moment of the mascot to a PNG: the README's pictures and a way
# to judge the art.
find_package(PNG REQUIRED)
add_executable(kurimaro_preview preview/preview.cpp)
target_link_libraries(kurimaro_preview PRIVATE kurimaro_render PNG::PNG)
target_compile_options(kurimaro_preview PRIVATE ${KURIMARO_WARNINGS})
target_compile_definitions(kurimaro_preview PRIVATE KURIMARO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
