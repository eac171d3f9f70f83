// Independent computations of a section at the same time: each writes its
// own results, the library's messages of the tasks come in the order of the
// tasks, and an exception a task lets through reaches the caller after all
// have run.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "SumtrixLib/Runtime.hpp"
#include "core/evaluation/run_together.hpp"

TEST(RunTogether, ResultsAndMessagesInTheOrderOfTheTasks)
{
    SumtrixLib::RecordingMessageSink messages;
    SumtrixLib::ScopedMessageSink scope(messages);
    long sums[4] = {};
    runTogether({[&] {
                     SumtrixLib::showMessage("first");
                     for (long k = 1; k <= 1000; ++k)
                         sums[0] += k;
                 },
                 [&] {
                     SumtrixLib::showMessage("second");
                     SumtrixLib::showMessage("second again");
                     sums[1] = 2;
                 },
                 [&] { sums[2] = 3; },
                 [&] {
                     SumtrixLib::showMessage("fourth");
                     sums[3] = 4;
                 }});
    EXPECT_EQ(sums[0], 500500);
    EXPECT_EQ(sums[1], 2);
    EXPECT_EQ(sums[2], 3);
    EXPECT_EQ(sums[3], 4);
    ASSERT_EQ(messages.entries.size(), 4u);
    const char* order[] = {"first", "second", "second again", "fourth"};
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(messages.entries[k].text, order[k]);
}

TEST(RunTogether, AnExceptionComesAfterEveryTaskHasRun)
{
    // The earliest task's exception is the one raised; the others' results
    // stand.
    bool ran = false;
    try {
        runTogether({[] {},
                     [] { throw std::bad_alloc(); },
                     [] { throw std::runtime_error("later"); },
                     [&] { ran = true; }});
        ADD_FAILURE() << "no exception";
    } catch (const std::bad_alloc&) {
    }
    EXPECT_TRUE(ran);
}
