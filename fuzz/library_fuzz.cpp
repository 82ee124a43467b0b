// The formula library file CDSTem.cds, damaged, truncated or not ours:
// loading gives the whole table or a clear error; a table that loaded saves
// to a file that loads into the same table, and saves to the same bytes.

#include "core/Exception.h"
#include "document/FormulaLibrary.h"
#include "fuzz/FuzzSupport.h"
#include "storage/FormulaLibraryFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace xtq;
using xtq::fuzz::Check;

std::vector<TFormulaRecord> RecordsOf(const TFormulaLibrary& library) {
    std::vector<TFormulaRecord> records;
    for (int i = 0; i < library.RecordCount(); ++i)
        records.push_back(library.Record(i));
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const xtq::fuzz::ScratchFile input("CDSTem.cds");
    static const xtq::fuzz::ScratchFile saved("saved.cds");
    xtq::fuzz::WriteFile(input.Path(), std::string_view(reinterpret_cast<const char*>(data), size));

    TFormulaLibrary first;
    try {
        first.LoadFromFile(input.Path());
    } catch (const EDBClient& e) {
        const std::string prefix = "Cannot open file \"" + input.Path() + "\". ";
        Check(std::string(e.what()).rfind(prefix, 0) == 0, "an unclear message: " + e.message());
        Check(!first.Active() && first.RecordCount() == 0, "a refused file left records");
        return 0;
    }
    Check(first.Active(), "a loaded table is closed");

    first.SaveToFile(saved.Path());
    const std::string bytes = xtq::fuzz::ReadFile(saved.Path());
    TFormulaLibrary second;
    try {
        second.LoadFromFile(saved.Path());
    } catch (const Exception& e) {
        xtq::fuzz::Broken(std::string("a saved library cannot be loaded: ") + e.what());
    }
    Check(RecordsOf(first) == RecordsOf(second), "the records read back differ");
    second.SaveToFile(saved.Path());
    Check(xtq::fuzz::ReadFile(saved.Path()) == bytes, "saving a saved library changed it");

    // Browsing and editing the loaded table keeps working.
    second.Last();
    second.Append();
    second.SetFieldText(TLibraryField::TemNo, "0");
    second.Post();
    Check(second.RecordCount() == first.RecordCount() + 1, "an appended record is missing");
    return 0;
}
