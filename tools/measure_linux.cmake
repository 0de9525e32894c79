# Small Linux programs for tools/measure_linux.sh: the bare GTK floors and
# the probe that times the mascot through X. Not tests.
find_package(PkgConfig)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(KURIMARO_MEASURE_GTK IMPORTED_TARGET gtk+-3.0)
  pkg_check_modules(KURIMARO_MEASURE_X IMPORTED_TARGET x11 xext xtst)
endif()
if(KURIMARO_MEASURE_GTK_FOUND AND KURIMARO_MEASURE_X_FOUND)
  add_executable(bare_gtk measure/bare_gtk.cpp)
  target_include_directories(bare_gtk SYSTEM PRIVATE ${KURIMARO_MEASURE_GTK_INCLUDE_DIRS})
  target_compile_options(bare_gtk PRIVATE ${KURIMARO_WARNINGS} ${KURIMARO_MEASURE_GTK_CFLAGS_OTHER})
  target_link_libraries(bare_gtk PRIVATE ${KURIMARO_MEASURE_GTK_LINK_LIBRARIES})

  add_executable(xprobe measure/xprobe.cpp)
  target_compile_options(xprobe PRIVATE ${KURIMARO_WARNINGS})
  target_link_libraries(xprobe PRIVATE PkgConfig::KURIMARO_MEASURE_X)
endif()
