// The main window: it owns the pictures, the current colour and the flags of the
// tools, and every control of the program. Handlers keep their classic names and
// are defined in MainWindow_<concern>.cpp beside this file.
#pragma once

#include "Brush.h"
#include "ColourListFile.h"
#include "LayerShift.h"
#include "MotionTransfer.h"
#include "Picture.h"
#include "Rect.h"
#include "SharedFile.h"
#include "Stepping.h"
#include "UserDialogs.h"

#include <QList>
#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class PictureHistory;
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
class TCanvasBox;
class TImageBtn;
class TPaintBox;
class TShape;
class TStatusBar;

// The design-time caption of the main window, the base of every caption.
extern const char *const kMainCaption;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // `startDialogs` answers the questions and shows the messages of the start
    // already (tests hand in scripted ones); without it the real dialogs are used.
    explicit TMainForm(QWidget *parent = nullptr, std::unique_ptr<UserDialogs> startDialogs = nullptr);
    ~TMainForm() override; // FormDestroy

    // The document: source and result pictures, the swatch, the file and its
    // changes mark, the current colour and the program folder.
    Picture pal24dib;
    Picture di;
    QString afilename;
    QString progpath;
    Picture outdi;
    int32_t ghue = 0;
    int32_t gsat = 0;
    bool changed = false;

    void setDialogs(std::unique_ptr<UserDialogs> replacement);

    // Where the imaging library sends its progress reports.
    bk3_sink *messageSink() { return &sink; }

    // What the tools are doing, for the canvas's own tests: a stroke under way,
    // its last point (canvas pixels), a drag of the result view and its start.
    bool painting() const { return inpaint; }
    QPoint lastStrokePoint() const { return QPoint(amx, amy); }
    bool draggingResult() const { return ziehen; }
    QPoint dragStart() const { return QPoint(ziehx, ziehy); }
    // The base of every caption, and the save dialog's starting folder.
    const QString &captionBase() const { return maincap; }
    const QString &saveFolder() const { return saveDialog1Folder; }

    // The handlers, with their classic names; controls are reached by their
    // object names (WindowControls.h).

    // Start and end.
    void FormCreate();
    // Asks the closing questions; true when the window may close.
    bool FormCloseQuery();
    // With unsaved changes, asks whether to save them first. True when the
    // caller may go on: Yes and a successful save, or No.
    bool QuerySaveChanges();

    // Saving (MainWindow_Save.cpp). SaveTheFile writes `outdi` to `tempfile` in the format of
    // its extension; on success it clears the changes mark and names the file in
    // the last-saved fields. Failures are reported and change nothing.
    bool SaveTheFile(const QString &tempfile);
    // "Speichern": to `afilename`, or through the save dialog when it is empty.
    bool SaveFile();
    // The save dialog; the chosen name, completed by the entry's extension when
    // it has none, is written and becomes `afilename`. False when cancelled or failed.
    bool SaveWithDialog();
    // A save dialog that never asks itself: the chosen name is completed by
    // `request.defaultExt` (else the chosen entry's extension) when it has none,
    // and only then, when that file exists, the user is asked whether to replace
    // it. Not accepted when cancelled or when the user keeps the file.
    FileAnswer askSaveName(FileRequest request);
    void BitBtn1Click();      // "Speichern unter..."
    void MySaveAsBtnClick();
    void SaveBtnClick();

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

    // Picture display (MainWindow_Display.cpp): the paint handlers of the
    // preview, the work canvas and the result view; each draws only `exposed`.
    // PaintBox1Paint draws the picture only: the canvas takes a shown brush
    // outline off before it and draws a requested one after it.
    void DibPrevPaintPaint(QPainter &canvas, const QRect &exposed);
    void PaintBox1Paint(QPainter &canvas, const QRect &exposed);
    void ErgPaintBoxPaint(QPainter &canvas, const QRect &exposed);
    // Shows a drawing failure once the paint event is over (a modal box cannot
    // open inside one); further failures are dropped while one is waiting.
    void ReportDisplayFailure(const QString &text);

    // Progress gauge (drawn by StatusBar1) and caption marker.
    void SetProStatus(int32_t pro);
    void WMUser(uintptr_t wParam);
    void SetChanged();
    void SetUnChanged();

    // "Alles einfärben" (MainWindow_Pixels.cpp), grey conversion and soften
    // filter (MainWindow_Conversions.cpp).
    void ColorAllBtnClick();
    int32_t zweihoch(int32_t i);
    void GrrayBtnClick();
    void SoftenBtnClick();


    // ---- Loading and folder stepping (MainWindow_File.cpp) ----
    // Loads `s` (full path) as the new source and result picture. False after a
    // failure, which has been reported; the current pictures then stay.
    bool openfilenow(const QString &s);
    // The open dialog, then openfilenow of the chosen file; false when cancelled.
    bool OpenFile();
    void OpenPictureBtnClick();
    // Opens the selected item of the file list: a folder in the list, a file as
    // the new picture (after the unsaved-changes question).
    void JamShellList1DblClick();
    // Enter (13) on the list, unless a label is being edited, opens the selected
    // item and becomes 0; other keys pass unchanged.
    void JamShellList1KeyPress(QChar &Key);
    void NextPictureBtnClick();
    void PreviousPictureBtnClick();

    // ---- Zoom, wheel and result view (MainWindow_Zoom.cpp) ----
    // Sizes the work canvas to the picture at the zoom of ZoomEd and redraws it.
    void ZoomEdChange();
    // One call per wheel notch over the work canvas or the result view: the
    // picture of the active page scrolls 20 pixels, never sideways, never zooms.
    void FormMouseWheelDown();
    void FormMouseWheelUp();
    // Dragging the result view; x and y are in ErgPaintBox's own pixels.
    void ErgPaintBoxMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x, int32_t y);
    void ErgPaintBoxMouseMove(Qt::KeyboardModifiers shift, int32_t x, int32_t y);
    void ErgPaintBoxMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int32_t x, int32_t y);

    // ---- Favourite folders (MainWindow_Favourites.cpp) ----
    void AddToPrefFolders(const QString &s);
    // Reads "folders.dat" in the program folder into the list; silent when missing.
    void LoadPrefFolders();
    // Shows the selected favourite in the folder tree; nothing without a selection.
    void PrefListBoxDblClick();
    // Enter (character 13) acts as a double-click; other keys stay with the list.
    void PrefListBoxKeyPress(QChar &Key);

    // ---- Form storage (MainWindow_Placement.cpp) ----
    // Window placement and the two last-saved texts, kept per user.
    void RestoreFormPlacement();
    // The program's own window, not a test's: without a stored placement its
    // first show grows it for the canvas where the screen has room.
    void growWithoutStoredPlacement() { growOnFirstStart = true; }
    void growForCanvasOnFirstStart();
    int colourPageCanvasHeight();
    void StoreFormPlacement();

    // ---- Painting tools (MainWindow_Tools.cpp) ----
    // The canvas mouse handlers; x and y are canvas pixels and every button acts
    // alike. A press begins a stroke, each move or tick of Timer1 paints one
    // segment, the release ends it.
    void PaintBox1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PaintBox1MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void PaintBox1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Timer1Timer();
    void RadiusEDChange();
    void Radius2EdChange();
    // Takes the hue and saturation of result pixel (x, y) into HueED and SatEd.
    void Pipette(int32_t x, int32_t y);

    // ---- Hue/saturation picker (MainWindow_Picker.cpp) ----
    // Shows the current colour `ghue`/`gsat`: samples, labels and the two fields
    // (without their change signals), and repaints the swatch with its marker. Callers that set
    // `ghue`/`gsat` themselves call this afterwards.
    void PalPaintBoxPaint();
    // The swatch's paint event: border, swatch and marker, then the colour shown
    // as above, so the first paint brings the fields to `ghue`/`gsat`.
    void PalPaintBoxPaint(QPainter &canvas, const QRect &exposed);
    void PalPaintBoxMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void PalPaintBoxMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    // Takes HueED and SatEd into `ghue`/`gsat`; BrightEd runs it too.
    void HueEDChange();
    void SatEdChange();
    // The colour dialog for the flat-paint colour.
    void Shape5MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

    // ---- Data folder and settings (MainWindow_Settings.cpp) ----
    QString GetProgramDir(bool create);
    void OpenSettings(const QString &fname);
    void SaveSettings(const QString &fname);

    // ---- Colour list and its file (MainWindow_ColourList.cpp, editor/ColourListFile.cpp) ----
    // Replaces the list with the file's entries; true only when the whole file
    // was read. `atStart` names the file when it cannot be opened at all.
    bool OpenFarbListe(const QString &fname, bool atStart = false);
    void SaveFarbListe(const QString &fname);
    // Saves the colour list into the data folder; runs at every close, except
    // after a start that could not read the whole list and no change since.
    void FormClose();
    // The list control is the only store of the entries: name, hue text, saturation text.
    void ListView1Click(); // a click applies the selected entry; the arrow keys do not
    void SaveColorinListBtnClick();
    void ChangeColorBtnClick();
    void DelColorBtnClick();
    void MoveColorUpBtnClick();
    void MoveColorDownBtnClick();
    void Farblisteneu1Click();
    void Farblisteffnen1Click();
    void Farblistespeichern1Click();
    // ToolButton1Click .. ToolButton10Click: the preset colour and the colouring tool.
    void SetPresetColour(int32_t hue, int32_t sat);

    // ---- Film series: transfer, layer shift, batch (MainWindow_FilmSeries.cpp) ----
    // Colour transfer: the result takes hue and saturation of the picture in
    // `fname` (top-left aligned, overlap only) and keeps the source's shading.
    // A predecessor that cannot be read is reported; nothing changes then.
    void UseColorsFromPicture(const QString &fname);
    void FarbenvomVorgngerbildbernehmen1Click();     // the picture saved last
    void FarbenvoneinemVorgngerbildbernehmen1Click(); // a predecessor chosen in OpenDialog1
    // The same along the motion between the picture saved last and this one
    // (MainWindow_Motion.cpp); the pixels where the motion was not trusted are
    // kept for "Änderungen zeigen" until the next load.
    void UseColorsFollowingMotion(const QString &fname);
    void FarbenmitBewegungbernehmen1Click();
    // The predecessor in `fname` at 24 bits; a file that cannot be read is reported.
    bool loadPredecessor(const QString &fname, Picture &predecessor);
    void clearMotionMask();
    void drawUntrustedPixels(QPainter &canvas, const QRect &exposed, double zoom) const;
    // Layer shift by MovePixelEd pixels (MainWindow_LayerShift.cpp).
    void MoveUpBtnClick();
    void MoveDownBtnClick();
    void MoveLeftBtnClick();
    void MoveRightBtnClick();
    // Batch: the selected files of OpenDialog3 take the colours of the current
    // result and are written over themselves; the current picture comes back.
    void AlleBilderimOrdnercolorieren1Click();

    // ---- Undo and redo (MainWindow_History.cpp) ----
    // Undoes or redoes the last step of the pictures, when there is one.
    void UndoBtnClick();
    void RedoBtnClick();

    // ---- Print and numbered sequence (MainWindow_Print.cpp) ----
    void CreateBildfolgeForm();
    void PrintBtnClick();
    // Prints `outdi` on the print dialog's printer with the dialog's layout.
    // False when nothing was printed; failures have been reported.
    bool PrintResult();
    void SpeichernalsBildfolgemitNummerierung1Click();
    // Writes `outdi` once for every number of the sequence, in order, through
    // SaveTheFile, with the progress on the gauge and, for more than one file, a
    // progress dialog. Stops at the first failure (reported by the saving) or
    // when the user cancels between two files. Returns how many files were written.
    int64_t SaveSequenceFiles(const struct NumberedSequence &sequence);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    // Picture files dropped on the window open as from the file list.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

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
    // Brings the load page to a picture just opened for editing by another route
    // than the list: its folder in the tree, its file selected in the list (once
    // the list has the row), so stepping goes on from it. Loads nothing.
    void followOpenedPicture(const QString &file);
    void selectFollowedFile();
    void revealListFile();
    void openDroppedFile(const struct DropChoice &drop);

    static void sinkSend(void *target, uint32_t msg, uintptr_t wParam, intptr_t lParam);

    bk3_sink sink{};
    bool placementRestored = false; // the stored placement is applied at the first show only
    bool placementStored = false;   // the first show found a stored placement and applied it
    bool growOnFirstStart = false;  // see growForCanvasOnFirstStart
    bool selectingPage = false; // a page button, not the tabs, is changing the page
    bool busy = false;          // long work runs; the window only repaints (BusyWindow)
    MotionMask motionMask;      // where the last carry-over along the motion was not trusted
    QPersistentModelIndex revealFolder; // folder of the tree still to be scrolled into view
    QString followFile; // opened picture still to be selected when its row arrives in the list
    bool selectingFollowed = false;
    // The data folder's list holds more than the window: it is kept at close
    // unless the user changed the list (then it goes to "farbliste.far.bak").
    bool colourListUnread = false;
    bool colourListEdited = false;
    // The data folder's list as this run read it, to merge at close with what
    // another instance wrote there in the meantime.
    FileStamp colourListStamp;
    std::vector<FarEntry> colourListRead;
    QPersistentModelIndex revealFile; // selected picture of the list still to be kept in view
    QStringList foldersCheckedForNames; // folders whose unlistable names stepping has looked for

    // Helpers of the handler files that work on the window's own parts.
    class BatchGauge;
    class KeptWork;
    class BusyWindow;
    class LeaveWatcher;
    void stepPicture(StepDirection direction);
    void shiftLayer(ShiftDirection direction);
    void showCurrentColour();
    void reportNoMemory();
    // The batch's open dialog; the chosen files, none when cancelled.
    QStringList askBatchFiles();
    // Creates and fills the swatch `pal24dib`; reports a lack of memory.
    void CreateSwatch();
    // Dabs the current tool from the first point to the second, adds what it
    // changed to `paintedRect` and leaves the redraw to its caller.
    void BrushLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t hue, int32_t sat);
    // The tool of the speed bar with its settings, in `hue` and `sat`.
    BrushAction currentAction(int hue, int sat) const;
    double zoom() const;
    int toPicture(int canvas) const;
    // Repaints the picture pixels changed since the last repaint, on the canvas
    // at its zoom and in the result view at 100 %.
    void repaintPainted();
    // The scroll box of the active page, if that page shows a picture.
    QScrollArea *activePictureArea() const;
    void scrollActivePage(int by);

    // Each subsystem connects its own controls in its own file; buildLayout calls
    // these once every control exists.
    void wireLoading();        // MainWindow_File.cpp
    void wireZoomView();       // MainWindow_Zoom.cpp
    void wirePrefFolders();    // MainWindow_Favourites.cpp
    void wireTools();          // MainWindow_Tools.cpp
    void wirePicker();         // MainWindow_Picker.cpp
    void wireColourList();     // MainWindow_ColourList.cpp
    void wireFilmSeries();     // MainWindow_FilmSeries.cpp: transfer, shift, batch
    void wirePrinting();       // MainWindow_Print.cpp: print, numbered sequence
    void wireHistory();        // MainWindow_History.cpp: undo and redo
    void wireKeys();           // MainWindow_Keys.cpp: the keys beside the buttons
    void giveHints();          // MainWindow_Hints.cpp: a hint for every control

    // Zoom steps (MainWindow_Zoom.cpp): the canvas at `zoom` per cent with the
    // picture point under `viewPoint` (pixels of the canvas's view) kept in place.
    void zoomCanvas(int zoom, QPoint viewPoint);
    QPoint canvasViewCentre() const;
    // The zoom at which the whole picture shows in the view, scrolled to its start.
    void fitCanvas();
    // A large picture opens fitted until a zoom was read from the settings or
    // chosen by the user.
    bool fitOnOpen = true;
    bool fitting = false;
    // The canvas's view has its size only while its page shows: a picture
    // opened on another page is fitted when the page comes.
    bool fitPending = false;
    void fitLargePicture();

    // The history of the pictures' changes. A step begins before its first
    // change is written and ends after its last; a new picture starts afresh.
    PictureHistory *history = nullptr;
    void beginStep(const QString &name);
    // Keeps what a brush segment is about to change.
    void keepBeforeBrush(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const BrushAction &action);
    // Keeps the whole result before a command rewrites it.
    void beginWholeStep(const QString &name);
    void endStep(bool changedPictures);
    void restartHistory(bool unsaved = false);
    void showHistory();
    // The user hears once per picture that a step was too large to undo.
    bool tooLargeTold = false;

    // Tool and dialog state, in the classic order.
    QString maincap;
    bool ziehen = false;
    int32_t ziehx = 0;
    int32_t ziehy = 0;
    int32_t amx = 0;
    int32_t amy = 0;
    bool inpaint = false;
    // Picture pixels changed since the canvas last repainted them.
    PixelRect paintedRect;
    bool displayFailurePending = false;
    // Initial folder and chosen filter entry (from 1) of the picture save dialog.
    QString saveDialog1Folder;
    int saveDialog1FilterIndex = 1;
    // Initial folder of the picture open dialog: where the last file was chosen.
    QString openDialog1Folder;
    // Initial folder of the batch's open dialog: where the last batch took its files.
    QString openDialog3Folder;

    // Every modal interaction goes through this; tests install a scripted one.
    std::unique_ptr<UserDialogs> dialogs;

    // The numbered-sequence dialog is made at program start (CreateBildfolgeForm,
    // called by main) and keeps its numbers for the run; the print dialog is made
    // at the first print and kept, with its printer and choices.
    class TBildfolgeForm *BildfolgeForm = nullptr;
    class TPrintForm *PrintForm = nullptr;

    // The controls, found by their object names from outside.
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
    QCheckBox *AenderungenCheck = nullptr;

    // Page "Foto colorieren": canvas, tools, swatch, colour list.
    QScrollArea *ScrollBox1 = nullptr;
    TCanvasBox *PaintBox1 = nullptr;
    QWidget *SpeedBar1 = nullptr;
    QButtonGroup *toolGroup = nullptr;
    QToolButton *ColorierenBtn = nullptr;
    QToolButton *RadiergummiBtn = nullptr;
    QToolButton *PipetteBtn = nullptr;
    QToolButton *LinieBtn = nullptr;
    QToolButton *UndoBtn = nullptr;
    QToolButton *RedoBtn = nullptr;
    QToolButton *FitBtn = nullptr;
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
    QAction *FarbenmitBewegungbernehmen1 = nullptr;
    QAction *Farblisteneu1 = nullptr;
    QAction *Farblisteffnen1 = nullptr;
    QAction *Farblistespeichern1 = nullptr;
    QMenu *BildfolgePopup = nullptr;
    QAction *SpeichernalsBildfolgemitNummerierung1 = nullptr;
    QMenu *StapelverarbeitungPopup = nullptr;
    QAction *AlleausgewhltenBildercolorieren1 = nullptr;
    QAction *UndoAction = nullptr;
    QAction *RedoAction = nullptr;
};
