# Sprites, masks and regions, the clock face and the painted frame.
kurimaro_unit_test(render_test region_test.cpp sprites_test.cpp paint_test.cpp
  clock_face_test.cpp)
target_link_libraries(render_test PRIVATE kurimaro_render)
target_compile_definitions(render_test PRIVATE KURIMARO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
