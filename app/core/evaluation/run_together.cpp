#include "core/evaluation/run_together.hpp"

#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "SumtrixLib/Runtime.hpp"

void runTogether(std::initializer_list<std::function<void()>> tasks)
{
    const std::vector<std::function<void()>> list(tasks);
    struct Outcome {
        SumtrixLib::RecordingMessageSink messages;
        std::exception_ptr error;
    };
    std::vector<Outcome> outcomes(list.size());
    const auto run = [&](std::size_t k) {
        try {
            list[k]();
        } catch (...) {
            outcomes[k].error = std::current_exception();
        }
    };
    std::vector<std::thread> threads;
    std::size_t started = 1;
    for (; started < list.size(); ++started) {
        try {
            threads.emplace_back([&, k = started] {
                SumtrixLib::setThreadMessageSink(&outcomes[k].messages);
                run(k);
                SumtrixLib::setThreadMessageSink(nullptr);
            });
        } catch (const std::system_error&) {
            break;   // no thread to be had: the rest run here, after the first
        }
    }
    if (!list.empty())
        run(0);
    for (std::size_t k = started; k < list.size(); ++k) {
        SumtrixLib::RecordingMessageSink& messages = outcomes[k].messages;
        SumtrixLib::MessageSink* const previous = SumtrixLib::setThreadMessageSink(&messages);
        run(k);
        SumtrixLib::setThreadMessageSink(previous);
    }
    for (std::thread& t : threads)
        t.join();
    for (std::size_t k = 1; k < outcomes.size(); ++k)
        for (const SumtrixLib::RecordingMessageSink::Entry& e : outcomes[k].messages.entries)
            SumtrixLib::messageSink().show(e.text, e.title, e.icon);
    for (const Outcome& o : outcomes)
        if (o.error)
            std::rethrow_exception(o.error);
}
