#pragma once
// Work on many data points cut into parts, one per processor, each done on a
// thread of its own (the first on the calling thread). Only for work whose
// parts touch nothing in common but what they read.

#include <algorithm>
#include <cstddef>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

namespace xtq {

// The number of parts for `count` items: one below `minimum` items, else one
// per processor (at most 8).
inline int PartCount(std::size_t count, std::size_t minimum) {
    if (count < minimum) return 1;
    const unsigned processors = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(processors, 1u, 8u));
}

// The items [first, last) of part `part` of `parts`.
inline std::pair<std::size_t, std::size_t> PartRange(std::size_t count, int part, int parts) {
    const auto bound = [&](int p) {
        return static_cast<std::size_t>(static_cast<unsigned long long>(count) *
                                        static_cast<unsigned>(p) / static_cast<unsigned>(parts));
    };
    return {bound(part), bound(part + 1)};
}

// Runs work(part) for every part: part 0 on this thread, the others on
// threads of their own. Every part ends before this returns; the first error
// in part order is then raised again.
template <typename Work> void ForEachPart(int parts, const Work& work) {
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(parts));
    std::vector<std::thread> threads;
    for (int part = 1; part < parts; ++part) {
        threads.emplace_back([&, part] {
            try {
                work(part);
            } catch (...) {
                errors[static_cast<std::size_t>(part)] = std::current_exception();
            }
        });
    }
    try {
        work(0);
    } catch (...) {
        errors[0] = std::current_exception();
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& error : errors)
        if (error) std::rethrow_exception(error);
}

} // namespace xtq
