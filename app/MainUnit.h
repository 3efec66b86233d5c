// The main window: it owns the pictures, the current colour and the flags of the
// tools, and every control of the program. Handlers keep their classic names;
// the subsystems define theirs in their own folders.
#pragma once

#include "BildKern3.h"
#include "Rect.h"
#include "UserDialogs.h"

#include <QList>
#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>
#include <memory>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QMenu;
class QPainter;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class TBitBtnXP;
class TImageBtn;
class TPaintBox;
class TShape;
class TStatusBar;

// The design-time caption of the main window, the base of every caption.
extern const char *const kMainCaption;

// One entry of a file-type filter: its description and its masks ("*.BMP", ...).
struct FilterEntry {
    QString description;
    QStringList masks;
};

// Splits a filter in the classic form "description|mask;mask|description|mask..."
// into its entries; a description without masks is dropped.
QList<FilterEntry> parseFilter(const QString &filter);

// `path` with the native separator appended when it does not already end in one.
QString withTrailingSeparator(const QString &path);

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override; // FormDestroy

    // Fields, in their classic order.
    TRect sbrect;
    int32_t StatusPosition = 0;
    dib pal24dib = emptydib();
    dib di = emptydib();
    QString afilename;
    QString maincap;
    QString progpath;
    bool inch = false;
    bool ziehen = false;
    int32_t ziehx = 0;
    int32_t ziehy = 0;
    dib outdi = emptydib();
    int32_t ghue = 0;
    int32_t gsat = 0;
    int32_t amx = 0;
    int32_t amy = 0;
    bool changed = false;
    bool havetodel = false;
    bool inpaint = false;
    TRect srre;

    // Initial folder and chosen filter entry (from 1) of the picture save dialog.
    QString saveDialog1Folder;
    int saveDialog1FilterIndex = 1;

    // Every modal interaction goes through this; tests install a scripted one.
    std::unique_ptr<UserDialogs> dialogs;
    void setDialogs(std::unique_ptr<UserDialogs> replacement);

    // Where the imaging library sends its progress reports.
    bk3_sink *messageSink() { return &sink; }

    // Top bar.
    QLabel *LastSavedLabel = nullptr;
    QLineEdit *LastSavedEd = nullptr;
    QLineEdit *LastSavedWithPathEd = nullptr;
    QPushButton *FarbenBtn = nullptr;
    QPushButton *BildfolgeBtn = nullptr;
    QPushButton *StapelverarbeitungBtn = nullptr;
    QToolButton *OpenPictureBtn = nullptr;
    QToolButton *SaveBtn = nullptr;
    QToolButton *MySaveAsBtn = nullptr;

    // Second bar.
    QPushButton *PreviousPictureBtn = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button1 = nullptr;

    // The pages.
    QTabWidget *PageControl2 = nullptr;
    QWidget *TabSheetMotivLaden = nullptr;
    QWidget *TabSheet2 = nullptr;
    QWidget *TabSheet1 = nullptr;
    QLabel *HeaderMotivLaden = nullptr;
    QLabel *HeaderColorieren = nullptr;
    QLabel *HeaderErgebnis = nullptr;

    // Page "Motiv laden".
    QListWidget *PrefListBox = nullptr;
    QSplitter *ShellSplitter = nullptr;
    QTreeView *JamShellTree1 = nullptr;
    QListView *JamShellList1 = nullptr;
    QFileSystemModel *folderModel = nullptr;
    QFileSystemModel *fileModel = nullptr;
    QComboBox *FilterComboBox1 = nullptr;
    QPushButton *PreviousBtn2 = nullptr;
    QPushButton *NextPictureBtn = nullptr;
    TPaintBox *DibPrevPaint = nullptr;
    QLineEdit *Breit = nullptr;
    QLineEdit *Hoch = nullptr;
    QLineEdit *Tief = nullptr;

    // Page "Foto colorieren": presets and the bar above the canvas.
    QToolBar *ToolBar1 = nullptr;
    QToolButton *ToolButton1 = nullptr;
    QToolButton *ToolButton7 = nullptr;
    QToolButton *ToolButton2 = nullptr;
    QToolButton *ToolButton3 = nullptr;
    QToolButton *ToolButton4 = nullptr;
    QToolButton *ToolButton5 = nullptr;
    QToolButton *ToolButton6 = nullptr;
    QToolButton *ToolButton8 = nullptr;
    QToolButton *ToolButton9 = nullptr;
    QToolButton *ToolButton10 = nullptr;
    TBitBtnXP *GrrayBtn = nullptr;
    TBitBtnXP *SoftenBtn = nullptr;
    TBitBtnXP *ColorAllBtn = nullptr;
    QSpinBox *HueED = nullptr;
    QSpinBox *SatEd = nullptr;
    QSpinBox *BrightEd = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *SaveColorinListBtn = nullptr;
    QPushButton *ChangeColorBtn = nullptr;
    QToolButton *MoveUpBtn = nullptr;
    QToolButton *MoveLeftBtn = nullptr;
    QToolButton *MoveRightBtn = nullptr;
    QToolButton *MoveDownBtn = nullptr;
    QSpinBox *MovePixelEd = nullptr;
    TShape *Shape5 = nullptr;
    QCheckBox *MalenCheck = nullptr;
    QCheckBox *FestMalenCheck = nullptr;

    // Page "Foto colorieren": canvas, tools, swatch, colour list.
    QScrollArea *ScrollBox1 = nullptr;
    TPaintBox *PaintBox1 = nullptr;
    QWidget *SpeedBar1 = nullptr;
    QButtonGroup *toolGroup = nullptr;
    QToolButton *ColorierenBtn = nullptr;
    QToolButton *RadiergummiBtn = nullptr;
    QToolButton *PipetteBtn = nullptr;
    QToolButton *LinieBtn = nullptr;
    QSpinBox *RadiusED = nullptr;
    QSpinBox *Radius2Ed = nullptr;
    QSpinBox *ZoomEd = nullptr;
    QWidget *PalPanel = nullptr;
    TPaintBox *PalPaintBox = nullptr;
    TShape *Shape1 = nullptr;
    TShape *Shape2 = nullptr;
    TShape *Shape3 = nullptr;
    TShape *Shape4 = nullptr;
    QLabel *HueLabel = nullptr;
    QLabel *SatLabel = nullptr;
    QTreeWidget *ListView1 = nullptr;
    QToolButton *MoveColorUpBtn = nullptr;
    QToolButton *MoveColorDownBtn = nullptr;
    QPushButton *DelColorBtn = nullptr;

    // Page "Ergebnis verarbeiten".
    QWidget *ErgPanel = nullptr;
    TBitBtnXP *SaveAsBtn = nullptr;
    TBitBtnXP *PrintBtn = nullptr;
    QScrollArea *ErgScrollBox = nullptr;
    TPaintBox *ErgPaintBox = nullptr;

    // Bottom bar and status bar.
    QPushButton *wwwBtn = nullptr;
    TImageBtn *ueberbtn = nullptr;
    TImageBtn *endebtn = nullptr;
    TStatusBar *StatusBar1 = nullptr;

    // Non-visual components.
    QTimer *Timer1 = nullptr;
    QMenu *FarbenPopup = nullptr;
    QAction *FarbenvomVorgngerbildbernehmen1 = nullptr;
    QAction *FarbenvoneinemVorgngerbildbernehmen1 = nullptr;
    QAction *Farblisteneu1 = nullptr;
    QAction *Farblisteffnen1 = nullptr;
    QAction *Farblistespeichern1 = nullptr;
    QMenu *BildfolgePopup = nullptr;
    QAction *SpeichernalsBildfolgemitNummerierung1 = nullptr;
    QMenu *StapelverarbeitungPopup = nullptr;
    QAction *AlleausgewhltenBildercolorieren1 = nullptr;

    // Start and end.
    void FormCreate();
    // Asks the closing questions; true when the window may close.
    bool FormCloseQuery();
    // With unsaved changes, asks whether to save them first. True when the
    // caller may go on: Yes and a successful save, or No.
    bool QuerySaveChanges();

    // Saving (files/). SaveTheFile writes `outdi` to `tempfile` in the format of
    // its extension; on success it clears the changes mark and names the file in
    // the last-saved fields. Failures are reported and change nothing.
    bool SaveTheFile(const QString &tempfile);
    // "Speichern": to `afilename`, or through the save dialog when it is empty.
    bool SaveFile();
    // The save dialog; the chosen name, completed by the entry's extension when
    // it has none, is written and becomes `afilename`. False when cancelled or failed.
    bool SaveWithDialog();
    void BitBtn1Click();      // "Speichern unter..."
    void MySaveAsBtnClick();
    void SaveBtnClick();

    // Pixel operations and "Alles einfärben" (editor/PixelHandlers.cpp). The
    // three pixel operations address `di` and `outdi` through `rowoffsets`,
    // which their caller keeps current; they neither redraw nor mark changes.
    void DoPix(int32_t x, int32_t y, int32_t hue, int32_t sat, int32_t bright);
    void DoPixDelete(int32_t x, int32_t y);
    void DoPixMalen(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b, bool fest);
    void ColorAllBtnClick();

    // Pages and the bottom bar.
    void Button3Click();
    void Button2Click();
    void Button1Click();
    void PageControl2Change();
    void EndeBtnClick();
    void ueberbtnClick();
    void wwwBtnClick();

    // Top-bar menu buttons: each opens its menu below itself.
    void FarbenBtnClick();
    void BildfolgeBtnClick();
    void StapelverarbeitungBtnClick();

    // Folder tree and file list.
    void FilterComboBox1Change();
    void JamShellTree1Change();
    // Selects `folder` in the folder tree; the file list follows.
    void SelectTreeFolder(const QString &folder);

    // Repaints the work canvas and the result view after an operation on `outdi`.
    void RedrawCanvas();

    // Picture display (image/DisplayHandlers.cpp): the paint handlers of the
    // preview, the work canvas and the result view; each draws only `exposed`.
    // PaintBox1Paint draws the canvas afresh, which takes a shown brush outline
    // off it, and clears havetodel; a tool that shows an outline draws it after
    // this in the same paint event and sets havetodel again.
    void DibPrevPaintPaint(QPainter &canvas, const QRect &exposed);
    void PaintBox1Paint(QPainter &canvas, const QRect &exposed);
    void ErgPaintBoxPaint(QPainter &canvas, const QRect &exposed);
    // Shows a drawing failure once the paint event is over (a modal box cannot
    // open inside one); further failures are dropped while one is waiting.
    void ReportDisplayFailure(const QString &text);
    bool displayFailurePending = false;

    // Status bar, progress gauge and caption marker.
    void StatusBar1DrawPanel(QPainter &canvas, const TRect &rect);
    void SetProStatus(int32_t pro);
    void SBarPaintMore();
    void WMUser(uintptr_t wParam);
    void SetChanged();
    void SetUnChanged();

    // Depth and grey conversion, soften filter (image/ConversionHandlers.cpp).
    // DepthUpTo converts `di` in place; every caller passes 24.
    void DepthUpTo(int32_t nbpp);
    int32_t zweihoch(int32_t i);
    void GrrayBtnClick();
    void SoftenBtnClick();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    QWidget *buildTopBar();
    QWidget *buildPageButtonBar();
    QWidget *buildLoadPage();
    QWidget *buildColourPage();
    QWidget *buildColourBar();
    QWidget *buildSpeedBar();
    QWidget *buildSwatchPanel();
    QWidget *buildColourListPanel();
    QWidget *buildResultPage();
    QWidget *buildBottomBar();
    void buildMenus();
    void selectPage(int index);

    void revealTreeFolder();

    static void sinkSend(void *target, uint32_t msg, uintptr_t wParam, intptr_t lParam);

    bk3_sink sink{};
    bool selectingPage = false; // a page button, not the tabs, is changing the page
    QPersistentModelIndex revealFolder; // folder of the tree still to be scrolled into view
};
