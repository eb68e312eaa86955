# The effect benchmark runs sox's chain in the same process when libsox is
# installed, and times the sox program otherwise.
if(TARGET bench_effect)
  pkg_check_modules(BENCH_SOX IMPORTED_TARGET sox)
  if(BENCH_SOX_FOUND)
    target_link_libraries(bench_effect PRIVATE PkgConfig::BENCH_SOX)
    target_compile_definitions(bench_effect PRIVATE ORVANTA_BENCH_LIBSOX=1)
  endif()
endif()
