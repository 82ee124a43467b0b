#include "ui/Unit1.h"

#include "document/AliasDecoding.h"
#include "document/CommandErrors.h"
#include "document/ProgramPaths.h"
#include "ui/AliasEditor.h"
#include "ui/DataGrid.h"
#include "ui/LibraryGrid.h"
#include "ui/ManualText.h"
#include "ui/MyStatusBar.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <clocale>
#include <exception>

// The pictures are resources of the static library; they are registered
// before the first window uses them.
static void InitPictures() {
    Q_INIT_RESOURCE(xtq_ui);
}

namespace xtq::ui {
namespace {

constexpr const char* kDesignFontFamily = "宋体";
constexpr int kDesignFontPixels = 12;
constexpr const char* kDocumentFilter = "方程回归数据文件(*.rgs)";
constexpr int kComputationPage = 0;
constexpr int kFormulaPage = 1;
// The page size of the design; the window is sized so that its pages have it.
constexpr int kPageWidth = 883;
constexpr int kPageHeight = 573;
constexpr int kTabelleHeight = 293;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

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

// ---- Font ----

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

// ---- Construction ----

TFormRegress::TFormRegress(const std::string& executablePath, IUserDialogs& dialogs,
                           QWidget* parent)
    : QMainWindow(parent), executablePath_(executablePath), dialogs_(dialogs),
      appTitle_(Q(ApplicationTitle(executablePath))), programDir_(ProgramDirOf(executablePath)),
      libraryFile_(LibraryFileOf(programDir_)), recent_(OptionsFileOf(programDir_)) {
    setObjectName("FormRegress");
    InitPictures();
    CreateDesign();
    document_.AddListener(this);
    document_.SetRecentFiles(this);
    document_.SetProgress(this);
    qApp->installEventFilter(this);
    FormCreate();
}

TFormRegress::~TFormRegress() {
    qApp->removeEventFilter(this);
    document_.SetProgress(nullptr);
    document_.SetRecentFiles(nullptr);
    document_.RemoveListener(this);
}

void TFormRegress::CreateDesign() {
    setWindowTitle(Q(document_.Text(TField::Title)));
    setFont(DesignFont());
    CreateMenus();

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    CreateToolBar();
    column->addWidget(findChild<QFrame*>("CoolBar1"));

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
    setCentralWidget(central);

    CreateComputationPage();
    CreateFormulaPage();
    CreateManualPage();
    CreateStatusBar();
    SetTabOrders();

    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { PageChanged(index); });

    // The designed size: the pages get the size they were laid out for.
    TabSheet1->setMinimumSize(kPageWidth, kPageHeight);
    adjustSize();
    const QSize designed = size();
    TabSheet1->setMinimumSize(0, 0);
    resize(designed);
}

void TFormRegress::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    auto action = [this](QMenu* menu, const char* name, const char* caption) {
        auto* item = menu->addAction(QString::fromUtf8(caption));
        item->setObjectName(name);
        return item;
    };
    Main_File = bar->addMenu(QString::fromUtf8("&F 文件"));
    Main_File->setObjectName("Main_File");
    File_New = action(Main_File, "File_New", "&N 新建");
    File_Open = action(Main_File, "File_Open", "&O 打开");
    Main_File->addSeparator()->setObjectName("N2");
    File_Save = action(Main_File, "File_Save", "&S 保存");
    File_Saveas = action(Main_File, "File_Saveas", "&A 另存为");
    Main_File->addSeparator()->setObjectName("N1");
    File_Exit = action(Main_File, "File_Exit", "&E 结束");

    MainCal = bar->addMenu(QString::fromUtf8("&C 回归计算"));
    MainCal->setObjectName("MainCal");
    Cal_Regress = action(MainCal, "Cal_Regress", "&R 回归");

    Main_Edit = bar->addMenu(QString::fromUtf8("&E 编辑"));
    Main_Edit->setObjectName("Main_Edit");
    Edit_Select = action(Main_Edit, "Edit_Select", "&T 选择公式");
    Edit_Save = action(Main_Edit, "Edit_Save", "&S 保存公式库");
    Main_Edit->menuAction()->setEnabled(false);

    AARS1 = bar->addAction(QString::fromUtf8("&A 关于XTQ"));
    AARS1->setObjectName("AARS1");

    connect(File_New, &QAction::triggered, this, [this] { File_NewClick(); });
    connect(File_Open, &QAction::triggered, this, [this] { File_OpenClick(File_Open); });
    connect(File_Save, &QAction::triggered, this, [this] { File_SaveClick(File_Save); });
    connect(File_Saveas, &QAction::triggered, this, [this] { File_SaveClick(File_Saveas); });
    connect(File_Exit, &QAction::triggered, this, [this] { File_ExitClick(); });
    connect(Cal_Regress, &QAction::triggered, this, [this] { SBRegressClick(); });
    connect(Edit_Select, &QAction::triggered, this, [this] { Edit_SelectClick(); });
    connect(Edit_Save, &QAction::triggered, this, [this] { Edit_SaveClick(); });
    connect(AARS1, &QAction::triggered, this, [this] { AARS1Click(); });
}

void TFormRegress::CreateToolBar() {
    auto* coolBar = new QFrame(this);
    coolBar->setObjectName("CoolBar1");
    coolBar->setFixedHeight(32);
    coolBar->setFrameShape(QFrame::StyledPanel);
    coolBar->setFrameShadow(QFrame::Raised);
    auto* band = new QHBoxLayout(coolBar);
    band->setContentsMargins(11, 2, 2, 2);
    band->setSpacing(0);
    auto* toolBar = new QToolBar(coolBar);
    toolBar->setObjectName("ToolBar1");
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    band->addWidget(toolBar);
    band->addStretch(1);

    auto button = [this, toolBar](const char* name, const char* picture, const char* hint) {
        auto* b = new QToolButton(toolBar);
        b->setObjectName(name);
        b->setIcon(Picture(picture));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(QString::fromUtf8(hint));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(23, 22);
        toolBar->addWidget(b);
        (void)this;
        return b;
    };
    auto separator = [toolBar](const char* name) { toolBar->addSeparator()->setObjectName(name); };
    TBOpen = button("TBOpen", "open", "打开");
    TBsave = button("TBsave", "save", "保存");
    TBSaveas = button("TBSaveas", "saveas", "另存为");
    separator("ToolButton4");
    TBRegress = button("TBRegress", "regress", "回归");
    separator("ToolButton6");
    TBSelect = button("TBSelect", "select", "选择公式");
    TBTemSave = button("TBTemSave", "table", "保存公式库");
    separator("ToolButton9");
    TBExit = button("TBExit", "exit", "结束");
    TBSelect->setEnabled(false);
    TBTemSave->setEnabled(false);

    connect(TBOpen, &QToolButton::clicked, this, [this] { File_OpenClick(TBOpen); });
    connect(TBsave, &QToolButton::clicked, this, [this] { File_SaveClick(TBsave); });
    connect(TBSaveas, &QToolButton::clicked, this, [this] { File_SaveClick(TBSaveas); });
    connect(TBRegress, &QToolButton::clicked, this, [this] { SBRegressClick(); });
    connect(TBSelect, &QToolButton::clicked, this, [this] { Edit_SelectClick(); });
    connect(TBTemSave, &QToolButton::clicked, this, [this] { Edit_SaveClick(); });
    connect(TBExit, &QToolButton::clicked, this, [this] { File_ExitClick(); });
}

void TFormRegress::CreateComputationPage() {
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
    connect(SBRegress, &QPushButton::clicked, this, [this] { SBRegressClick(); });

    Tabelle = new TDataGrid(document_, page);
    Tabelle->setGeometry(0, 280, kPageWidth, kTabelleHeight);
    new TBottomAnchor(Tabelle, kTabelleHeight);

    BindField(EditFa, TField::LeftNameMirror);
    BindField(EditAeq, TField::DisplayedFormula);
    BindField(EditNuRow, TField::DataPointCount);
}

void TFormRegress::CreateFormulaPage() {
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
    ValueListEditor1 = new TAliasEditor(
        document_.Aliases(), [this](const std::function<void()>& c) { return RunCommand(c); },
        page);
    ValueListEditor1->setGeometry(64, 70, 306, 96);

    MakeLabel(page, "Label5", "②系统预定义公式库", 6, 170, true);
    auto* bevel1 = new TBevel(false, page);
    bevel1->setObjectName("Bevel1");
    bevel1->setGeometry(129, 175, 747, 9);
    MakeLabel(page, "Label8",
              "这里是预定义的公式库。你可以手工选择当前回归公式，然后按“选择公式”。"
              "也可以在此扩充预定义公式库并按“保存公式库”永久保存。",
              8, 188, false, true);

    const TCommandRunner run = [this](const std::function<void()>& c) { return RunCommand(c); };
    DBGrid1 = new TLibraryGrid(
        library_, run,
        [this] {
            return dialogs_.MessageBox(this, QString::fromUtf8(kDeleteRecordPrompt), "Confirm",
                                       TMessageIcon::Question, TMessageButtons::OkCancel);
        },
        page);
    DBGrid1->setGeometry(8, 234, 865, 334);
    DBNavigator1 = new TLibraryNavigator(*DBGrid1, run, page);
    DBNavigator1->setGeometry(8, 206, 240, 25);
    DBGrid1->Changed = [this] { DBNavigator1->UpdateButtons(); };

    BitBtnSave = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                                 QString::fromUtf8("选择公式"), page);
    BitBtnSave->setObjectName("BitBtnSave");
    BitBtnSave->setGeometry(261, 206, 95, 25);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogYesButton),
                              QString::fromUtf8("保存公式库"), page);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(362, 206, 95, 25);
    connect(BitBtnSave, &QPushButton::clicked, this, [this] { Edit_SelectClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Edit_SaveClick(); });

    BindField(EditFd, TField::LeftName);
    BindField(EditEqual, TField::RightSide);
    BindField(EditNuCol, TField::VariableCount);
    EditFd->installEventFilter(this);
}

void TFormRegress::CreateManualPage() {
    RichEditManual = new QTextEdit(TabSheet3);
    RichEditManual->setObjectName("RichEditManual");
    RichEditManual->setGeometry(16, 24, 849, 521);
    RichEditManual->setReadOnly(true);
    RichEditManual->setAcceptRichText(false);
    RichEditManual->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditManual->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEditManual->setPlainText(ManualLines().join(QChar('\n')));
}

void TFormRegress::CreateStatusBar() {
    MyStatusBar1 = new TMyStatusBar(this);
    MyStatusBar1->setFixedHeight(19);
    MyStatusBar1->setSizeGripEnabled(true);
    MyStatusBar1->SetPanels({TStatusPanel{{}, 200, TPanelStyle::Text},
                             TStatusPanel{StatusNotice(), 500, TPanelStyle::Text},
                             TStatusPanel{{}, 500, TPanelStyle::OwnerDraw}});
    MyStatusBar1->SetPIndex(2);
    setStatusBar(MyStatusBar1);
}

void TFormRegress::SetTabOrders() {
    // Computation page: Tabelle, GroupBox1 (EditAeq, EditFa), GroupBox4
    // (MemoResult, MemoCoefs), EditNuRow.
    setTabOrder(Tabelle, EditAeq);
    setTabOrder(EditAeq, EditFa);
    setTabOrder(EditFa, MemoResult);
    setTabOrder(MemoResult, MemoCoefs);
    setTabOrder(MemoCoefs, EditNuRow);
    // Formula page: EditEqual, ValueListEditor1, EditFd, EditNuCol, DBGrid1,
    // DBNavigator1, BitBtnSave, BitBtn1.
    setTabOrder(EditEqual, ValueListEditor1);
    setTabOrder(ValueListEditor1, EditFd);
    setTabOrder(EditFd, EditNuCol);
    setTabOrder(EditNuCol, DBGrid1);
    setTabOrder(DBGrid1, DBNavigator1);
    setTabOrder(DBNavigator1, BitBtnSave);
    setTabOrder(BitBtnSave, BitBtn1);
}

// ---- Binding to the document ----

void TFormRegress::BindField(QLineEdit* edit, TField field) {
    edit->setText(Q(document_.Text(field)));
    if (edit->isReadOnly()) return;
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        if (!RunCommand([&] { document_.SetText(field, ToUtf8(text)); }))
            ShowField(field); // the refused text goes back to the model's
    });
}

void TFormRegress::ShowField(TField field) {
    auto setEdit = [this](QLineEdit* edit, TField f) {
        const QString text = Q(document_.Text(f));
        if (edit->text() != text) edit->setText(text);
    };
    auto setLabel = [this](QLabel* label, TField f) {
        label->setText(Q(document_.Text(f)));
        label->adjustSize();
    };
    auto setMemo = [this](QPlainTextEdit* memo, TField f) {
        const QString text = Q(document_.Text(f));
        if (memo->toPlainText() != text) memo->setPlainText(text);
    };
    switch (field) {
    case TField::LeftName:
        setEdit(EditFd, field);
        Tabelle->HeaderDisplayChanged();
        break;
    case TField::LeftNameMirror:
        setEdit(EditFa, field);
        break;
    case TField::RightSide:
        setEdit(EditEqual, field);
        break;
    case TField::DisplayedFormula:
        setEdit(EditAeq, field);
        break;
    case TField::DataPointCount:
        setEdit(EditNuRow, field);
        break;
    case TField::VariableCount:
        setEdit(EditNuCol, field);
        break;
    case TField::Correlation:
        setLabel(LabelR, field);
        break;
    case TField::MaxError:
        setLabel(Labelem, field);
        break;
    case TField::MeanError:
        setLabel(Labelea, field);
        break;
    case TField::Coefficients:
        setMemo(MemoCoefs, field);
        break;
    case TField::FittedFormula:
        setMemo(MemoResult, field);
        break;
    case TField::StatusMessage:
        MyStatusBar1->SetPanelText(0, Q(document_.Text(field)));
        break;
    case TField::Title:
        setWindowTitle(Q(document_.Text(field)));
        break;
    case TField::FileName:
        break;
    }
}

void TFormRegress::FieldChanged(TField field) {
    ShowField(field);
}

void TFormRegress::AliasListChanged() {
    ValueListEditor1->ListChanged();
    Tabelle->HeaderDisplayChanged();
}

void TFormRegress::CellChanged(int col, int row) {
    Tabelle->CellChanged(col, row);
}

void TFormRegress::TableChanged() {
    Tabelle->TableChanged();
}

void TFormRegress::CurrentCellChanged() {
    Tabelle->CurrentCellChanged();
}

// ---- The common error rule ----

bool TFormRegress::RunCommand(const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        ShowError(error.what());
    } catch (...) {
        ShowError("Unknown error");
    }
    return false;
}

void TFormRegress::ShowError(const std::string& message) {
    ShowMessage(Q(ErrorBoxText(message)), appTitle_, TMessageIcon::Error);
}

void TFormRegress::ShowMessage(const QString& text, const QString& title, TMessageIcon icon) {
    dialogs_.MessageBox(this, text, title, icon, TMessageButtons::Ok);
}

// ---- Progress of the long commands ----

bool TFormRegress::RefusedWhileBusy() {
    if (!document_.Busy()) return false;
    // No box: a modal box inside the running command would run its own loop.
    document_.SetText(TField::StatusMessage, kBusyMessage);
    return true;
}

void TFormRegress::SetCommandControlsEnabled(bool enabled) {
    // Disabling the parents keeps the children's own enabled state.
    if (QMenuBar* bar = menuBar()) bar->setEnabled(enabled);
    if (auto* coolBar = findChild<QWidget*>("CoolBar1")) coolBar->setEnabled(enabled);
    SBRegress->setEnabled(enabled);
    BitBtnSave->setEnabled(enabled);
    BitBtn1->setEnabled(enabled);
    controlsDisabled_ = !enabled;
}

void TFormRegress::ProgressBegin() {
    MyStatusBar1->ProgressBar()->setValue(0);
}

void TFormRegress::ProgressPosition(int percent) {
    // Only commands that run longer than the document's interval come here,
    // at most once per interval: the window shows them as busy and repaints.
    if (!controlsDisabled_) {
        SetCommandControlsEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    MyStatusBar1->ProgressBar()->setValue(std::clamp(percent, 0, 100));
    // Paint and timer events run; keys and clicks wait for the command's end.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormRegress::ProgressEnd() {
    MyStatusBar1->ProgressBar()->setValue(0);
    if (controlsDisabled_) {
        SetCommandControlsEnabled(true);
        QApplication::restoreOverrideCursor();
    }
}

// ---- Start-up and shut-down ----

void TFormRegress::FormCreate() {
    // 1. The top-left corner of the screen.
    move(0, 0);
    // 2.-4. ProgramDir, the library file and the recent-files counters are
    // set by the constructor from the executable's path.
    // 5. The options file and the recent-file entries. An error in a step is
    // shown and the later steps still run, so the program always starts usable.
    RunCommand([this] { recent_.LoadRecentFiles(); });
    RebuildRecentMenu();
    // 6. No current file: the document starts without one.
    // 7. The formula library.
    RunCommand([this] { library_.LoadFromFile(libraryFile_); });
    DBGrid1->Refresh();
    DBNavigator1->UpdateButtons();
    // 8. The dialogs' starting folder.
    dataDir_ = DataDirOf(programDir_);
    // 9. "." as the decimal separator: number texts never depend on the
    // locale, and C library conversions get the C locale's numbers too.
    std::setlocale(LC_NUMERIC, "C");
    // 10. The counts; the document's rules build the table (the texts are
    // the document's already when it was made with them).
    RunCommand([this] {
        document_.SetText(TField::DataPointCount, "5");
        document_.SetText(TField::VariableCount, "1");
    });
}

bool TFormRegress::FormCloseQuery() {
    return RunCommand([this] { recent_.SaveRecentFiles(); });
}

void TFormRegress::closeEvent(QCloseEvent* event) {
    if (RefusedWhileBusy()) {
        event->ignore();
        return;
    }
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TFormRegress::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placed_) return;
    placed_ = true;
    move(0, 0);
}

// ---- Recent files ----

void TFormRegress::RebuildRecentMenu() {
    for (QAction* item : recentItems_) {
        Main_File->removeAction(item);
        delete item;
    }
    recentItems_.clear();
    const auto& entries = recent_.Entries();
    if (entries.empty()) return;
    if (recentSeparator_ == nullptr) {
        recentSeparator_ = new QAction(Main_File);
        recentSeparator_->setSeparator(true);
        recentSeparator_->setObjectName("RecentSeparator");
        Main_File->insertAction(File_Exit, recentSeparator_);
    }
    for (const TRecentEntry& entry : entries) {
        auto* item = new QAction(Main_File);
        item->setObjectName(Q(entry.Name));
        // The caption is the path itself: "&" is not an access key here.
        item->setText(Q(entry.Caption).replace('&', "&&"));
        connect(item, &QAction::triggered, this, [this, item] { File_OpenClick(item); });
        Main_File->insertAction(recentSeparator_, item);
        recentItems_.push_back(item);
    }
}

void TFormRegress::AddRecentFile(const std::string& fileName) {
    recent_.AddRecentFile(fileName);
    RebuildRecentMenu();
}

// ---- Commands ----

std::optional<QString> TFormRegress::AskFileName(TFileDialogKind kind) {
    TFileDialogOptions options;
    options.Kind = kind;
    options.Directory = Q(dataDir_);
    options.Filter = QString::fromUtf8(kDocumentFilter);
    options.DefaultSuffix = "rgs";
    return dialogs_.FileName(this, options);
}

void TFormRegress::File_NewClick() {
    if (RefusedWhileBusy()) return;
    const std::optional<QString> path = AskFileName(TFileDialogKind::Save);
    if (!path) return;
    RunCommand([&] { document_.NewDocument(ToUtf8(*path)); });
}

void TFormRegress::File_OpenClick(QObject* sender) {
    if (RefusedWhileBusy()) return;
    std::string path;
    const QString name = sender != nullptr ? sender->objectName() : QString();
    if (name.size() <= 3) {
        // A recent-file entry: its caption is the path.
        for (const TRecentEntry& entry : recent_.Entries())
            if (Q(entry.Name) == name) path = entry.Caption;
    } else {
        const std::optional<QString> chosen = AskFileName(TFileDialogKind::Open);
        if (!chosen) return;
        path = ToUtf8(*chosen);
    }
    RunCommand([&] { document_.OpenDocument(path); });
}

void TFormRegress::File_SaveClick(QObject* sender) {
    if (RefusedWhileBusy()) return;
    Tabelle->CommitEditor();
    ValueListEditor1->CommitEditor();
    const bool saveAs = sender == File_Saveas || sender == TBSaveas;
    if (!saveAs && !document_.SaveNeedsPath()) {
        RunCommand([this] { document_.SaveDocument(); });
        return;
    }
    // Save without a current file asks like Save As.
    const std::optional<QString> path = AskFileName(TFileDialogKind::Save);
    if (!path) return;
    RunCommand([&] { document_.SaveDocumentAs(ToUtf8(*path)); });
}

void TFormRegress::File_ExitClick() {
    if (RefusedWhileBusy()) return;
    close();
}

void TFormRegress::SBRegressClick() {
    if (RefusedWhileBusy()) return;
    Tabelle->CommitEditor();
    ValueListEditor1->CommitEditor();
    RunCommand([this] { document_.Regress(); });
}

void TFormRegress::Edit_SelectClick() {
    if (RefusedWhileBusy()) return;
    DBGrid1->CommitEditor();
    if (!library_.Active()) {
        document_.SetText(TField::StatusMessage, kLibraryClosedSelectMessage);
        return;
    }
    if (library_.IsEmpty()) {
        document_.SetText(TField::StatusMessage, kLibraryEmptySelectMessage);
        return;
    }
    RunCommand([this] {
        const TFormulaSelection selection = SelectionOf(library_.CurrentRecord());
        document_.SetText(TField::LeftName, selection.LeftName);
        document_.SetText(TField::RightSide, selection.RightSide);
        document_.SetText(TField::VariableCount, selection.VariableCount);
        SelectAliases(selection.AliasText, document_.Aliases());
    });
}

void TFormRegress::Edit_SaveClick() {
    if (RefusedWhileBusy()) return;
    DBGrid1->CommitEditor();
    if (!library_.Active()) {
        document_.SetText(TField::StatusMessage, kLibraryClosedSaveMessage);
        return;
    }
    // What the grid shows is saved: a record being edited is posted first.
    RunCommand([this] { library_.SaveToFile(libraryFile_); });
    DBGrid1->Refresh();
    DBNavigator1->UpdateButtons();
}

void TFormRegress::AARS1Click() {
    ShowMessage(AboutLines().join(QChar('\n')), QString::fromUtf8(kAboutTitle),
                TMessageIcon::Information);
}

// ---- Window rules ----

void TFormRegress::PageChanged(int index) {
    const int leaving = currentPage_;
    if (index == leaving) return;
    if (RefusedWhileBusy()) {
        const QSignalBlocker blocker(PageControl1);
        PageControl1->setCurrentIndex(leaving);
        return;
    }
    Tabelle->CommitEditor();
    ValueListEditor1->CommitEditor();
    DBGrid1->CommitEditor();
    if (!PageControl1Changing(leaving)) {
        // Back to the page that was left.
        const QSignalBlocker blocker(PageControl1);
        PageControl1->setCurrentIndex(leaving);
        EditFd->setFocus(Qt::OtherFocusReason);
        return;
    }
    currentPage_ = index;
    PageControl1Change();
}

bool TFormRegress::PageControl1Changing(int leaving) {
    if (leaving != kFormulaPage) return true;
    // A blank left-side name keeps the formula page (its check would
    // otherwise have to put the focus into a page no longer shown).
    if (document_.LeftSideNameIsBlank()) {
        ShowMessage(QString::fromUtf8(kBlankNameMessage), QString::fromUtf8(kBlankNameTitle),
                    TMessageIcon::Error);
        return false;
    }
    RunCommand([this] { document_.ApplyDefinition(); });
    return true;
}

void TFormRegress::PageControl1Change() {
    const bool formula = PageControl1->currentIndex() == kFormulaPage;
    Main_Edit->menuAction()->setEnabled(formula);
    TBSelect->setEnabled(formula);
    TBTemSave->setEnabled(formula);
}

void TFormRegress::EditFdExit() {
    if (checkingName_ || !document_.LeftSideNameIsBlank()) return;
    if (PageControl1->currentIndex() != kFormulaPage || EditFd->hasFocus()) return;
    checkingName_ = true;
    ShowMessage(QString::fromUtf8(kBlankNameMessage), QString::fromUtf8(kBlankNameTitle),
                TMessageIcon::Error);
    EditFd->setFocus(Qt::OtherFocusReason);
    checkingName_ = false;
}

// ---- Events ----

bool TFormRegress::event(QEvent* event) {
    // Panel 0 shows the hints of the control under the mouse (UpdateHint),
    // not Qt's status tips.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

void TFormRegress::UpdateHint(QWidget* underMouse) {
    QString hint;
    for (QWidget* w = underMouse; w != nullptr && w != this; w = w->parentWidget()) {
        if (!w->toolTip().isEmpty()) {
            hint = w->toolTip();
            break;
        }
    }
    if (hint == hint_) return;
    hint_ = hint;
    document_.SetText(TField::StatusMessage, ToUtf8(hint));
}

bool TFormRegress::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditFd && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Not when the window loses the focus (a message box, another
        // program) nor when the formula page is being left: the page rule
        // checks the name then.
        // The check runs once the focus has moved.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            PageControl1->currentIndex() == kFormulaPage)
            QMetaObject::invokeMethod(
                this, [this] { EditFdExit(); }, Qt::QueuedConnection);
        return false;
    }
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && widget->window() == this) {
            UpdateHint(event->type() == QEvent::Enter ? widget : widget->parentWidget());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace xtq::ui
