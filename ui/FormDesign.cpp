#include "ui/FormDesign.h"

#include "document/Document.h"
#include "document/FormulaLibrary.h"
#include "ui/AliasEditor.h"
#include "ui/DataGrid.h"
#include "ui/LibraryGrid.h"
#include "ui/ManualText.h"
#include "ui/MyStatusBar.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

// The pictures are resources of the static library; they are registered
// before the first window uses them.
static void InitPictures() {
    Q_INIT_RESOURCE(xtq_ui);
}

namespace xtq::ui {
namespace {

constexpr const char* kDesignFontFamily = "宋体";
constexpr int kDesignFontPixels = 12;
// The page size of the design; the window is sized so that its pages have it.
constexpr int kPageWidth = 883;
constexpr int kPageHeight = 573;
constexpr int kTabelleHeight = 293;

// A horizontal rule along the top or the bottom of its box.
class TBevel : public QWidget {
public:
    TBevel(bool atBottom, QWidget* parent) : QWidget(parent), atBottom_(atBottom) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const int y = atBottom_ ? height() - 2 : 0;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(0, y, width() - 1, y);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(0, y + 1, width() - 1, y + 1);
    }

private:
    bool atBottom_;
};

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int left, int top,
                  bool bold = false, bool navy = false) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(name);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    if (navy) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
        label->setPalette(palette);
    }
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const char* text, int left, int top,
                    int width, int height, bool readOnly = false) {
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setObjectName(name);
    edit->setGeometry(left, top, width, height);
    edit->setReadOnly(readOnly);
    edit->setTextMargins(0, 0, 0, 0);
    return edit;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, int left, int top, int width,
                         int height) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setGeometry(left, top, width, height);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return memo;
}

// A group box whose etched frame starts at half the title's height, the title
// set into the frame's top line at the left.
class TGroupBox : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect frame(0, top, width() - 2, height() - top - 2);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(frame);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.translated(1, 1));
        const QString text = title();
        const QRect caption(8, 0, metrics.horizontalAdvance(text) + 4, metrics.height());
        painter.fillRect(caption, palette().window());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(caption.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    }
};

QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* title, int left, int top,
                     int width, int height) {
    auto* group = new TGroupBox(QString::fromUtf8(title), parent);
    group->setObjectName(name);
    group->setGeometry(left, top, width, height);
    return group;
}

QIcon Picture(const char* name) {
    return QIcon(QString(":/xtq/icons/%1.svg").arg(name));
}

// Keeps a widget at the bottom of its parent across the parent's full width.
class TBottomAnchor : public QObject {
public:
    TBottomAnchor(QWidget* child, int height) : QObject(child), child_(child), height_(height) {
        child->parentWidget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == child_->parentWidget()) {
            const QWidget* page = child_->parentWidget();
            child_->setGeometry(0, page->height() - height_, page->width(), height_);
        }
        return false;
    }

private:
    QWidget* child_;
    int height_;
};

} // namespace

QFont DesignFont() {
    QFont font(QString::fromUtf8(kDesignFontFamily));
    font.setPixelSize(kDesignFontPixels);
    return font;
}

void InstallDesignFont() {
    const QString family = QString::fromUtf8(kDesignFontFamily);
    const QStringList families = QFontDatabase::families();
    if (!families.contains(family) && !families.contains("SimSun")) {
        // One installed Simplified-Chinese face for Latin and Chinese alike.
        static const char* const kPreferred[] = {"WenQuanYi Zen Hei", "Noto Sans CJK SC",
                                                 "Noto Serif CJK SC", "AR PL UMing CN",
                                                 "Droid Sans Fallback"};
        QString substitute;
        for (const char* name : kPreferred)
            if (families.contains(QString::fromUtf8(name))) {
                substitute = QString::fromUtf8(name);
                break;
            }
        if (substitute.isEmpty()) {
            const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
            if (!chinese.isEmpty()) substitute = chinese.front();
        }
        if (!substitute.isEmpty()) QFont::insertSubstitution(family, substitute);
    } else if (!families.contains(family)) {
        QFont::insertSubstitution(family, "SimSun");
    }
    QApplication::setFont(DesignFont());
}

void TFormDesign::CreateDesign(QMainWindow* window, const TDesignModels& models) {
    InitPictures();
    window->setObjectName("FormRegress");
    window->setFont(DesignFont());
    CreateMenus(window);

    auto* central = new QWidget(window);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    CreateToolBar(window);
    column->addWidget(CoolBar1);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName("TabSheet3");
    PageControl1->addTab(TabSheet1, QString::fromUtf8("回归计算"));
    PageControl1->addTab(TabSheet2, QString::fromUtf8("公式定义"));
    PageControl1->addTab(TabSheet3, QString::fromUtf8("简易说明"));
    column->addWidget(PageControl1, 1);
    window->setCentralWidget(central);

    CreateComputationPage(models);
    CreateFormulaPage(models);
    CreateManualPage();
    CreateStatusBar(window);
    SetTabOrders();

    // The designed size: the pages get the size they were laid out for.
    TabSheet1->setMinimumSize(kPageWidth, kPageHeight);
    window->adjustSize();
    const QSize designed = window->size();
    TabSheet1->setMinimumSize(0, 0);
    window->resize(designed);
}

void TFormDesign::CreateMenus(QMainWindow* window) {
    QMenuBar* bar = window->menuBar();
    bar->setObjectName("MainMenu1");
    auto entry = [window](QMenu* menu, const char* name, const char* caption) {
        auto* action = new QAction(QString::fromUtf8(caption), window);
        action->setObjectName(name);
        // The picture belongs to the tool button alone.
        action->setIconVisibleInMenu(false);
        menu->addAction(action);
        return action;
    };
    Main_File = bar->addMenu(QString::fromUtf8("&F 文件"));
    Main_File->setObjectName("Main_File");
    File_New = entry(Main_File, "File_New", "&N 新建");
    File_Open = entry(Main_File, "File_Open", "&O 打开");
    Main_File->addSeparator()->setObjectName("N2");
    File_Save = entry(Main_File, "File_Save", "&S 保存");
    File_Saveas = entry(Main_File, "File_Saveas", "&A 另存为");
    Main_File->addSeparator()->setObjectName("N1");
    File_Exit = entry(Main_File, "File_Exit", "&E 结束");

    MainCal = bar->addMenu(QString::fromUtf8("&C 回归计算"));
    MainCal->setObjectName("MainCal");
    Cal_Regress = entry(MainCal, "Cal_Regress", "&R 回归");

    Main_Edit = bar->addMenu(QString::fromUtf8("&E 编辑"));
    Main_Edit->setObjectName("Main_Edit");
    Edit_Select = entry(Main_Edit, "Edit_Select", "&T 选择公式");
    Edit_Save = entry(Main_Edit, "Edit_Save", "&S 保存公式库");
    Main_Edit->menuAction()->setEnabled(false);

    AARS1 = bar->addAction(QString::fromUtf8("&A 关于XTQ"));
    AARS1->setObjectName("AARS1");
}

void TFormDesign::CreateToolBar(QMainWindow* window) {
    CoolBar1 = new QFrame(window);
    CoolBar1->setObjectName("CoolBar1");
    CoolBar1->setFixedHeight(32);
    static_cast<QFrame*>(CoolBar1)->setFrameShape(QFrame::StyledPanel);
    static_cast<QFrame*>(CoolBar1)->setFrameShadow(QFrame::Raised);
    auto* band = new QHBoxLayout(CoolBar1);
    band->setContentsMargins(11, 2, 2, 2);
    band->setSpacing(0);
    auto* toolBar = new QToolBar(CoolBar1);
    toolBar->setObjectName("ToolBar1");
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    band->addWidget(toolBar);
    band->addStretch(1);

    // A tool button shows its command's action: its picture, and its hint as
    // the tool tip (the menu shows no tool tips).
    auto button = [toolBar](const char* name, QAction* action, const char* picture,
                            const char* hint) {
        action->setIcon(Picture(picture));
        action->setToolTip(QString::fromUtf8(hint));
        auto* b = new QToolButton(toolBar);
        b->setObjectName(name);
        b->setDefaultAction(action);
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(23, 22);
        toolBar->addWidget(b);
        return b;
    };
    auto separator = [toolBar](const char* name) { toolBar->addSeparator()->setObjectName(name); };
    TBOpen = button("TBOpen", File_Open, "open", "打开");
    TBsave = button("TBsave", File_Save, "save", "保存");
    TBSaveas = button("TBSaveas", File_Saveas, "saveas", "另存为");
    separator("ToolButton4");
    TBRegress = button("TBRegress", Cal_Regress, "regress", "回归");
    separator("ToolButton6");
    TBSelect = button("TBSelect", Edit_Select, "select", "选择公式");
    TBTemSave = button("TBTemSave", Edit_Save, "table", "保存公式库");
    separator("ToolButton9");
    TBExit = button("TBExit", File_Exit, "exit", "结束");
    Edit_Select->setEnabled(false);
    Edit_Save->setEnabled(false);
}

void TFormDesign::CreateComputationPage(const TDesignModels& models) {
    QWidget* page = TabSheet1;
    MakeLabel(page, "Label3", "①回归公式", 4, 10, true);
    auto* bevel3 = new TBevel(true, page);
    bevel3->setObjectName("Bevel3");
    bevel3->setGeometry(72, 8, 810, 9);

    QGroupBox* group1 = MakeGroup(page, "GroupBox1", "回归公式", 0, 27, 881, 45);
    EditFa = MakeEdit(group1, "EditFa", "Y", 8, 18, 23, 20, true);
    MakeLabel(group1, "Label4", "=", 32, 21);
    EditAeq = MakeEdit(group1, "EditAeq", "", 40, 18, 825, 20, true);

    QGroupBox* group4 = MakeGroup(page, "GroupBox4", "回归结果", 0, 85, 881, 123);
    MemoCoefs = MakeMemo(group4, "MemoCoefs", 2, 15, 711, 50);
    MemoResult = MakeMemo(group4, "MemoResult", 2, 68, 711, 50);
    MakeLabel(group4, "Label11", "相关系数", 720, 24);
    LabelR = MakeLabel(group4, "LabelR", "0.00", 794, 24);
    MakeLabel(group4, "Label12", "平均误差(%)", 720, 49);
    Labelea = MakeLabel(group4, "Labelea", "0.00", 794, 49);
    MakeLabel(group4, "Label14", "最大误差(%)", 720, 75);
    Labelem = MakeLabel(group4, "Labelem", "0.00", 794, 75);

    MakeLabel(page, "Label10", "②数据输入", 4, 225, true);
    auto* bevel4 = new TBevel(true, page);
    bevel4->setObjectName("Bevel4");
    bevel4->setGeometry(72, 224, 808, 9);
    MakeLabel(page, "Label9", "数据点数", 1, 256);
    EditNuRow = MakeEdit(page, "EditNuRow", "0", 54, 254, 28, 20);
    SBRegress = new QPushButton(QString::fromUtf8("回归计算"), page);
    SBRegress->setObjectName("SBRegress");
    SBRegress->setGeometry(185, 249, 65, 25);
    SBRegress->setFocusPolicy(Qt::NoFocus);

    Tabelle = new TDataGrid(models.Document, page);
    Tabelle->setGeometry(0, 280, kPageWidth, kTabelleHeight);
    new TBottomAnchor(Tabelle, kTabelleHeight);
}

void TFormDesign::CreateFormulaPage(const TDesignModels& models) {
    QWidget* page = TabSheet2;
    MakeLabel(page, "Label6", "①当前回归公式", 8, 7, true);
    auto* bevel2 = new TBevel(false, page);
    bevel2->setObjectName("Bevel2");
    bevel2->setGeometry(102, 12, 773, 8);
    MakeLabel(page, "Label7", "这里你可以手工输入回归的公式。", 8, 26, false, true);
    MakeLabel(page, "Label2", "回归公式", 8, 45);
    EditFd = MakeEdit(page, "EditFd", "Y", 64, 44, 37, 20);
    MakeLabel(page, "Labelfd", "=", 105, 46);
    EditEqual = MakeEdit(page, "EditEqual", "", 115, 44, 431, 20);
    MakeLabel(page, "Label1", "独立变量数", 567, 45);
    EditNuCol = MakeEdit(page, "EditNuCol", "00", 632, 42, 20, 20);
    MakeLabel(page, "LabelAx", "变量别名", 8, 112);
    ValueListEditor1 = new TAliasEditor(models.Document.Aliases(), models.Run, page);
    ValueListEditor1->setGeometry(64, 70, 306, 96);

    MakeLabel(page, "Label5", "②系统预定义公式库", 6, 170, true);
    auto* bevel1 = new TBevel(false, page);
    bevel1->setObjectName("Bevel1");
    bevel1->setGeometry(129, 175, 747, 9);
    MakeLabel(page, "Label8",
              "这里是预定义的公式库。你可以手工选择当前回归公式，然后按“选择公式”。"
              "也可以在此扩充预定义公式库并按“保存公式库”永久保存。",
              8, 188, false, true);

    DBGrid1 = new TLibraryGrid(models.Library, models.Run, models.ConfirmDelete, page);
    DBGrid1->setGeometry(8, 234, 865, 334);
    DBNavigator1 = new TLibraryNavigator(*DBGrid1, models.Run, page);
    DBNavigator1->setGeometry(8, 206, 240, 25);
    DBGrid1->Changed = [this] { DBNavigator1->UpdateButtons(); };

    BitBtnSave = new QPushButton(page->style()->standardIcon(QStyle::SP_DialogOkButton),
                                 QString::fromUtf8("选择公式"), page);
    BitBtnSave->setObjectName("BitBtnSave");
    BitBtnSave->setGeometry(261, 206, 95, 25);
    BitBtn1 = new QPushButton(page->style()->standardIcon(QStyle::SP_DialogYesButton),
                              QString::fromUtf8("保存公式库"), page);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(362, 206, 95, 25);
}

void TFormDesign::CreateManualPage() {
    RichEditManual = new QTextEdit(TabSheet3);
    RichEditManual->setObjectName("RichEditManual");
    RichEditManual->setGeometry(16, 24, 849, 521);
    RichEditManual->setReadOnly(true);
    RichEditManual->setAcceptRichText(false);
    RichEditManual->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditManual->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEditManual->setPlainText(ManualLines().join(QChar('\n')));
}

void TFormDesign::CreateStatusBar(QMainWindow* window) {
    MyStatusBar1 = new TMyStatusBar(window);
    MyStatusBar1->setFixedHeight(19);
    MyStatusBar1->setSizeGripEnabled(true);
    MyStatusBar1->SetPanels({TStatusPanel{{}, 200, TPanelStyle::Text},
                             TStatusPanel{StatusNotice(), 500, TPanelStyle::Text},
                             TStatusPanel{{}, 500, TPanelStyle::OwnerDraw}});
    MyStatusBar1->SetPIndex(2);
    window->setStatusBar(MyStatusBar1);
}

void TFormDesign::SetTabOrders() {
    // Computation page: Tabelle, GroupBox1 (EditAeq, EditFa), GroupBox4
    // (MemoResult, MemoCoefs), EditNuRow.
    QWidget::setTabOrder(Tabelle, EditAeq);
    QWidget::setTabOrder(EditAeq, EditFa);
    QWidget::setTabOrder(EditFa, MemoResult);
    QWidget::setTabOrder(MemoResult, MemoCoefs);
    QWidget::setTabOrder(MemoCoefs, EditNuRow);
    // Formula page: EditEqual, ValueListEditor1, EditFd, EditNuCol, DBGrid1,
    // DBNavigator1, BitBtnSave, BitBtn1.
    QWidget::setTabOrder(EditEqual, ValueListEditor1);
    QWidget::setTabOrder(ValueListEditor1, EditFd);
    QWidget::setTabOrder(EditFd, EditNuCol);
    QWidget::setTabOrder(EditNuCol, DBGrid1);
    QWidget::setTabOrder(DBGrid1, DBNavigator1);
    QWidget::setTabOrder(DBNavigator1, BitBtnSave);
    QWidget::setTabOrder(BitBtnSave, BitBtn1);
}

} // namespace xtq::ui
