# The bridge benchmark (import and write-back of the benchmark table); needs the bridge.
if(TARGET vts_bridge)
  vts_benchmark(bridge_bench SOURCES bridge_bench.cpp LIBS vts_bridge)
endif()
