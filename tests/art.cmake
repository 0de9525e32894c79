# The artwork: the committed bitmaps, icons and sounds against their source
# and against the facts the program relies on.
set(KURIMARO_ARTGEN_DIR ${PROJECT_SOURCE_DIR}/tools/artgen)
kurimaro_unit_test(art_test art_test.cpp ${KURIMARO_ARTGEN_DIR}/art.cpp ${KURIMARO_ARTGEN_DIR}/bmp.cpp)
target_include_directories(art_test PRIVATE ${KURIMARO_ARTGEN_DIR})
target_compile_definitions(art_test PRIVATE KURIMARO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
