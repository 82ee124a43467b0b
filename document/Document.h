#pragma once
// The document model: every field of a regression document by the name of the
// control that shows it, the alias list, the data table, the status message,
// the window title and the current file name, with the change rules and the
// commands New, Open, Save, Save As, apply definition and Regress. A window
// binds its controls to it and follows it through TDocumentListener; every
// rule lives here.

#include "document/AliasList.h"
#include "document/DataTable.h"
#include "document/DocumentListener.h"
#include "document/Progress.h"
#include "regression/FitResult.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace xtq {

inline constexpr const char* kInitialCaption = "Orvane(XTQ V1.1)-空白";
// Status message of a Regress run at a value that is not a number; the data
// point's number follows.
inline constexpr const char* kIncompleteDataMessage = "数据不完整。数据点：";
// Status message of a Regress run whose least-squares system is singular.
inline constexpr const char* kSingularFitMessage =
    "回归失败：公式中的常数无法区分（项之间线性相关），或数据点太少。";
// Status message of a Regress run on a table whose header row leaves no
// measured-value column before the two result columns.
inline constexpr const char* kNoMeasuredColumnMessage =
    "数据表格的表头与独立变量数不符：没有实测值列。";
// Message of the blank left-side name check (title "错误").
inline constexpr const char* kBlankNameMessage = "不能为空白！";
inline constexpr const char* kBlankNameTitle = "错误";

// A command started while another one runs (from inside a progress report).
XTQ_DECLARE_ERROR(EDocumentBusy, Exception);
inline constexpr const char* kBusyMessage = "正在执行另一个命令，请等它结束。";

// Open (and Save As) put the file name at the top of the recent-files list
// through this; the recent-files list implements it.
class IRecentFiles {
public:
    virtual ~IRecentFiles() = default;
    virtual void AddRecentFile(const std::string& fileName) = 0;
};

enum class TRegressOutcome {
    Done,
    // Stopped before the fit: a value that is not a number (the status panel
    // names the data point and the cell is current), no data point at all, or
    // no measured-value column. Nothing else changed.
    IncompleteData,
    // The least-squares system was singular: the results are written as the
    // fit gives them (fitted values 0), the coefficient list is empty, and the
    // status panel says why.
    Singular,
};

struct TRect {
    int left;
    int top;
    int right; // first pixel past the cell
    int bottom;
};

class TRegressDocument {
public:
    // The document as start-up leaves it: "Y" as the left-side name, "0.00" in
    // the three statistics, five data rows and one variable.
    TRegressDocument();
    TRegressDocument(const TRegressDocument&) = delete;
    TRegressDocument& operator=(const TRegressDocument&) = delete;

    const std::string& Text(TField field) const { return fields_[static_cast<int>(field)]; }
    // Sets the text and, when it differs from the current one, runs the
    // field's change rule: the left-side name is mirrored, the data-point
    // count and the variable count run the count rules of the table. A count beyond the maximum
    // raises ECountRangeError and leaves the field as it was (the window then
    // shows the model's text again).
    void SetText(TField field, std::string text);

    TAliasList& Aliases() { return aliases_; }
    const TAliasList& Aliases() const { return aliases_; }
    TDataTable& Table() { return table_; }
    const TDataTable& Table() const { return table_; }

    void AddListener(TDocumentListener* listener) { listeners_.Add(listener); }
    void RemoveListener(TDocumentListener* listener) { listeners_.Remove(listener); }
    void SetRecentFiles(IRecentFiles* recentFiles) { recentFiles_ = recentFiles; }
    // Where Open, Regress (also through ApplyDefinition), Save and Save As
    // report their progress, at most once per interval; none by default.
    void SetProgress(IProgress* progress,
                     std::chrono::steady_clock::duration interval = kProgressInterval) {
        progress_ = progress;
        progressInterval_ = interval;
    }
    // True while one of the commands below runs. Starting another one then
    // raises EDocumentBusy and changes nothing.
    bool Busy() const { return busy_; }

    // Header display. The header cells of columns 1 to 20
    // show their stored text with the aliases substituted, "Y。" replaced by
    // the left-side name and "Y`" by the left-side name and "`" (letter case
    // ignored), painted followed by three blanks and with a grey marker. Every
    // other cell shows its stored text.
    static bool HasHeaderDisplay(int col, int row) { return row == 0 && col >= 1 && col <= 20; }
    std::string DisplayText(int col, int row) const;
    // The text painted over a header cell with a header display: the display
    // text followed by three blanks, at (left + 2, top).
    std::string HeaderPaintText(int col) const { return DisplayText(col, 0) + "   "; }
    // The marker's box (right and bottom excluded) for a cell rectangle.
    static TRect HeaderMarkerBox(const TRect& cell);

    // The left-side name check when its field loses the focus: true when the name
    // is blank and kBlankNameMessage is to be shown.
    bool LeftSideNameIsBlank() const;

    // The apply-definition step (ApplyDefinition), run when the user leaves the
    // formula page: unless the right side is blank, EditAeq shows it with the
    // aliases substituted and "*" as ".", and Regress runs. Returns false when
    // nothing ran.
    bool ApplyDefinition();

    // The Regress command. Formula and arithmetic errors propagate; what the
    // run wrote before stays.
    TRegressOutcome Regress();

    // The result of the last run that reached the fit (a singular system
    // included), beside the texts it wrote; none after New and Open, and
    // none before the first run. A run that stops at a bad value keeps the
    // one before, as it keeps the texts.
    const TFitResult* LastFit() const { return lastFit_.get(); }

    // New: `path` is the name chosen in the Save dialog; no file is written.
    void NewDocument(const std::string& path);
    // Open: names the file in the title and the recent-files list, then reads
    // it (ReadDocument). Errors propagate with what was read before applied.
    void OpenDocument(const std::string& path);
    // Save writes CurrentFileName; while it is empty the window asks for a
    // path as for Save As.
    bool SaveNeedsPath() const { return Text(TField::FileName).empty(); }
    void SaveDocument();
    // Save As writes the chosen path and, once written, makes it the current
    // file: title, CurrentFileName and the recent-files list follow.
    void SaveDocumentAs(const std::string& path);

    // The reading part of Open: empties the cells inside the counts and reads
    // the file into the document.
    void ReadDocument(const std::string& path);
    // Writes the document; on any failure the file on disk is unchanged.
    void WriteDocument(const std::string& path) const;

private:
    class TFileSink;
    class TFileSource;
    class TCommand;

    void Notify(TField field);
    void SetLastFit(std::unique_ptr<TFitResult> fit);
    void SetFileName(const std::string& path);
    // The commands without the busy guard, for use inside a command.
    TRegressOutcome RunRegression();
    // Reads the file; Open (`open`) also names it in the title and the
    // recent-files list.
    void Read(const std::string& path, bool open);
    // A copy of `current` as Open finds it once the cells inside the counts
    // are emptied, without listeners.
    struct TScratch {};
    TRegressDocument(const TRegressDocument& current, TScratch);
    // Takes over what `read` holds, reporting every change.
    void Adopt(TRegressDocument& read);
    void Write(const std::string& path) const;

    std::array<std::string, kFieldCount> fields_;
    TAliasList aliases_;
    TDataTable table_;
    TListenerList listeners_;
    std::unique_ptr<TFitResult> lastFit_;
    IRecentFiles* recentFiles_ = nullptr;
    IProgress* progress_ = nullptr;
    std::chrono::steady_clock::duration progressInterval_ = kProgressInterval;
    // The running command's state; the const Save sets them as well.
    mutable bool busy_ = false;
    mutable TProgressMeter* meter_ = nullptr;
};

} // namespace xtq
