#pragma once
// Runs a task on a thread of its own with a large stack and waits for it;
// exceptions reach the caller. Used where recursion depth follows the input.

#include <functional>

namespace xtq {

void RunOnLargeStack(const std::function<void()>& task);

} // namespace xtq
