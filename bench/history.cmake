# Undo and redo on a 6000 x 4000 picture: against a copy of the pixel block, the
# brush segment with and without keeping its tiles, and the memory of a history.
nuanza_bench(bench_history
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/HistoryBench.cpp
  LIBS nuanza_history)
