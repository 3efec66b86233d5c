# The motion-following carry-over on 1920 x 1080 and 6000 x 4000 against the
# plain transfer.
nuanza_bench(bench_motion
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MotionBench.cpp
  LIBS nuanza_motion)
