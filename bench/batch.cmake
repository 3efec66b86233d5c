# nuanza-batch against the bare codec work, ImageMagick and GNU Parallel, run by
# bench/batch-cli.sh (never by ctest); this helper makes the frames and does the
# codec work.
add_executable(bench_batch_frames ${CMAKE_CURRENT_LIST_DIR}/BatchFrames.cpp)
target_link_libraries(bench_batch_frames PRIVATE nuanza_image PkgConfig::TURBOJPEG PkgConfig::LIBTIFF)
