#include "ui/MyStatusBar.h"

#include <QHelpEvent>
#include <QPainter>
#include <QProgressBar>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

namespace xtq::ui {

TMyStatusBar::TMyStatusBar(QWidget* parent) : QStatusBar(parent) {
    setObjectName("MyStatusBar1");
    panels_ = {TStatusPanel{{}, 50, TPanelStyle::Text}, TStatusPanel{{}, 50, TPanelStyle::Text},
               TStatusPanel{{}, 50, TPanelStyle::OwnerDraw}};
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("ProgressBar");
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    progressBar_->hide();
    cancelButton_ = new QToolButton(this);
    cancelButton_->setObjectName("CancelButton");
    cancelButton_->setText(QString::fromUtf8("取消"));
    cancelButton_->setToolTip(QString::fromUtf8("停止正在执行的命令（Esc）"));
    cancelButton_->setFocusPolicy(Qt::NoFocus);
    cancelButton_->hide();
    pIndex_ = 2;
}

namespace {

constexpr int kCancelWidth = 40;

} // namespace

void TMyStatusBar::SetCancelShown(bool shown) {
    if (cancelShown_ == shown) return;
    cancelShown_ = shown;
    if (!shown) cancelButton_->hide();
    repaint();
}

bool TMyStatusBar::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        for (int i = 0; i < PanelCount(); ++i) {
            const TStatusPanel& panel = panels_[static_cast<size_t>(i)];
            const QRect r = PanelRect(i);
            if (!r.contains(at) || panel.Style != TPanelStyle::Text) continue;
            if (fontMetrics().horizontalAdvance(panel.Text) > r.width() - 6) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), panel.Text, this,
                                   r);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QStatusBar::event(event);
}

TMyStatusBar::~TMyStatusBar() {
    delete progressBar_;
}

void TMyStatusBar::SetPanels(std::vector<TStatusPanel> panels) {
    panels_ = std::move(panels);
    const int index = pIndex_;
    // The design's PIndex goes through the setter.
    pIndex_ = std::min(pIndex_, PanelCount() - 1);
    SetPIndex(index);
    update();
}

void TMyStatusBar::SetPanelText(int index, const QString& text) {
    if (index < 0 || index >= PanelCount()) return;
    TStatusPanel& panel = panels_[static_cast<size_t>(index)];
    if (panel.Text == text) return;
    panel.Text = text;
    update(PanelRect(index));
}

void TMyStatusBar::SetPanelWidth(int index, int width) {
    if (index < 0 || index >= PanelCount()) return;
    panels_[static_cast<size_t>(index)].Width = width;
    update();
}

void TMyStatusBar::SetPanelStyle(int index, TPanelStyle style) {
    if (index < 0 || index >= PanelCount()) return;
    panels_[static_cast<size_t>(index)].Style = style;
    update();
}

void TMyStatusBar::SetPIndex(int index) {
    if (index < 0 || index >= PanelCount()) return;
    if (pIndex_ > PanelCount() - 1) pIndex_ = PanelCount() - 1;
    if (pIndex_ >= 0) panels_[static_cast<size_t>(pIndex_)].Style = TPanelStyle::Text;
    panels_[static_cast<size_t>(index)].Style = TPanelStyle::OwnerDraw;
    pIndex_ = index;
    // Detached until the panel paints again.
    progressBar_->hide();
    repaint();
}

QRect TMyStatusBar::PanelRect(int index) const {
    int left = 0;
    for (int i = 0; i < index && i < PanelCount(); ++i)
        left += panels_[static_cast<size_t>(i)].Width;
    int right = left + panels_.at(static_cast<size_t>(index)).Width;
    if (index == PanelCount() - 1) right = std::max(left, width());
    // Two pixels of the bar's edge above each panel.
    return QRect(QPoint(left, 2), QPoint(right - 1, height() - 1));
}

void TMyStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < PanelCount(); ++i) {
        const QRect r = PanelRect(i);
        const TStatusPanel& panel = panels_[static_cast<size_t>(i)];
        // A sunken frame; the last panel's right edge is left to the size grip.
        const int right = (i == PanelCount() - 1) ? r.right() + 1 : r.right() - 1;
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(r.left(), r.top(), right - 1, r.top());
        painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(r.left(), r.bottom(), right - 1, r.bottom());
        if (i != PanelCount() - 1) painter.drawLine(right - 1, r.top(), right - 1, r.bottom());
        if (panel.Style == TPanelStyle::OwnerDraw) {
            DrawPanel(painter, i, r);
        } else if (!panel.Text.isEmpty()) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.setFont(font());
            const QRect textRect(r.left() + 3, r.top(), right - r.left() - 6, r.height());
            const QString shown =
                painter.fontMetrics().elidedText(panel.Text, Qt::ElideRight, textRect.width());
            painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             shown);
        }
    }
}

void TMyStatusBar::DrawPanel(QPainter& painter, int index, const QRect& rect) {
    painter.fillRect(rect.adjusted(1, 1, 0, -1), palette().window());
    if (index != pIndex_) return;
    // One pixel beyond the panel at the left, top and bottom, twelve short of
    // its right edge.
    QRect place(QPoint(rect.left() - 1, rect.top() - 1),
                QPoint(rect.right() + 1 - 12 - 1, rect.bottom() + 1));
    if (cancelShown_) {
        const QRect button(QPoint(place.right() + 1 - kCancelWidth, place.top()),
                           QPoint(place.right(), place.bottom()));
        place.setRight(button.left() - 3);
        if (cancelButton_->geometry() != button) cancelButton_->setGeometry(button);
        if (cancelButton_->isHidden()) cancelButton_->show();
    }
    if (progressBar_->geometry() != place) progressBar_->setGeometry(place);
    if (progressBar_->isHidden()) progressBar_->show();
}

} // namespace xtq::ui
