# The user's path benchmark drives the whole program's pages; the grid's editor is typed into
# with QTest, as the page tests do.
if(TARGET vts_program)
  find_package(Qt6 REQUIRED COMPONENTS Test)
  vts_benchmark(path_bench SOURCES path_bench.cpp LIBS vts_program Qt6::Test)
endif()
