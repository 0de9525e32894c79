# The art generator: text grids under resources/art become the bitmaps and
# icons under resources/generated. Run the `art` target after editing the art.
add_library(kurimaro_artgen STATIC artgen/art.cpp artgen/bmp.cpp)
target_include_directories(kurimaro_artgen PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/artgen)
target_compile_options(kurimaro_artgen PRIVATE ${KURIMARO_WARNINGS})

add_executable(artgen artgen/main.cpp)
target_link_libraries(artgen PRIVATE kurimaro_artgen)
target_compile_options(artgen PRIVATE ${KURIMARO_WARNINGS})

add_custom_target(art
  COMMAND artgen ${PROJECT_SOURCE_DIR}/resources/art ${PROJECT_SOURCE_DIR}/resources/generated
  DEPENDS artgen
  COMMENT "Regenerating resources/generated from resources/art")

# The generated icons as PNGs, for the Linux package's icon theme.
find_package(PNG REQUIRED)
add_executable(kurimaro_icon_png icon_png/main.cpp)
target_link_libraries(kurimaro_icon_png PRIVATE kurimaro_artgen PNG::PNG)
target_include_directories(kurimaro_icon_png PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(kurimaro_icon_png PRIVATE ${KURIMARO_WARNINGS})
