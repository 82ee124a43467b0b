#pragma once
// TMyStatusBar: a status bar of panels that carries a progress bar inside one
// owner-drawn panel, PIndex. The progress bar is placed on its panel whenever
// the panel paints, so it follows the panel when the bar is resized.

#include <QStatusBar>
#include <QString>
#include <vector>

class QProgressBar;
class QToolButton;

namespace xtq::ui {

enum class TPanelStyle { Text, OwnerDraw };

struct TStatusPanel {
    QString Text;
    int Width = 50;
    TPanelStyle Style = TPanelStyle::Text;
};

class TMyStatusBar : public QStatusBar {
    Q_OBJECT
    Q_PROPERTY(int PIndex READ PIndex WRITE SetPIndex)

public:
    // Three panels (text, text, owner-drawn), the progress bar "ProgressBar"
    // (range 0 to 100, position 0, hidden until its panel first paints) and
    // PIndex 2, set without the setter.
    explicit TMyStatusBar(QWidget* parent = nullptr);
    ~TMyStatusBar() override;

    int PanelCount() const { return static_cast<int>(panels_.size()); }
    const TStatusPanel& Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
    // Replaces the panels, as a window design does; then applies PIndex
    // through the setter, so that the panel at PIndex is owner-drawn.
    void SetPanels(std::vector<TStatusPanel> panels);
    void SetPanelText(int index, const QString& text);
    void SetPanelWidth(int index, int width);
    void SetPanelStyle(int index, TPanelStyle style);

    int PIndex() const { return pIndex_; }
    // Out-of-range values are ignored. Otherwise the panel that held the
    // progress bar becomes a text panel, the panel at `index` owner-drawn, and
    // the bar is hidden until the repaint that follows places it there.
    virtual void SetPIndex(int index);

    QProgressBar* ProgressBar() const { return progressBar_; }

    // While a long command runs: the Cancel button at the right end of the
    // progress panel, the progress bar shortened to make room for it.
    QToolButton* CancelButton() const { return cancelButton_; }
    void SetCancelShown(bool shown);

    // The rectangle of a panel in the bar's coordinates (right and bottom
    // excluded); the last panel reaches the right edge of the bar.
    QRect PanelRect(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A text panel whose text does not fit shows it cut with "…" and whole
    // in a tool tip.
    bool event(QEvent* event) override;
    // Called for every owner-drawn panel that paints.
    virtual void DrawPanel(QPainter& painter, int index, const QRect& rect);

private:
    std::vector<TStatusPanel> panels_;
    int pIndex_ = 2;
    QProgressBar* progressBar_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
    bool cancelShown_ = false;
};

} // namespace xtq::ui
