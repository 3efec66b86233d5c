// Builds the controls of the main window: bars, pages, menus. Only appearance and
// the wiring of controls to each other live here; handlers are elsewhere.
#include "MainUnit.h"

#include "AboutBoxUnit.h"
#include "ButtonsXP.h"
#include "CanvasBox.h"
#include "Glyphs.h"
#include "ImageBtnUnit.h"
#include "PaintBox.h"
#include "StatusBar.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QColor kHeaderColour(240, 202, 166);
const QColor kMoneyGreen(192, 220, 192);
constexpr int kClientWidth = 1060;
constexpr int kClientHeight = 583;

// The designed pixel size, or more where the font needs it: a larger system
// font must not cut a caption.
int roomFor(int designed, int needed) { return std::max(designed, needed); }

// The height a line of text needs in `widget`'s font, with `padding` around it.
int lineRoom(const QWidget *widget, int padding) { return widget->fontMetrics().height() + padding; }

// A caption without its accelerator marks, as a screen reader should say it.
QString spoken(QString text)
{
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

template <class W>
W *named(W *widget, const char *objectName, const QString &accessibleName)
{
    widget->setObjectName(QLatin1String(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

QPushButton *pushButton(const char *name, const QString &caption, QWidget *parent)
{
    return named(new QPushButton(caption, parent), name, spoken(caption));
}

TBitBtnXP *bitButton(const char *name, const QString &caption, Glyph glyph, QWidget *parent)
{
    auto *button = named(new TBitBtnXP(glyphIcon(glyph), caption, parent), name, spoken(caption));
    return button;
}

// A button showing only a glyph; its hint is its name for screen readers.
QToolButton *glyphButton(const char *name, Glyph glyph, const QString &hint, QWidget *parent)
{
    auto *button = named(new QToolButton(parent), name, hint);
    button->setIcon(glyphIcon(glyph));
    button->setToolTip(hint);
    return button;
}

// A label naming a field: the field's accessible name is the label's text.
QLabel *fieldLabel(const QString &text, QWidget *field, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(spoken(text));
    return label;
}

QSpinBox *spinField(const char *name, int minimum, int maximum, int step, int start,
                    QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(minimum, maximum);
    spin->setSingleStep(step);
    spin->setValue(start);
    return spin;
}

QLineEdit *readOnlyField(const char *name, const QString &text, const QString &hint,
                         QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setToolTip(hint);
    return edit;
}

// The 33-pixel bar at the top of every page.
QLabel *headerBar(const char *name, const QString &caption, QWidget *parent)
{
    auto *header = named(new QLabel(caption, parent), name, caption);
    header->setFrameStyle(QFrame::Panel | QFrame::Raised);
    header->setLineWidth(1);
    header->setIndent(8);
    header->setAutoFillBackground(true);
    QPalette palette = header->palette();
    palette.setColor(QPalette::Window, kHeaderColour);
    palette.setColor(QPalette::WindowText, Qt::black);
    header->setPalette(palette);
    QFont font = header->font();
    font.setBold(true);
    header->setFont(font);
    header->setFixedHeight(roomFor(33, QFontMetrics(font).height() + 12));
    return header;
}

void setBackground(QWidget *widget, const QColor &colour)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

// The system's application-workspace colour, behind pictures.
QColor workspaceColour(const QWidget *widget) { return widget->palette().color(QPalette::Dark); }

QScrollArea *pictureScrollBox(const char *name, const QString &spokenName, TPaintBox *box,
                              QWidget *parent)
{
    auto *scroll = named(new QScrollArea(parent), name, spokenName);
    scroll->setWidgetResizable(false);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setBackgroundRole(QPalette::Dark);
    scroll->setWidget(box);
    return scroll;
}

QHBoxLayout *barLayout(QWidget *bar, int height)
{
    bar->setFixedHeight(height);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(4);
    return layout;
}

} // namespace

void TMainForm::buildLayout()
{
    setWindowTitle(QLatin1String(kMainCaption));
    setWindowIcon(QIcon(programPicture(QSize(64, 64))));

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildTopBar());
    column->addWidget(buildPageButtonBar());

    PageControl2 = named(new QTabWidget(central), "PageControl2", QStringLiteral("Seiten"));
    PageControl2->setUsesScrollButtons(true);
    PageControl2->setDocumentMode(false);
    TabSheetMotivLaden = buildLoadPage();
    TabSheet2 = buildColourPage();
    TabSheet1 = buildResultPage();
    PageControl2->addTab(TabSheetMotivLaden, glyphIcon(Glyph::TabLoad), QStringLiteral("Motiv laden"));
    PageControl2->addTab(TabSheet2, glyphIcon(Glyph::TabColour), QStringLiteral("Foto colorieren"));
    PageControl2->addTab(TabSheet1, glyphIcon(Glyph::TabResult),
                         QStringLiteral("Ergebnis verarbeiten"));
    PageControl2->setCurrentIndex(0);
    column->addWidget(PageControl2, 1);
    column->addWidget(buildBottomBar());
    setCentralWidget(central);

    StatusBar1 = named(new TStatusBar(this), "StatusBar1", QStringLiteral("Statusleiste"));
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    buildMenus();

    // The picture boxes draw through the display handlers.
    DibPrevPaint->OnPaint = [this](QPainter &canvas, const QRect &exposed) {
        DibPrevPaintPaint(canvas, exposed);
    };
    PaintBox1->OnPaint = [this](QPainter &canvas, const QRect &exposed) { PaintBox1Paint(canvas, exposed); };
    ErgPaintBox->OnPaint = [this](QPainter &canvas, const QRect &exposed) {
        ErgPaintBoxPaint(canvas, exposed);
    };

    connect(PageControl2, &QTabWidget::currentChanged, this, [this] {
        if (!selectingPage)
            PageControl2Change();
    });

    wireLoading();
    wireZoomView();
    wirePrefFolders();
    wireTools();
    wirePicker();
    wireColourList();
    wireFilmSeries();
    wirePrinting();
    wireHistory();
    wireKeys();
    giveHints();

    resize(kClientWidth, kClientHeight);
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

// The canvas's height on "Foto colorieren" at the window's present size, even
// while another page is shown: the hidden page's layouts are asked to place
// their controls now.
int TMainForm::colourPageCanvasHeight()
{
    // The stack gives only the shown page its geometry; every page gets the same.
    TabSheet2->setGeometry(PageControl2->currentWidget()->geometry());
    QList<QWidget *> chain;
    for (QWidget *widget = ScrollBox1->parentWidget(); widget != TabSheet2->parentWidget();
         widget = widget->parentWidget())
        chain.prepend(widget);
    for (QWidget *widget : chain)
        if (QLayout *layout = widget->layout())
            layout->setGeometry(widget->contentsRect());
    return ScrollBox1->height();
}

// A first start opens taller than designed where the screen has room and the
// canvas would otherwise be cramped; a size set before showing stays.
void TMainForm::growForCanvasOnFirstStart()
{
    constexpr int kWantedCanvas = 400;
    constexpr int kTitleBar = 40; // the frame is not known before the first show
    const QScreen *screen = this->screen();
    if (screen == nullptr || size() != QSize(kClientWidth, kClientHeight))
        return;
    const QRect area = screen->availableGeometry();
    const int grown = firstStartHeight(height(), colourPageCanvasHeight(), kWantedCanvas, area.height() - kTitleBar);
    if (grown == height())
        return;
    resize(width(), grown);
    move(area.center() - QPoint(width() / 2, grown / 2));
}

QWidget *TMainForm::buildTopBar()
{
    auto *bar = new QWidget;
    bar->setObjectName(QStringLiteral("TopPanel"));
    auto *layout = barLayout(bar, 32);

    LastSavedEd = readOnlyField("LastSavedEd", QString(), QString(), bar);
    LastSavedLabel = fieldLabel(QStringLiteral("Zuletzt gespeichertes Bild:"), LastSavedEd, bar);
    LastSavedEd->setMinimumWidth(220);
    LastSavedWithPathEd = new QLineEdit(bar);
    LastSavedWithPathEd->setObjectName(QStringLiteral("LastSavedWithPathEd"));
    LastSavedWithPathEd->setAccessibleName(QStringLiteral("Zuletzt gespeichertes Bild mit Pfad"));
    LastSavedWithPathEd->setVisible(false);

    FarbenBtn = pushButton("FarbenBtn", QStringLiteral("Farben"), bar);
    BildfolgeBtn = pushButton("BildfolgeBtn", QStringLiteral("Bildfolge"), bar);
    StapelverarbeitungBtn = pushButton("StapelverarbeitungBtn", QStringLiteral("Stapelverarbeitung"), bar);
    OpenPictureBtn = glyphButton("OpenPictureBtn", Glyph::Open, QStringLiteral("Öffnen..."), bar);
    SaveBtn = glyphButton("SaveBtn", Glyph::Save, QStringLiteral("Speichern"), bar);
    MySaveAsBtn = glyphButton("MySaveAsBtn", Glyph::SaveAs, QStringLiteral("Speichern unter..."), bar);
    for (QToolButton *button : {OpenPictureBtn, SaveBtn, MySaveAsBtn}) {
        button->setFixedSize(28, 28);
        button->setIconSize(QSize(20, 20));
        button->setAutoRaise(true);
    }

    layout->addWidget(LastSavedLabel);
    layout->addWidget(LastSavedEd);
    layout->addWidget(LastSavedWithPathEd);
    layout->addStretch(1);
    layout->addWidget(FarbenBtn);
    layout->addWidget(BildfolgeBtn);
    layout->addWidget(StapelverarbeitungBtn);
    layout->addSpacing(8);
    layout->addWidget(OpenPictureBtn);
    layout->addWidget(SaveBtn);
    layout->addWidget(MySaveAsBtn);

    connect(SaveBtn, &QToolButton::clicked, this, &TMainForm::SaveBtnClick);
    connect(MySaveAsBtn, &QToolButton::clicked, this, &TMainForm::MySaveAsBtnClick);
    connect(FarbenBtn, &QPushButton::clicked, this, &TMainForm::FarbenBtnClick);
    connect(BildfolgeBtn, &QPushButton::clicked, this, &TMainForm::BildfolgeBtnClick);
    connect(StapelverarbeitungBtn, &QPushButton::clicked, this,
            &TMainForm::StapelverarbeitungBtnClick);
    return bar;
}

QWidget *TMainForm::buildPageButtonBar()
{
    auto *bar = new QWidget;
    bar->setObjectName(QStringLiteral("PageButtonPanel"));
    auto *layout = barLayout(bar, 24);

    PreviousPictureBtn = pushButton("PreviousPictureBtn", QStringLiteral("Vorheriges Bild laden..."), bar);
    PreviousPictureBtn->setIcon(glyphIcon(Glyph::Previous));
    BitBtn1 = pushButton("BitBtn1", QStringLiteral("Nächstes Bild laden..."), bar);
    BitBtn1->setIcon(glyphIcon(Glyph::Next));
    Button3 = pushButton("Button3", QStringLiteral("Motiv laden"), bar);
    Button2 = pushButton("Button2", QStringLiteral("Foto colorieren"), bar);
    Button1 = pushButton("Button1", QStringLiteral("Ergebnis verarbeiten"), bar);

    layout->addStretch(1);
    for (QPushButton *button : {PreviousPictureBtn, BitBtn1, Button3, Button2, Button1}) {
        button->setFixedHeight(roomFor(22, lineRoom(button, 6)));
        layout->addWidget(button);
    }

    connect(Button3, &QPushButton::clicked, this, &TMainForm::Button3Click);
    connect(Button2, &QPushButton::clicked, this, &TMainForm::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &TMainForm::Button1Click);
    return bar;
}

QWidget *TMainForm::buildLoadPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetMotivLaden"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    HeaderMotivLaden = headerBar("HeaderMotivLaden",
        QStringLiteral("Motiv laden - Wählen Sie ein Bild aus, welches coloriert werden soll!"), page);
    pageLayout->addWidget(HeaderMotivLaden);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(4, 4, 4, 4);
    body->setSpacing(6);
    pageLayout->addLayout(body, 1);

    // Left: favourite folders, folder tree and file list, filter and stepping.
    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    body->addLayout(left, 1);

    auto *favourites = new QHBoxLayout;
    PrefListBox = new QListWidget(page);
    PrefListBox->setObjectName(QStringLiteral("PrefListBox"));
    PrefListBox->setFixedHeight(52);
    auto *favouritesLabel = fieldLabel(QStringLiteral("Lieblings Ordner:"), PrefListBox, page);
    favouritesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    favourites->addWidget(favouritesLabel);
    favourites->addWidget(PrefListBox, 1);
    left->addLayout(favourites);

    folderModel = new QFileSystemModel(this);
    folderModel->setObjectName(QStringLiteral("folderModel"));
    folderModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    folderModel->setRootPath(QString());
    fileModel = new QFileSystemModel(this);
    fileModel->setObjectName(QStringLiteral("fileModel"));
    // Folders stay listed whatever the masks; files that do not match are hidden.
    fileModel->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    fileModel->setNameFilterDisables(false);

    ShellSplitter = new QSplitter(Qt::Horizontal, page);
    ShellSplitter->setObjectName(QStringLiteral("ShellSplitter"));
    JamShellTree1 = named(new QTreeView(ShellSplitter), "JamShellTree1", QStringLiteral("Ordner"));
    JamShellTree1->setModel(folderModel);
    for (int column = 1; column < folderModel->columnCount(); ++column)
        JamShellTree1->hideColumn(column);
    JamShellTree1->setHeaderHidden(true);
    JamShellList1 = named(new QListView(ShellSplitter), "JamShellList1", QStringLiteral("Dateien"));
    JamShellList1->setModel(fileModel);
    JamShellList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    JamShellList1->setEditTriggers(QAbstractItemView::EditKeyPressed);
    ShellSplitter->addWidget(JamShellTree1);
    ShellSplitter->addWidget(JamShellList1);
    ShellSplitter->setStretchFactor(0, 2);
    ShellSplitter->setStretchFactor(1, 3);
    left->addWidget(ShellSplitter, 1);
    connect(JamShellTree1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TMainForm::JamShellTree1Change);
    connect(folderModel, &QAbstractItemModel::rowsInserted, this, &TMainForm::revealTreeFolder);
    connect(folderModel, &QAbstractItemModel::layoutChanged, this, &TMainForm::revealTreeFolder);
    const auto userTurnsToTree = [this] { revealFolder = QPersistentModelIndex(); };
    connect(JamShellTree1, &QTreeView::expanded, this, userTurnsToTree);
    connect(JamShellTree1, &QTreeView::collapsed, this, userTurnsToTree);
    connect(JamShellTree1->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, userTurnsToTree);

    auto *stepping = new QHBoxLayout;
    FilterComboBox1 = named(new QComboBox(page), "FilterComboBox1",
                            QStringLiteral("Hier können Sie die angezeigten Dateitypen wählen"));
    FilterComboBox1->setToolTip(FilterComboBox1->accessibleName());
    FilterComboBox1->setMinimumContentsLength(24);
    FilterComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    PreviousBtn2 = pushButton("PreviousBtn2", QStringLiteral("Vorheriges Bild laden..."), page);
    PreviousBtn2->setIcon(glyphIcon(Glyph::Previous));
    NextPictureBtn = pushButton("NextPictureBtn", QStringLiteral("Nächstes Bild laden..."), page);
    NextPictureBtn->setIcon(glyphIcon(Glyph::Next));
    stepping->addWidget(FilterComboBox1, 1);
    stepping->addSpacing(12);
    stepping->addWidget(PreviousBtn2);
    stepping->addStretch(1);
    stepping->addWidget(NextPictureBtn);
    left->addLayout(stepping);
    connect(FilterComboBox1, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &TMainForm::FilterComboBox1Change);

    // Right: the preview and the picture's size and colours.
    auto *right = new QVBoxLayout;
    right->setSpacing(4);
    body->addLayout(right);
    auto *previewPanel = new QWidget(page);
    previewPanel->setObjectName(QStringLiteral("PreviewPanel"));
    previewPanel->setFixedWidth(260);
    setBackground(previewPanel, workspaceColour(previewPanel));
    auto *previewLayout = new QVBoxLayout(previewPanel);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    DibPrevPaint = named(new TPaintBox(previewPanel), "DibPrevPaint", QStringLiteral("Vorschau"));
    DibPrevPaint->setToolTip(QStringLiteral("Zeigt eine Vorschau des geladenen Bildes"));
    DibPrevPaint->setMinimumSize(200, 150);
    DibPrevPaint->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    previewLayout->addWidget(DibPrevPaint);
    auto *previewLabel = new QLabel(QStringLiteral("Preview:"), page);
    previewLabel->setBuddy(DibPrevPaint);
    right->addWidget(previewLabel);
    right->addWidget(previewPanel, 1);

    auto *facts = new QGridLayout;
    Breit = readOnlyField("Breit", QStringLiteral("320 Pixels"),
                          QStringLiteral("Zeigt die Breite des gewählten Bildes in Pixeln"), page);
    Hoch = readOnlyField("Hoch", QStringLiteral("200 Pixels"),
                         QStringLiteral("Zeigt die Höhe des gewählten Bildes in Pixeln"), page);
    Tief = readOnlyField("Tief", QStringLiteral("256"),
                         QStringLiteral("Zeigt die Anzahl der Farben des gewählten Bildes"), page);
    facts->addWidget(fieldLabel(QStringLiteral("Breite:"), Breit, page), 0, 0);
    facts->addWidget(Breit, 0, 1);
    facts->addWidget(fieldLabel(QStringLiteral("Höhe:"), Hoch, page), 1, 0);
    facts->addWidget(Hoch, 1, 1);
    facts->addWidget(fieldLabel(QStringLiteral("Farben:"), Tief, page), 2, 0);
    facts->addWidget(Tief, 2, 1);
    right->addLayout(facts);
    return page;
}

QWidget *TMainForm::buildColourPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    HeaderColorieren = headerBar("HeaderColorieren",
        QStringLiteral("Colorieren - Wählen Sie einen Farbwert und klicken Sie mit dem Pinsel in das Bild"),
        page);
    pageLayout->addWidget(HeaderColorieren);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(2, 2, 2, 2);
    body->setSpacing(4);
    pageLayout->addLayout(body, 1);

    auto *work = new QVBoxLayout;
    work->setSpacing(2);
    body->addLayout(work, 1);

    // The ten presets, in the order of the bar.
    ToolBar1 = new QToolBar(page);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setAccessibleName(QStringLiteral("Farbvorgaben"));
    ToolBar1->setMovable(false);
    const struct { QToolButton **button; const char *name; const char *caption; } presets[] = {
        {&ToolButton1, "ToolButton1", "Haut"},    {&ToolButton7, "ToolButton7", "Haut 2"},
        {&ToolButton2, "ToolButton2", "Himmel"},  {&ToolButton3, "ToolButton3", "Wasser"},
        {&ToolButton4, "ToolButton4", "Sand"},    {&ToolButton5, "ToolButton5", "Gras"},
        {&ToolButton6, "ToolButton6", "Steine"},  {&ToolButton8, "ToolButton8", "Berg"},
        {&ToolButton9, "ToolButton9", "Holz"},    {&ToolButton10, "ToolButton10", "Wald"},
    };
    for (const auto &preset : presets) {
        const QString caption = QString::fromUtf8(preset.caption);
        auto *button = named(new QToolButton(ToolBar1), preset.name, caption);
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumSize(43, 21);
        ToolBar1->addWidget(button);
        *preset.button = button;
    }
    work->addWidget(ToolBar1);
    work->addWidget(buildColourBar());

    PaintBox1 = named(new TCanvasBox, "PaintBox1", QStringLiteral("Arbeitsfläche"));
    PaintBox1->setCursor(Qt::PointingHandCursor);
    PaintBox1->resize(320, 200);
    ScrollBox1 = pictureScrollBox("ScrollBox1", QStringLiteral("Bildbereich Arbeitsfläche"),
                                  PaintBox1, page);
    work->addWidget(ScrollBox1, 1);

    body->addWidget(buildSpeedBar());
    body->addWidget(buildSwatchPanel());
    body->addWidget(buildColourListPanel());
    return page;
}

QWidget *TMainForm::buildColourBar()
{
    auto *bar = new QWidget;
    bar->setObjectName(QStringLiteral("ColourBar"));
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);

    // Whole-picture commands.
    auto *commands = new QVBoxLayout;
    GrrayBtn = bitButton("GrrayBtn", QStringLiteral("Graustufen"), Glyph::Grey, bar);
    SoftenBtn = bitButton("SoftenBtn", QStringLiteral("Weichzeichnen"), Glyph::Soften, bar);
    ColorAllBtn = bitButton("ColorAllBtn", QStringLiteral("Alles einfärben"), Glyph::ColourAll, bar);
    commands->addWidget(GrrayBtn);
    commands->addWidget(SoftenBtn);
    commands->addWidget(ColorAllBtn);
    // Undo and redo under the whole-picture commands, which they take back
    // most often (their hints name the step), and the zoom that fits the picture.
    auto *steps = new QHBoxLayout;
    steps->setSpacing(2);
    const struct { QToolButton **button; const char *name; const char *caption; Glyph glyph; } stepButtons[] = {
        {&UndoBtn, "UndoBtn", "Rückgängig", Glyph::Undo},
        {&RedoBtn, "RedoBtn", "Wiederholen", Glyph::Redo},
        {&FitBtn, "FitBtn", "Einpassen", Glyph::Fit},
    };
    for (const auto &entry : stepButtons) {
        const QString caption = QString::fromUtf8(entry.caption);
        auto *button = named(new QToolButton(bar), entry.name, caption);
        button->setText(caption);
        button->setToolTip(caption);
        button->setIcon(glyphIcon(entry.glyph));
        button->setIconSize(QSize(16, 16));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setEnabled(entry.button == &FitBtn);
        steps->addWidget(button);
        *entry.button = button;
    }
    steps->addStretch(1);
    commands->addLayout(steps);
    connect(GrrayBtn, &QPushButton::clicked, this, &TMainForm::GrrayBtnClick);
    connect(SoftenBtn, &QPushButton::clicked, this, &TMainForm::SoftenBtnClick);
    connect(ColorAllBtn, &QPushButton::clicked, this, &TMainForm::ColorAllBtnClick);
    commands->addStretch(1);
    layout->addLayout(commands);

    // The current colour and the brightness of the colourising.
    auto *colour = new QGridLayout;
    colour->setVerticalSpacing(4);
    HueED = spinField("HueED", 0, 255, 1, 0, bar);
    SatEd = spinField("SatEd", 0, 255, 1, 0, bar);
    BrightEd = spinField("BrightEd", -100, 100, 1, 0, bar);
    colour->addWidget(fieldLabel(QStringLiteral("Farbe:"), HueED, bar), 0, 0);
    colour->addWidget(HueED, 0, 1);
    colour->addWidget(fieldLabel(QStringLiteral("Sättigung:"), SatEd, bar), 1, 0);
    colour->addWidget(SatEd, 1, 1);
    colour->addWidget(fieldLabel(QStringLiteral("Helligkeit (+/-):"), BrightEd, bar), 2, 0);
    colour->addWidget(BrightEd, 2, 1);
    colour->setRowStretch(3, 1);
    layout->addLayout(colour);

    // The shift of the colour layer: four arrows as a cross, the distance beside it.
    auto *cross = new QGridLayout;
    cross->setSpacing(0);
    const struct { QToolButton **button; const char *name; Glyph glyph; const char *spokenName; int row, column; }
        arrows[] = {
            {&MoveUpBtn, "MoveUpBtn", Glyph::ArrowUp, "Farbebene nach oben", 0, 1},
            {&MoveLeftBtn, "MoveLeftBtn", Glyph::ArrowLeft, "Farbebene nach links", 1, 0},
            {&MoveRightBtn, "MoveRightBtn", Glyph::ArrowRight, "Farbebene nach rechts", 1, 2},
            {&MoveDownBtn, "MoveDownBtn", Glyph::ArrowDown, "Farbebene nach unten", 2, 1},
        };
    for (const auto &arrow : arrows) {
        auto *button = named(new QToolButton(bar), arrow.name, QString::fromUtf8(arrow.spokenName));
        button->setIcon(glyphIcon(arrow.glyph));
        button->setIconSize(QSize(24, 24));
        button->setFixedSize(41, 41);
        cross->addWidget(button, arrow.row, arrow.column);
        *arrow.button = button;
    }
    layout->addLayout(cross);
    auto *distance = new QVBoxLayout;
    MovePixelEd = spinField("MovePixelEd", 1, 100, 1, 1, bar);
    auto *distanceLabel = fieldLabel(QStringLiteral("Farbeebene bewegen um x Pixel:"), MovePixelEd, bar);
    distanceLabel->setWordWrap(true);
    distanceLabel->setMaximumWidth(110);
    distance->addWidget(distanceLabel);
    distance->addWidget(MovePixelEd);
    distance->addStretch(1);
    layout->addLayout(distance);

    // Flat paint.
    auto *paint = new QVBoxLayout;
    paint->setSpacing(2);
    Shape5 = named(new TShape(bar), "Shape5", QStringLiteral("Farbe fürs Malen:"));
    Shape5->setFixedSize(65, 41);
    Shape5->setBrushColor(QColor(255, 0, 255));
    auto *paintLabel = new QLabel(QStringLiteral("Farbe fürs Malen:"), bar);
    paintLabel->setBuddy(Shape5);
    MalenCheck = named(new QCheckBox(QStringLiteral("Malen statt colorieren"), bar), "MalenCheck",
                       QStringLiteral("Malen statt colorieren"));
    FestMalenCheck = named(new QCheckBox(QStringLiteral("Permanent malen"), bar), "FestMalenCheck",
                           QStringLiteral("Permanent malen"));
    paint->addWidget(paintLabel);
    paint->addWidget(Shape5);
    paint->addWidget(MalenCheck);
    paint->addWidget(FestMalenCheck);
    AenderungenCheck = named(new QCheckBox(QStringLiteral("Änderungen zeigen"), bar), "AenderungenCheck",
                             QStringLiteral("Änderungen zeigen"));
    paint->addWidget(AenderungenCheck);
    paint->addStretch(1);
    layout->addLayout(paint);
    layout->addStretch(1);
    return bar;
}

QWidget *TMainForm::buildSpeedBar()
{
    SpeedBar1 = new QWidget;
    SpeedBar1->setObjectName(QStringLiteral("SpeedBar1"));
    SpeedBar1->setAccessibleName(QStringLiteral("Werkzeuge"));
    auto *layout = new QVBoxLayout(SpeedBar1);
    layout->setContentsMargins(3, 0, 3, 0);
    layout->setSpacing(2);

    toolGroup = new QButtonGroup(SpeedBar1);
    toolGroup->setObjectName(QStringLiteral("toolGroup"));
    toolGroup->setExclusive(true);
    QFont bold = SpeedBar1->font();
    bold.setBold(true);
    const struct { QToolButton **button; const char *name; const char *caption; const char *hint; Glyph glyph; }
        tools[] = {
            {&ColorierenBtn, "ColorierenBtn", "Colorierer", "Ersetzt die Farbe und Sättigung", Glyph::Brush},
            {&RadiergummiBtn, "RadiergummiBtn", "Radierer",
             "Stellt die ursprünglliche Farbpalette wieder her", Glyph::Eraser},
            {&PipetteBtn, "PipetteBtn", "Pipette", "PipetteBtn", Glyph::Pipette},
            {&LinieBtn, "LinieBtn", "Linie", "Linie", Glyph::Line},
        };
    // Room for the widest caption below a 32-pixel glyph.
    const QFontMetrics boldMetrics(bold);
    QSize toolSize(78, 64);
    for (const auto &tool : tools)
        toolSize = toolSize.expandedTo(QSize(boldMetrics.horizontalAdvance(QString::fromUtf8(tool.caption)) + 10,
                                             32 + boldMetrics.height() + 14));
    SpeedBar1->setFixedWidth(toolSize.width() + 6);
    for (const auto &tool : tools) {
        const QString caption = QString::fromUtf8(tool.caption);
        auto *button = named(new QToolButton(SpeedBar1), tool.name, caption);
        button->setText(caption);
        button->setToolTip(QString::fromUtf8(tool.hint));
        button->setIcon(glyphIcon(tool.glyph));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setFont(bold);
        button->setFixedSize(toolSize);
        toolGroup->addButton(button);
        layout->addWidget(button);
        *tool.button = button;
    }
    ColorierenBtn->setChecked(true);

    const QString radiusHint = QStringLiteral("Radius in dem der Effekt angewendet werden soll");
    RadiusED = spinField("RadiusED", 1, 100, 10, 10, SpeedBar1);
    Radius2Ed = spinField("Radius2Ed", 1, 100, 1, 10, SpeedBar1);
    ZoomEd = spinField("ZoomEd", 10, 1000, 10, 100, SpeedBar1);
    ZoomEd->setToolTip(QStringLiteral("Stellt das Bild größer oder kleiner da"));
    for (QSpinBox *field : {RadiusED, Radius2Ed}) {
        field->setToolTip(radiusHint);
        layout->addSpacing(4);
        layout->addWidget(fieldLabel(QStringLiteral("Radius:"), field, SpeedBar1));
        layout->addWidget(field);
    }
    layout->addSpacing(4);
    layout->addWidget(fieldLabel(QStringLiteral("Zoom:"), ZoomEd, SpeedBar1));
    layout->addWidget(ZoomEd);
    layout->addStretch(1);
    return SpeedBar1;
}

QWidget *TMainForm::buildSwatchPanel()
{
    // Fixed places: the picker's drawing and its mouse arithmetic rely on them.
    PalPanel = new QWidget;
    PalPanel->setObjectName(QStringLiteral("PalPanel"));
    PalPanel->setFixedWidth(72);

    const struct { TShape **shape; const char *name; const char *spokenName; QRect place; } shapes[] = {
        {&Shape1, "Shape1", "Farbprobe dunkel", QRect(4, 4, 22, 45)},
        {&Shape3, "Shape3", "Farbprobe mittel", QRect(25, 4, 21, 45)},
        {&Shape4, "Shape4", "Farbprobe hell", QRect(45, 4, 22, 45)},
        {&Shape2, "Shape2", "Farbe unter dem Mauszeiger", QRect(4, 50, 64, 14)},
    };
    for (const auto &entry : shapes) {
        auto *shape = named(new TShape(PalPanel), entry.name, QString::fromUtf8(entry.spokenName));
        shape->setGeometry(entry.place);
        *entry.shape = shape;
    }
    PalPaintBox = named(new TPaintBox(PalPanel), "PalPaintBox", QStringLiteral("Farbfeld"));
    PalPaintBox->setCursor(Qt::PointingHandCursor);
    PalPaintBox->setGeometry(0, 64, 72, 264);
    HueLabel = named(new QLabel(QStringLiteral("Hue"), PalPanel), "HueLabel", QStringLiteral("Hue"));
    const int labelHeight = roomFor(16, lineRoom(HueLabel, 0));
    HueLabel->setGeometry(0, 328, 72, labelHeight);
    SatLabel = named(new QLabel(QStringLiteral("Sat"), PalPanel), "SatLabel", QStringLiteral("Sat"));
    SatLabel->setGeometry(0, 328 + labelHeight, 72, labelHeight);
    PalPanel->setMinimumHeight(328 + 2 * labelHeight + 2);
    return PalPanel;
}

QWidget *TMainForm::buildColourListPanel()
{
    auto *panel = new QWidget;
    panel->setObjectName(QStringLiteral("ColourListPanel"));
    panel->setFixedWidth(200);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);

    Edit1 = new QLineEdit(QStringLiteral("Farbe 1"), panel);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    layout->addWidget(fieldLabel(QStringLiteral("Name für Farbe:"), Edit1, panel));
    layout->addWidget(Edit1);
    SaveColorinListBtn = pushButton("SaveColorinListBtn", QStringLiteral("Farbe in Liste speichern"), panel);
    SaveColorinListBtn->setIcon(glyphIcon(Glyph::ListAdd));
    ChangeColorBtn = pushButton("ChangeColorBtn", QStringLiteral("Farbe ändern"), panel);
    ChangeColorBtn->setIcon(glyphIcon(Glyph::ListChange));
    ChangeColorBtn->setToolTip(QStringLiteral("Farbe in der Farbliste überschreiben"));
    layout->addWidget(SaveColorinListBtn);
    layout->addWidget(ChangeColorBtn);
    panel->setFixedWidth(roomFor(200, SaveColorinListBtn->sizeHint().width()));

    ListView1 = named(new QTreeWidget(panel), "ListView1", QStringLiteral("Farbliste"));
    ListView1->setColumnCount(3);
    ListView1->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Farbe"), QStringLiteral("Sättigung")});
    ListView1->setColumnWidth(0, 75);
    ListView1->setColumnWidth(1, 40);
    ListView1->setColumnWidth(2, 60);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection stays visible when the list loses the focus.
    QPalette palette = ListView1->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ListView1->setPalette(palette);
    layout->addWidget(ListView1, 1);

    auto *buttons = new QHBoxLayout;
    MoveColorUpBtn = glyphButton("MoveColorUpBtn", Glyph::ListUp,
                                 QStringLiteral("Farbe nach oben verschieben"), panel);
    MoveColorDownBtn = glyphButton("MoveColorDownBtn", Glyph::ListDown,
                                   QStringLiteral("Farbe nach  unten verschieben"), panel);
    DelColorBtn = pushButton("DelColorBtn", QStringLiteral("Farbe löschen"), panel);
    DelColorBtn->setIcon(glyphIcon(Glyph::ListDelete));
    buttons->addWidget(MoveColorUpBtn);
    buttons->addWidget(MoveColorDownBtn);
    buttons->addStretch(1);
    buttons->addWidget(DelColorBtn);
    layout->addLayout(buttons);
    return panel;
}

QWidget *TMainForm::buildResultPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    HeaderErgebnis = headerBar("HeaderErgebnis",
        QStringLiteral("Ergebnis verarbeiten - Bild bertrachten, speichern und drucken"), page);
    pageLayout->addWidget(HeaderErgebnis);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    pageLayout->addLayout(body, 1);

    ErgPanel = new QWidget(page);
    ErgPanel->setObjectName(QStringLiteral("ErgPanel"));
    ErgPanel->setFixedWidth(220);
    setBackground(ErgPanel, kMoneyGreen);
    auto *panelLayout = new QVBoxLayout(ErgPanel);
    panelLayout->setContentsMargins(10, 10, 10, 10);
    panelLayout->setSpacing(8);
    auto *picture = new QLabel(ErgPanel);
    picture->setObjectName(QStringLiteral("ErgPicture"));
    picture->setPixmap(programPicture(QSize(200, 150)));
    picture->setAlignment(Qt::AlignCenter);
    auto *title = new QLabel(QStringLiteral("Ergebnis verarbeiten"), ErgPanel);
    title->setObjectName(QStringLiteral("ErgTitle"));
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    title->setWordWrap(true);
    SaveAsBtn = bitButton("SaveAsBtn", QStringLiteral("Bild &speichern unter..."), Glyph::SaveAs, ErgPanel);
    PrintBtn = bitButton("PrintBtn", QStringLiteral("Bild &drucken..."), Glyph::Print, ErgPanel);
    panelLayout->addWidget(picture);
    panelLayout->addWidget(title);
    panelLayout->addSpacing(10);
    panelLayout->addWidget(SaveAsBtn);
    panelLayout->addWidget(PrintBtn);
    connect(SaveAsBtn, &QPushButton::clicked, this, &TMainForm::BitBtn1Click);
    panelLayout->addStretch(1);
    body->addWidget(ErgPanel);

    ErgPaintBox = named(new TPaintBox, "ErgPaintBox", QStringLiteral("Ergebnisansicht"));
    ErgPaintBox->setCursor(Qt::PointingHandCursor);
    ErgPaintBox->resize(320, 200);
    ErgScrollBox = pictureScrollBox("ErgScrollBox", QStringLiteral("Bildbereich Ergebnisansicht"),
                                    ErgPaintBox, page);
    body->addWidget(ErgScrollBox, 1);
    return page;
}

QWidget *TMainForm::buildBottomBar()
{
    auto *bar = new QWidget;
    bar->setObjectName(QStringLiteral("BottomPanel"));
    auto *layout = barLayout(bar, 41);

    const QString address = QString::fromUtf8(kMeridanWebAddress);
    wwwBtn = pushButton("wwwBtn", address, bar);
    wwwBtn->setFlat(true);
    wwwBtn->setIcon(glyphIcon(Glyph::Web));
    wwwBtn->setIconSize(QSize(24, 24));
    wwwBtn->setToolTip(QStringLiteral("Auf zur MERIDAN Homepage..."));
    wwwBtn->setCursor(Qt::PointingHandCursor);

    const struct { TImageBtn **button; const char *name; const char *caption; const char *hint; } pictures[] = {
        {&ueberbtn, "ueberbtn", "Info", "Informationen über das Programm"},
        {&endebtn, "endebtn", "Beenden", "Hiermit verlassen Sie das Programm"},
    };
    layout->addWidget(wwwBtn);
    layout->addStretch(1);
    for (const auto &entry : pictures) {
        const QString hint = QString::fromUtf8(entry.hint);
        auto *button = named(new TImageBtn(bar), entry.name, hint);
        const QString caption = QString::fromUtf8(entry.caption);
        button->setPicture(imageButtonPicture(caption, false));
        button->SetGlyph(imageButtonPicture(caption, true));
        button->setFixedSize(101, 30);
        button->setCursor(Qt::PointingHandCursor);
        button->setToolTip(hint);
        layout->addWidget(button);
        *entry.button = button;
    }

    connect(wwwBtn, &QPushButton::clicked, this, &TMainForm::wwwBtnClick);
    connect(ueberbtn, &TImageBtn::clicked, this, &TMainForm::ueberbtnClick);
    connect(endebtn, &TImageBtn::clicked, this, &TMainForm::EndeBtnClick);
    return bar;
}

void TMainForm::buildMenus()
{
    const auto item = [](QMenu *menu, const char *name, const char *caption) {
        QAction *action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        return action;
    };

    FarbenPopup = new QMenu(this);
    FarbenPopup->setObjectName(QStringLiteral("FarbenPopup"));
    FarbenvomVorgngerbildbernehmen1 = item(FarbenPopup, "FarbenvomVorgngerbildbernehmen1",
                                           "Farben direkt vom Vorgängerbild übernehmen...");
    FarbenvoneinemVorgngerbildbernehmen1 = item(FarbenPopup, "FarbenvoneinemVorgngerbildbernehmen1",
                                                "Farben von einem Vorgängerbild übernehmen...");
    FarbenmitBewegungbernehmen1 = item(FarbenPopup, "FarbenmitBewegungbernehmen1",
                                       "Farben mit Bewegung übernehmen...");
    FarbenPopup->addSeparator();
    Farblisteneu1 = item(FarbenPopup, "Farblisteneu1", "Farbliste neu...");
    FarbenPopup->addSeparator();
    Farblisteffnen1 = item(FarbenPopup, "Farblisteffnen1", "Farbliste öffnen...");
    Farblistespeichern1 = item(FarbenPopup, "Farblistespeichern1", "Farbliste speichern...");

    BildfolgePopup = new QMenu(this);
    BildfolgePopup->setObjectName(QStringLiteral("BildfolgePopup"));
    SpeichernalsBildfolgemitNummerierung1 = item(BildfolgePopup, "SpeichernalsBildfolgemitNummerierung1",
                                                 "Speichern als Bildfolge mit Nummerierung...");

    StapelverarbeitungPopup = new QMenu(this);
    StapelverarbeitungPopup->setObjectName(QStringLiteral("StapelverarbeitungPopup"));
    AlleausgewhltenBildercolorieren1 = item(StapelverarbeitungPopup, "AlleausgewhltenBildercolorieren1",
                                            "Alle ausgewählten Bilder colorieren...");
}
