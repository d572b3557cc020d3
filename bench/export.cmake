# The text-export benchmark drives the program's pages (included from bench/CMakeLists.txt).
if(TARGET vts_program)
  vts_benchmark(grid_export_bench SOURCES grid_export_bench.cpp LIBS vts_program)
endif()
