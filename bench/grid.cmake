# The grid benchmark needs the pages; only when they are part of the build.
if(TARGET vts_pages)
  vts_benchmark(grid_bench SOURCES grid_bench.cpp LIBS vts_pages vts_bridge)
endif()
