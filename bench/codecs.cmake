# Loading and saving a 6000 x 4000 photograph in every format, and JPEG and PNG
# through the library against plain TurboJPEG and libspng calls on the same file
# and pixels, our own formats against reading and writing the same bytes
# plainly, and TIFF against libtiff's own writer. The stage and level
# benchmarks call the codecs inside the library directly.
nuanza_bench(bench_codecs
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CodecsBench.cpp
  LIBS bildkern3 bildkern3_core PkgConfig::TURBOJPEG PkgConfig::SPNG PkgConfig::LIBTIFF)
