#pragma once
// The program around its document: the folders of the installation, the
// formula library and the recent-files list that the program owns, and the
// commands that work on them (start-up, shut-down, Select formula, Save
// formula library, opening a recent-files entry), each a plain call. A window
// binds its menus and buttons to these and shows their errors.

#include "document/Document.h"
#include "document/FormulaLibrary.h"
#include "document/RecentFiles.h"

#include <exception>
#include <functional>
#include <string>

namespace xtq {

// Told what changed besides the document, after the change.
class TApplicationListener {
public:
    virtual ~TApplicationListener() = default;
    // Entries were added or moved (by Open, Save As or a start-up).
    virtual void RecentFilesChanged() {}
    // The library table was loaded or saved.
    virtual void LibraryChanged() {}
};

class TApplicationModel : private IRecentFiles {
public:
    // `executablePath`: the running executable, as bytes. The program
    // folder, the library file, the options file and the documents' folder
    // follow from it.
    explicit TApplicationModel(const std::string& executablePath);
    ~TApplicationModel() override;
    TApplicationModel(const TApplicationModel&) = delete;
    TApplicationModel& operator=(const TApplicationModel&) = delete;

    TRegressDocument& Document() { return document_; }
    const TRegressDocument& Document() const { return document_; }
    TRecentFiles& RecentFiles() { return recent_; }
    TFormulaLibrary& Library() { return library_; }
    const std::string& ProgramDir() const { return programDir_; }
    // Where the file dialogs start: the folder above SysFiles.
    const std::string& DataDir() const { return dataDir_; }
    const std::string& LibraryFileName() const { return libraryFile_; }
    // The title of error boxes: "Xtq" for the executable XTQ.
    const std::string& ApplicationTitle() const { return appTitle_; }

    void SetListener(TApplicationListener* listener) { listener_ = listener; }

    // Start-up, in this order: the options file and its entries, the formula
    // library, "." as the decimal separator of the C library's conversions,
    // and the two counts, whose rules build the table. An error of a step is
    // handed to `report` and the later steps still run, so the program
    // always starts usable.
    void StartUp(const std::function<void(const std::exception&)>& report);

    // Shut-down: writes the options file. Raises EInOutError when it cannot
    // be written; the old file is then unchanged.
    void ShutDown();

    // Select formula: the current library record becomes the formula
    // definition (left-side name, right side, variable count, aliases).
    // With the table closed or empty, the status message says so and
    // nothing else happens. Errors of the alias list propagate with the rows
    // before them added.
    void SelectFormula();

    // Save formula library: writes the table (a pending edit posted first)
    // to the library file. With the table closed, the status message says so.
    void SaveFormulaLibrary();

    // Open of the recent-files entry at `index` (0 is the top of the list).
    void OpenRecentFile(int index);

private:
    // Open and Save As name their file here.
    void AddRecentFile(const std::string& fileName) override;

    std::string programDir_;
    std::string dataDir_;
    std::string libraryFile_;
    std::string appTitle_;
    TRegressDocument document_;
    TRecentFiles recent_;
    TFormulaLibrary library_;
    TApplicationListener* listener_ = nullptr;
};

} // namespace xtq
