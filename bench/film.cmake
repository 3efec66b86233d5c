# Film series: the batch over 100 JPEG frames against TurboJPEG alone and against
# ImageMagick, and transfer and shift on a 6000 x 4000 picture against a copy.
nuanza_bench(bench_film
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FilmBench.cpp
  LIBS nuanza_files nuanza_editor PkgConfig::TURBOJPEG)
