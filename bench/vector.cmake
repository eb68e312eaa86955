# The vector benchmark runs cairo side by side with the raster library.
if(TARGET bench_vector)
  pkg_check_modules(BENCH_CAIRO REQUIRED IMPORTED_TARGET cairo)
  target_link_libraries(bench_vector PRIVATE PkgConfig::BENCH_CAIRO)
endif()
