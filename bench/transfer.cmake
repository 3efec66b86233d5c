# The colour transfer from a predecessor with millions of colours against OpenCV's
# BGR -> HLS -> BGR on the same pixels; only OpenCV's core and imgproc are linked.
find_path(OPENCV_INCLUDE_DIR opencv2/imgproc.hpp PATH_SUFFIXES opencv4)
find_library(OPENCV_CORE_LIBRARY opencv_core)
find_library(OPENCV_IMGPROC_LIBRARY opencv_imgproc)
if(OPENCV_INCLUDE_DIR AND OPENCV_CORE_LIBRARY AND OPENCV_IMGPROC_LIBRARY)
  nuanza_bench(bench_transfer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/TransferBench.cpp
    LIBS nuanza_editor PkgConfig::TURBOJPEG ${OPENCV_IMGPROC_LIBRARY} ${OPENCV_CORE_LIBRARY})
  target_include_directories(bench_transfer PRIVATE ${OPENCV_INCLUDE_DIR})
else()
  message(STATUS "OpenCV core and imgproc not found (scripts/install-deps): no bench_transfer")
endif()
