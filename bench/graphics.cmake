# The editor benchmark paints through the headless editor of the editor tests.
if(TARGET bench_graphics)
  target_sources(bench_graphics PRIVATE ${CMAKE_SOURCE_DIR}/tests/graphics/HeadlessGraphics.cpp)
  target_include_directories(bench_graphics PRIVATE ${CMAKE_SOURCE_DIR}/tests/graphics)
  target_link_libraries(bench_graphics PRIVATE graphics)
endif()
