// Encoded rows written as pieces arrive whole and in order, also when a signal cuts
// the system call short part-way through a piece.
#include "fileio.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

#include <pthread.h>
#include <unistd.h>

TEST(WritePieces, GoOnWhereAnInterruptedWriteStopped)
{
  // Pieces of 0 to 700 bytes, more of them than one system call takes.
  std::vector<uint8_t> bytes;
  std::vector<iovec> pieces;
  std::vector<size_t> lengths;
  for (size_t i = 0; i < 3000; ++i)
    lengths.push_back(i * 7919 % 701);
  for (size_t length : lengths)
    for (size_t b = 0; b < length; ++b)
      bytes.push_back(uint8_t(bytes.size() * 131 >> 5));
  for (size_t i = 0, at = 0; i < lengths.size(); at += lengths[i++])
    pieces.push_back({bytes.data() + at, lengths[i]});

  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  struct sigaction quiet {}, previous {};
  quiet.sa_handler = [](int) {};
  ::sigaction(SIGUSR1, &quiet, &previous);

  // A slow reader keeps the writer waiting on the pipe, where the signals find it.
  std::vector<uint8_t> received;
  std::thread reader([&] {
    uint8_t chunk[4096];
    for (ssize_t n; (n = ::read(pipe_ends[0], chunk, sizeof chunk)) != 0;) {
      if (n > 0)
        received.insert(received.end(), chunk, chunk + n);
      std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
  });
  std::atomic<bool> done{false};
  const pthread_t writer = ::pthread_self();
  std::thread interrupter([&] {
    while (!done) {
      ::pthread_kill(writer, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  });
  EXPECT_TRUE(bk3::writev_all(pipe_ends[1], pieces.data(), pieces.size()));
  done = true;
  interrupter.join();
  ::close(pipe_ends[1]);
  reader.join();
  ::close(pipe_ends[0]);
  ::sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(received, bytes);
}
