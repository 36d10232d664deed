// Output, fatal errors and the debugger's line protocol, checked in child
// processes where the process ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "runtime/runtime.h"

namespace {

// Replaces standard input with the given text (closed after it).
void feed_stdin(const std::string& text) {
    int fds[2];
    if (pipe(fds) != 0) _exit(99);
    if (write(fds[1], text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(99);
    close(fds[1]);
    dup2(fds[0], 0);
    close(fds[0]);
}

TEST(DebugDeathTest, EmptyErrorIsAnOrderlyQuit) {
    EXPECT_EXIT(Error(String()), testing::ExitedWithCode(0), "^$");
}

TEST(DebugDeathTest, FatalErrorWithoutFrontEndPrintsBannerAndMarker) {
    EXPECT_EXIT(
        {
            feed_stdin("");
            Error(String("Image frame outside surface"));
        },
        testing::ExitedWithCode(255), "^\\{\\{~~\\(null\\)~~\\}\\}\n\n$");
}

TEST(DebugDeathTest, BannerGoesToStandardOutput) {
    EXPECT_EXIT(
        {
            feed_stdin("");
            dup2(2, 1);  // show standard output where the death test can see it
            Error(String("Image frame outside surface"));
        },
        testing::ExitedWithCode(255), "^Vendle Runtime Error : Image frame outside surface\n\n\\{\\{~~");
}

TEST(DebugDeathTest, DebuggerCommands) {
    // "r" continues: the error is reported again and the program stops again.
    EXPECT_EXIT(
        {
            feed_stdin("?\nr\n");
            dup2(2, 1);
            dbg_error("twice");
        },
        testing::ExitedWithCode(255), "twice\n\n\\{\\{~~\\(null\\)~~\\}\\}\n\nVendle Runtime Error : twice");
    EXPECT_EXIT(
        {
            feed_stdin("q\n");
            dbg_error("quit");
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            feed_stdin("x\n");
            dup2(2, 1);
            dbg_error("unknown");
        },
        testing::ExitedWithCode(255), "\\?\\?\\?\\?\\? x \\?\\?\\?\\?\\?$");
    EXPECT_EXIT(
        {
            feed_stdin("\n");
            dbg_error("empty line");
        },
        testing::ExitedWithCode(255), "");
    // A line without its newline is treated as the end of input.
    EXPECT_EXIT(
        {
            feed_stdin("r");
            dbg_error("cut");
        },
        testing::ExitedWithCode(255), "");
}

TEST(DebugDeathTest, SteppingCommandsReturnAndRecordTheMode) {
    EXPECT_EXIT(
        {
            feed_stdin("s\n");
            dbg_stop();
            std::exit(dbg_suspend == 1 && dbg_stepmode == 's' ? 3 : 4);
        },
        testing::ExitedWithCode(3), "");
    EXPECT_EXIT(
        {
            feed_stdin("l\n");
            dbg_stop();
            std::exit(dbg_suspend == 0 && dbg_stepmode == 'l' ? 3 : 4);
        },
        testing::ExitedWithCode(3), "");
}

TEST(DebugDeathTest, SignalsBecomeFatalErrors) {
    EXPECT_EXIT(
        {
            feed_stdin("");
            dup2(2, 1);
            std::signal(SIGFPE, sighandler);
            std::raise(SIGFPE);
        },
        testing::ExitedWithCode(255), "Vendle Runtime Error : Floating point exception");
}

TEST(DebugTest, PrintGrowsItsBuffer) {
    std::string text(1000, 'x');
    testing::internal::CaptureStdout();
    Print(String(text.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), text + "\n");
    EXPECT_EQ(Print_buffer_capacity(), 1100);
}

TEST(DebugTest, ValueFormatters) {
    String tabbed("a\tb");
    EXPECT_TRUE(dbg_value(&tabbed) == String("\"a~tb\""));
    String quoted("say \"hi\"\r\n");
    EXPECT_TRUE(dbg_value(&quoted) == String("\"say ~qhi~q~r~n\""));
    std::string long_text(150, 'z');
    String longer(long_text.c_str());
    EXPECT_EQ(dbg_value(&longer).Length(), 100 + 3 + 2);
    bool yes = true;
    int n = -5;
    float f = 2.0f;
    EXPECT_TRUE(dbg_value(&yes) == String("True"));
    EXPECT_TRUE(dbg_value(&n) == String("-5"));
    EXPECT_TRUE(dbg_value(&f) == String("2.0"));
    EXPECT_TRUE(dbg_type(&f) == String("Float"));
    Object* o = nullptr;
    (void)o;
}

}  // namespace
