# The raster benchmark runs pixman side by side with the raster library.
if(TARGET bench_raster)
  pkg_check_modules(BENCH_PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
  target_link_libraries(bench_raster PRIVATE PkgConfig::BENCH_PIXMAN)
endif()
