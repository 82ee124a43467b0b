#pragma once

namespace xtq::cli {

// xtq-cli regress DOCUMENT [-o OUT]: reads DOCUMENT as Open does, runs the
// Regress command as the window does and prints the results on stdout:
//   R: ..., mean error (%): ..., max error (%): ..., coefficients: ...,
//   fitted formula: ...
// (each as the window shows it), then one line per data row: its row number, its
// fitted-value cell and its error cell, separated by tabs. With -o OUT the
// document with its results is written to OUT as Save does.
//
// Exit status: 0 success; 1 any other error (formula and arithmetic errors as
// "CLASSNAME: MESSAGE", file and other errors as their message, on stderr);
// 2 wrong arguments; 3 a bad or missing value (the status message on stderr,
// nothing printed or written); 4 a singular system (results printed and
// written, its message on stderr).
int RunRegressCommand(int argc, char** argv);

} // namespace xtq::cli
