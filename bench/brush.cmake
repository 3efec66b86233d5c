# A stroke segment of the largest brush on a 6000 x 4000 picture, alone and with
# the redraw of a 1920 x 1080 canvas window at zoom 100 and 400; a whole stroke
# across the picture.
nuanza_bench(bench_brush
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/BrushBench.cpp
  LIBS nuanza_editor nuanza_display)
