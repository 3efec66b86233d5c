# Redrawing a 1920 x 1080 window of the work canvas (a 6000 x 4000 picture at zoom
# 100, 250 and 1000) against drawing an already scaled image of that size.
nuanza_bench(bench_display
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DisplayBench.cpp
  LIBS nuanza_display)
