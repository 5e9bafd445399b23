#include "host/ConsoleBuffer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace host {
namespace {

TEST(ConsoleLineTextTest, TrimsTrailingLineBreaksAndSpacesButNeverTheFirstCharacter) {
  EXPECT_EQ(consoleLineText("hello\r\n"), "hello");
  EXPECT_EQ(consoleLineText("  two words  \n"), "  two words");
  EXPECT_EQ(consoleLineText("a\n\n\r \n"), "a");
  EXPECT_EQ(consoleLineText("\n"), "\n");
  EXPECT_EQ(consoleLineText("   "), " ");
  EXPECT_EQ(consoleLineText("first\nsecond\n"), "first\nsecond");
}

TEST(ConsoleLineTextTest, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(consoleLineText("caf\xE9\n"), "caf\xEF\xBF\xBD");
  EXPECT_EQ(consoleLineText("你好\n"), "你好");
}

TEST(ConsoleBufferTest, TakeReturnsEverythingOnceAndClears) {
  ConsoleBuffer buffer;
  EXPECT_EQ(buffer.append("one\n"), 4u);
  EXPECT_EQ(buffer.append("two\n"), 4u);
  EXPECT_EQ(buffer.take(), "one\ntwo\n");
  EXPECT_EQ(buffer.take(), "");
}

TEST(ConsoleBufferTest, NeverFillsTheLastByte) {
  ConsoleBuffer buffer;
  std::string full(ConsoleBuffer::kCapacity, 'x');
  EXPECT_EQ(buffer.append("a\n"), 2u);
  // Text that does not fit waits for the next take rather than being cut.
  EXPECT_EQ(buffer.append(full), 0u);
  EXPECT_EQ(buffer.take(), "a\n");
  // Into an empty buffer, an over-long line goes in as far as it fits.
  EXPECT_EQ(buffer.append(full), ConsoleBuffer::kCapacity - 1);
  EXPECT_EQ(buffer.append("y"), 0u);
  EXPECT_EQ(buffer.take().size(), ConsoleBuffer::kCapacity - 1);
}

// Waits up to two seconds for the reader thread to hand something over.
std::string takeWithin(ConsoleBuffer& buffer) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    std::string text = buffer.take();
    if (!text.empty()) {
      return text;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return {};
}

TEST(ConsoleReaderTest, HandsOverWholeLinesOnlyAndTheRestAtEndOfInput) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  static ConsoleBuffer buffer;  // the detached reader may outlive the test
  startConsoleReader(buffer, pipeEnds[0]);
  ASSERT_EQ(::write(pipeEnds[1], "par", 3), 3);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(buffer.take(), "") << "half a line was handed over";
  ASSERT_EQ(::write(pipeEnds[1], "tial\nnext", 9), 9);
  EXPECT_EQ(takeWithin(buffer), "partial\n");
  ::close(pipeEnds[1]);
  EXPECT_EQ(takeWithin(buffer), "next");
  // The read end stays open: the reader may still be finishing, and a reused descriptor would feed it.
}

TEST(ConsoleReaderTest, EndsQuietlyOnInputThatIsNoTerminal) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  ::close(pipeEnds[1]);
  static ConsoleBuffer buffer;
  startConsoleReader(buffer, pipeEnds[0]);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(buffer.take(), "");
}

}  // namespace
}  // namespace host
