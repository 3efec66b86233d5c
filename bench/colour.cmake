# "Alles einfärben" on a 6000 x 4000 picture against a copy of the same bytes.
nuanza_bench(bench_colour_all
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ColourAllBench.cpp
  LIBS nuanza_editor)
