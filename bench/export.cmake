# The CSV export benchmark (included from bench/CMakeLists.txt).
find_package(SQLite3 REQUIRED)
vts_benchmark(csv_export_bench SOURCES csv_export_bench.cpp LIBS vts_export SQLite::SQLite3)
