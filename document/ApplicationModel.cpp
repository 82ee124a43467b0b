#include "document/ApplicationModel.h"

#include "document/AliasDecoding.h"
#include "document/CommandErrors.h"
#include "document/ProgramPaths.h"

#include <clocale>
#include <stdexcept>

namespace xtq {

TApplicationModel::TApplicationModel(const std::string& executablePath)
    : programDir_(ProgramDirOf(executablePath)), dataDir_(DataDirOf(programDir_)),
      libraryFile_(LibraryFileOf(programDir_)), appTitle_(xtq::ApplicationTitle(executablePath)),
      recent_(OptionsFileOf(programDir_)) {
    document_.SetRecentFiles(this);
}

TApplicationModel::~TApplicationModel() {
    document_.SetRecentFiles(nullptr);
}

void TApplicationModel::StartUp(const std::function<void(const std::exception&)>& report) {
    const auto step = [&report](const std::function<void()>& work) {
        try {
            work();
        } catch (const std::exception& error) {
            report(error);
        }
    };
    step([this] { recent_.LoadRecentFiles(); });
    if (listener_ != nullptr) listener_->RecentFilesChanged();
    step([this] { library_.LoadFromFile(libraryFile_); });
    if (listener_ != nullptr) listener_->LibraryChanged();
    // Number texts never depend on the locale, and the C library's
    // conversions get the C locale's numbers too.
    std::setlocale(LC_NUMERIC, "C");
    step([this] {
        document_.SetText(TField::DataPointCount, "5");
        document_.SetText(TField::VariableCount, "1");
    });
}

void TApplicationModel::ShutDown() {
    recent_.SaveRecentFiles();
}

void TApplicationModel::SelectFormula() {
    if (!library_.Active()) {
        document_.SetText(TField::StatusMessage, kLibraryClosedSelectMessage);
        return;
    }
    if (library_.IsEmpty()) {
        document_.SetText(TField::StatusMessage, kLibraryEmptySelectMessage);
        return;
    }
    const TFormulaSelection selection = SelectionOf(library_.CurrentRecord());
    document_.SetText(TField::LeftName, selection.LeftName);
    document_.SetText(TField::RightSide, selection.RightSide);
    document_.SetText(TField::VariableCount, selection.VariableCount);
    SelectAliases(selection.AliasText, document_.Aliases());
}

void TApplicationModel::SaveFormulaLibrary() {
    if (!library_.Active()) {
        document_.SetText(TField::StatusMessage, kLibraryClosedSaveMessage);
        return;
    }
    library_.SaveToFile(libraryFile_);
    if (listener_ != nullptr) listener_->LibraryChanged();
}

void TApplicationModel::OpenRecentFile(int index) {
    const auto& entries = recent_.Entries();
    if (index < 0 || index >= static_cast<int>(entries.size()))
        throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
    // A copy: Open moves the captions.
    const std::string path = entries[static_cast<size_t>(index)].Caption;
    document_.OpenDocument(path);
}

void TApplicationModel::AddRecentFile(const std::string& fileName) {
    recent_.AddRecentFile(fileName);
    if (listener_ != nullptr) listener_->RecentFilesChanged();
}

} // namespace xtq
