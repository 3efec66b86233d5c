# "Graustufen", the soften filter and DepthUpTo from 8 to 24 bits on a 6000 x 4000
# picture, each against a copy of the same pixel block in the same run.
nuanza_bench(bench_conversion
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ConversionBench.cpp
  LIBS nuanza_image)
