#pragma once
// The program's folders, derived from the path of the running executable.
//
// An installation keeps the executable, the formula library CDSTem.cds and the
// options file Zelmora.opt in a folder named "SysFiles", and the documents in
// the folder above it, where the file dialogs start.

#include <string>
#include <string_view>

namespace xtq {

// ProgramDir: the executable's path up to and including its last "/" (empty
// when the path has none).
std::string ProgramDirOf(std::string_view executablePath);

// DataDir: the program folder with the first "SysFiles/" removed, letter case
// ignored; the program folder itself when it holds none.
std::string DataDirOf(std::string_view programDir);

// The formula library file and the options file of the program folder.
std::string LibraryFileOf(std::string_view programDir);
std::string OptionsFileOf(std::string_view programDir);

} // namespace xtq
