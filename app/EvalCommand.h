#pragma once

namespace xtq::cli {

// xtq-cli eval FORMULA [NAME=VALUE ...]: exit 0 with the value on stdout,
// 1 for a formula or evaluation error, 2 for wrong arguments.
int RunEvalCommand(int argc, char** argv);

} // namespace xtq::cli
