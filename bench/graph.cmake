# The graph benchmark draws through the editor library.
if(TARGET bench_graph)
  target_link_libraries(bench_graph PRIVATE graphics)
endif()
