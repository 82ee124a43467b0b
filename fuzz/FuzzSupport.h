#pragma once
// Helpers shared by the fuzz targets: a scratch file per process, and a check
// that stops the run with a message the fuzzer keeps next to the input.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

namespace xtq::fuzz {

// A path in memory-backed storage when the machine has it, unique to the
// process and the given name.
inline std::string ScratchPath(const char* name) {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/xtq-fuzz-" + std::to_string(getpid()) + "-" + name;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write the scratch file %s\n", path.c_str());
        std::abort();
    }
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A broken promise of the code under test: print what and stop.
[[noreturn]] inline void Broken(const std::string& what) {
    std::fprintf(stderr, "\n*** broken: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

inline void Check(bool condition, const std::string& what) {
    if (!condition) Broken(what);
}

// A scratch file, removed when the process ends normally.
class ScratchFile {
public:
    explicit ScratchFile(const char* name) : path_(ScratchPath(name)) {}
    ~ScratchFile() { unlink(path_.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace xtq::fuzz
