#include "document/Document.h"

#include "core/IntegerText.h"
#include "document/TextRules.h"
#include "storage/DocumentFile.h"
#include "storage/InOutError.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace xtq {
namespace {

TField FieldOfLine(TDocumentLine line) {
    switch (line) {
    case TDocumentLine::LeftName:
        return TField::LeftName;
    case TDocumentLine::RightSide:
        return TField::RightSide;
    case TDocumentLine::DisplayedFormula:
        return TField::DisplayedFormula;
    case TDocumentLine::DataPointCount:
        return TField::DataPointCount;
    case TDocumentLine::VariableCount:
        return TField::VariableCount;
    case TDocumentLine::Correlation:
        return TField::Correlation;
    case TDocumentLine::MaximumError:
        return TField::MaxError;
    case TDocumentLine::MeanError:
        return TField::MeanError;
    case TDocumentLine::Coefficients:
        return TField::Coefficients;
    case TDocumentLine::Result:
        return TField::FittedFormula;
    }
    return TField::LeftName;
}

} // namespace

// One command at a time: marks the document busy and reports the progress
// of the command for as long as it lives.
class TRegressDocument::TCommand {
public:
    explicit TCommand(const TRegressDocument& document)
        : document_(document), meter_(document.progress_, document.progressInterval_) {
        if (document_.busy_) throw EDocumentBusy(kBusyMessage);
        document_.busy_ = true;
        document_.meter_ = &meter_;
        meter_.Begin();
    }
    ~TCommand() {
        document_.busy_ = false;
        document_.meter_ = nullptr;
    }
    TCommand(const TCommand&) = delete;
    TCommand& operator=(const TCommand&) = delete;

    void Finish() { meter_.Finish(); }

private:
    const TRegressDocument& document_;
    TProgressMeter meter_;
    // The computations the command calls beat into its meter.
    TBeatScope beats_{&meter_};
};

// Applies what the reader hands on, item by item.
class TRegressDocument::TFileSink : public TDocumentFileSink {
public:
    explicit TFileSink(TRegressDocument& document) : document_(document) {}

    void ReadText(TDocumentLine line, std::string_view text) override {
        readAnything_ = true;
        document_.SetText(FieldOfLine(line), std::string(text));
    }
    void ClearAliases() override { document_.aliases_.Clear(); }
    void ReadAlias(std::string_view key, std::string_view value) override {
        document_.aliases_.Append(std::string(key), std::string(value));
    }
    void ReadRowCount(int rows) override {
        const long long points = static_cast<long long>(rows) - 1;
        if (points > kMaxDataPoints)
            throw ECountRangeError("数据点数不能超过" + IntToStr(kMaxDataPoints) +
                                   "（文件中的表格行数是" + IntToStr(rows) + "）");
        document_.SetText(TField::DataPointCount, IntToStr(points));
    }
    void ReadColCount(int cols) override {
        if (cols > kMaxTableCols)
            throw ECountRangeError("表格列数不能超过" + IntToStr(kMaxTableCols) +
                                   "（文件中的表格列数是" + IntToStr(cols) + "）");
    }
    void ReadCell(int col, int row, std::string_view text) override {
        cellsRead_ = true;
        document_.table_.SetCell(col, row, text);
    }
    void ReadPosition(std::uint64_t done, std::uint64_t total) override {
        if (!reserved_) {
            // Room for the rows the file announces, as far as its bytes can
            // hold them: a stored cell takes at least two bytes (a character
            // and the line end).
            reserved_ = true;
            const std::uint64_t left = total > done ? total - done : 0;
            const int cols = document_.table_.ColCount();
            const std::uint64_t fit = left / (2 * static_cast<std::uint64_t>(cols)) + 1;
            const int rows = document_.table_.RowCount();
            document_.table_.ReserveCells(
                cols, static_cast<int>(std::min<std::uint64_t>(fit, static_cast<unsigned>(rows))));
        }
        Beat(done, total);
    }

    // True once the file gave a line: it could be opened and read.
    bool ReadAnything() const { return readAnything_; }
    bool CellsRead() const { return cellsRead_; }

private:
    TRegressDocument& document_;
    bool reserved_ = false;
    bool readAnything_ = false;
    bool cellsRead_ = false;
};

// Presents the document's items to the writer.
class TRegressDocument::TFileSource : public TDocumentFileSource {
public:
    explicit TFileSource(const TRegressDocument& document) : document_(document) {}

    std::string_view Text(TDocumentLine line) const override {
        return document_.Text(FieldOfLine(line));
    }
    int AliasCount() const override { return document_.aliases_.Count(); }
    std::string_view AliasKey(int index) const override { return document_.aliases_.Key(index); }
    std::string_view AliasValue(int index) const override {
        return document_.aliases_.Value(index);
    }
    int RowCount() const override { return document_.table_.RowCount(); }
    int ColCount() const override { return document_.table_.ColCount(); }
    std::string_view Cell(int col, int row) const override {
        return document_.table_.Cell(col, row);
    }
    void WritePosition(int done, int total) const override {
        // A stop here leaves the old file as it was.
        Beat(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(total));
    }

private:
    const TRegressDocument& document_;
};

TRegressDocument::TRegressDocument(const TRegressDocument& current, TScratch) {
    aliases_ = current.aliases_;
    aliases_.SetListeners(&listeners_);
    table_.SetListeners(&listeners_);
    table_.AssignLayoutAndHiddenCells(current.table_);
    fields_ = current.fields_;
}

void TRegressDocument::Adopt(TRegressDocument& read) {
    const std::array<std::string, kFieldCount> before = fields_;
    fields_.swap(read.fields_);
    for (int f = 0; f < kFieldCount; ++f)
        if (fields_[f] != before[f]) Notify(static_cast<TField>(f));
    aliases_.Swap(read.aliases_);
    table_.SwapContents(read.table_);
    listeners_.Notify([](TDocumentListener& l) { l.CurrentCellChanged(); });
}

TRegressDocument::TRegressDocument() {
    aliases_.SetListeners(&listeners_);
    table_.SetListeners(&listeners_);
    // The texts of the window's design.
    fields_[static_cast<int>(TField::LeftName)] = "Y";
    fields_[static_cast<int>(TField::LeftNameMirror)] = "Y";
    fields_[static_cast<int>(TField::Correlation)] = "0.00";
    fields_[static_cast<int>(TField::MaxError)] = "0.00";
    fields_[static_cast<int>(TField::MeanError)] = "0.00";
    fields_[static_cast<int>(TField::DataPointCount)] = "0";
    fields_[static_cast<int>(TField::VariableCount)] = "00";
    fields_[static_cast<int>(TField::Title)] = kInitialCaption;
    // Start-up sets the two counts; their rules build the initial table.
    SetText(TField::DataPointCount, "5");
    SetText(TField::VariableCount, "1");
}

void TRegressDocument::Notify(TField field) {
    listeners_.Notify([field](TDocumentListener& l) { l.FieldChanged(field); });
}

void TRegressDocument::SetLastFit(std::unique_ptr<TFitResult> fit) {
    if (fit == nullptr && lastFit_ == nullptr) return;
    lastFit_ = std::move(fit);
    listeners_.Notify([](TDocumentListener& l) { l.FitChanged(); });
}

void TRegressDocument::SetText(TField field, std::string text) {
    std::string& current = fields_[static_cast<int>(field)];
    if (current == text) return;
    if (field == TField::DataPointCount) CheckDataPointCountText(text);
    if (field == TField::VariableCount) CheckVariableCountText(text);
    current = std::move(text);
    Notify(field);
    switch (field) {
    case TField::LeftName:
        SetText(TField::LeftNameMirror, current);
        break;
    case TField::DataPointCount:
        table_.ApplyDataPointCount(current);
        break;
    case TField::VariableCount:
        table_.ApplyVariableCount(current);
        break;
    default:
        break;
    }
}

std::string TRegressDocument::DisplayText(int col, int row) const {
    const std::string_view stored = table_.Cell(col, row);
    if (!HasHeaderDisplay(col, row)) return std::string(stored);
    const std::string& name = Text(TField::LeftName);
    std::string text = SubstituteAliases(stored, aliases_);
    text = ReplaceAllIgnoreCase(text, "Y。", name);
    return ReplaceAllIgnoreCase(text, "Y`", name + "`");
}

TRect TRegressDocument::HeaderMarkerBox(const TRect& cell) {
    const int xc = cell.left + (2 * (cell.right - cell.left)) / 3;
    const int yc = cell.bottom + (cell.top - cell.bottom - 17) / 2 + 4;
    return {xc - 1, yc, xc + 8, yc + 9};
}

bool TRegressDocument::LeftSideNameIsBlank() const {
    return IsBlankText(Text(TField::LeftName));
}

bool TRegressDocument::ApplyDefinition() {
    TCommand command(*this);
    const std::string& right = Text(TField::RightSide);
    if (IsBlankText(right)) return false;
    SetText(TField::DisplayedFormula, ReplaceChar(SubstituteAliases(right, aliases_), '*', '.'));
    RunRegression();
    command.Finish();
    return true;
}

TRegressOutcome TRegressDocument::Regress() {
    TCommand command(*this);
    const TRegressOutcome outcome = RunRegression();
    command.Finish();
    return outcome;
}

void TRegressDocument::SetFileName(const std::string& path) {
    SetText(TField::FileName, path);
    const std::string& caption = Text(TField::Title);
    const size_t dash = caption.find('-');
    SetText(TField::Title, dash == std::string::npos ? path : caption.substr(0, dash + 1) + path);
}

void TRegressDocument::NewDocument(const std::string& path) {
    TCommand command(*this);
    SetFileName(path);
    SetLastFit(nullptr);
    for (TField field :
         {TField::DisplayedFormula, TField::Coefficients, TField::FittedFormula, TField::RightSide,
          TField::Correlation, TField::MaxError, TField::MeanError})
        SetText(field, "");
    TTableUpdate update(table_);
    table_.EmptyCellsInside(1);
    // The rows are numbered again also when the count is 5 already.
    if (Text(TField::DataPointCount) == "5") {
        table_.ApplyDataPointCount("5");
    } else {
        SetText(TField::DataPointCount, "5");
    }
    SetText(TField::VariableCount, "1");
    aliases_.Clear();
}

void TRegressDocument::OpenDocument(const std::string& path) {
    TCommand command(*this);
    Read(path, true);
    command.Finish();
}

void TRegressDocument::ReadDocument(const std::string& path) {
    TCommand command(*this);
    Read(path, false);
    command.Finish();
}

void TRegressDocument::Read(const std::string& path, bool open) {
    // The file is read into a copy of the document as it is once the cells
    // inside the counts are emptied, and that copy becomes the document
    // afterwards: a file that cannot be opened, or a stop, changes nothing.
    TRegressDocument read(*this, TScratch{});
    TFileSink sink(read);
    std::exception_ptr failure;
    try {
        TTableUpdate update(read.table_);
        ReadDocumentFile(path, sink);
    } catch (const ECommandCancelled&) {
        throw;
    } catch (...) {
        if (!sink.ReadAnything()) {
            if (open && recentFiles_ != nullptr) recentFiles_->AddRecentFile(path);
            throw;
        }
        failure = std::current_exception();
    }
    // Without cells from the file the header row and the row numbers are
    // those the count rules give, so the table can be regressed and saved.
    if (!sink.CellsRead()) {
        read.table_.ApplyDataPointCount(read.Text(TField::DataPointCount));
        read.table_.ApplyVariableCount(read.Text(TField::VariableCount));
    }
    {
        TTableUpdate update(table_);
        Adopt(read);
    }
    SetLastFit(nullptr);
    if (open) {
        SetFileName(path);
        if (recentFiles_ != nullptr) recentFiles_->AddRecentFile(path);
    }
    if (failure) std::rethrow_exception(failure);
}

void TRegressDocument::WriteDocument(const std::string& path) const {
    TCommand command(*this);
    Write(path);
    command.Finish();
}

void TRegressDocument::Write(const std::string& path) const {
    const TFileSource source(*this);
    WriteDocumentFile(path, source);
}

void TRegressDocument::SaveDocument() {
    TCommand command(*this);
    const std::string& path = Text(TField::FileName);
    if (path.empty()) throw EInOutError("Invalid filename", 0);
    Write(path);
    command.Finish();
}

void TRegressDocument::SaveDocumentAs(const std::string& path) {
    TCommand command(*this);
    Write(path);
    SetFileName(path);
    if (recentFiles_ != nullptr) recentFiles_->AddRecentFile(path);
    command.Finish();
}

} // namespace xtq
