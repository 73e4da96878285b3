#pragma once

#include <exception>
#include <future>
#include <optional>
#include <system_error>
#include <thread>
#include <type_traits>

// Work beside the calling thread. Threads are the system's to give: where none can start, the
// work runs on the calling thread instead, so every caller works either way, only slower. What
// the work throws comes back to the caller as if it had run there.

// Starts work on a thread of its own; nothing when no thread can start, for work that must
// then be done another way. The future's get() waits for the result and rethrows what the work
// threw; a future that is let go waits for the work too, so what the work refers to must
// outlive the future only.
template<class Work>
auto tryStart(Work work) -> std::optional<std::future<std::invoke_result_t<Work &>>>
{
    try {
        return std::async(std::launch::async, work);
    } catch (const std::system_error &) {
        return std::nullopt;
    }
}

// Starts work on a thread of its own, or runs it here at once when no thread can start.
template<class Work>
auto startOrRun(Work work) -> std::future<std::invoke_result_t<Work &>>
{
    using Value = std::invoke_result_t<Work &>;
    if (auto started = tryStart(work))
        return std::move(*started);
    std::promise<Value> done;
    try {
        if constexpr (std::is_void_v<Value>) {
            work();
            done.set_value();
        } else {
            done.set_value(work());
        }
    } catch (...) {
        done.set_exception(std::current_exception());
    }
    return done.get_future();
}

// Runs both, the second on a thread of its own where one can start; returns once both are
// done, rethrowing what either threw (the first's when both did).
template<class First, class Second>
void runBoth(First first, Second second)
{
    std::future<void> later = startOrRun(second);
    first();
    later.get();
}

// Work that nobody waits for, such as letting go of a resource that is slow to free.
template<class Work>
void runUnwaited(Work work)
{
    try {
        std::thread(work).detach();
    } catch (const std::system_error &) {
        work();
    }
}
