// The main window's start, end, page buttons and bottom bar.
#include "MainUnit.h"

#include "FormatCodes.h"

#include "AboutBoxUnit.h"
#include "CanvasBox.h"
#include "ErrorReport.h"
#include "PaintBox.h"
#include "Startup.h"
#include "StatusBar.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeView>
#include <cstring>

const char *const kMainCaption = "MERIDAN Nuanza 1.5";

TMainForm::TMainForm(QWidget *parent, std::unique_ptr<UserDialogs> startDialogs)
    : QMainWindow(parent),
      dialogs(startDialogs ? std::move(startDialogs) : std::make_unique<QtUserDialogs>())
{
    sink.target = this;
    sink.send = &TMainForm::sinkSend;

    // An exception that escapes a handler is shown over this window; the program
    // goes on running.
    setErrorReporter([this](const QString &text) {
        dialogs->message(this, text, QString::fromUtf8(kProgramTitle), QMessageBox::Critical,
                         QMessageBox::Ok);
    }, this);

    buildLayout();
    FormCreate();
}

TMainForm::~TMainForm()
{
    clearErrorReporter(this);
}

void TMainForm::setDialogs(std::unique_ptr<UserDialogs> replacement)
{
    dialogs = std::move(replacement);
}

namespace {

// A new white 24-bit picture; without a pixel block it stays empty and unfilled.
Picture whitePicture(int32_t width, int32_t height)
{
    Picture picture(width, height, 24);
    if (!picture.empty() && picture->pmi != nullptr)
        std::memset(picture->poi, 255, picture->pmi->bmiHeader.biSizeImage);
    return picture;
}

} // namespace

void TMainForm::FormCreate()
{
    progpath = withTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    maincap = windowTitle();

    // The file list starts with the mask of the filter's first entry.
    {
        const QSignalBlocker blocker(FilterComboBox1);
        FilterComboBox1->clear();
        for (const FilterEntry &entry : parseFilter(QString::fromLocal8Bit(GetDIBOpenFilter())))
            FilterComboBox1->addItem(entry.description, entry.masks);
        FilterComboBox1->setCurrentIndex(FilterComboBox1->count() > 0 ? 0 : -1);
    }
    FilterComboBox1Change();

    di = whitePicture(320, 200);
    outdi = whitePicture(320, 200);
    PaintBox1->resize(dibwidth(di), dibheight(di));

    saveDialog1Folder = progpath;
    SelectTreeFolder(progpath);

    LoadPrefFolders();
    CreateSwatch();

    gsat = 141;
    ghue = 20;
    {
        // Into the fields too: a changed brightness (the saved one below, or
        // the user's before the picker is painted) takes the colour from them.
        const QSignalBlocker hueBlocker(HueED);
        const QSignalBlocker satBlocker(SatEd);
        HueED->setValue(ghue);
        SatEd->setValue(gsat);
    }

    // The data folder is only read here; it is created when something is written.
    const QString dataFolder = GetProgramDir(false);
    if (QFileInfo::exists(dataFolder + QLatin1String("farbliste.far"))) {
        colourListUnread = !OpenFarbListe(dataFolder + QLatin1String("farbliste.far"), true);
        colourListEdited = false; // reading it is no change of the user's
    }
    if (QFileInfo::exists(dataFolder + QLatin1String("settings.dat")))
        OpenSettings(dataFolder + QLatin1String("settings.dat"));
}

bool TMainForm::QuerySaveChanges()
{
    if (!changed)
        return true;
    const auto answer = dialogs->message(
        this, QStringLiteral("Die Datei wurde noch nicht gespeichert. Wollen Sie jetzt speichern?"),
        QStringLiteral("Speichern"), QMessageBox::Question,
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return SaveFile();
    return answer == QMessageBox::No;
}

bool TMainForm::FormCloseQuery()
{
    const bool canClose = QuerySaveChanges();
    if (!canClose)
        return false;
    const auto answer = dialogs->message(
        this,
        QStringLiteral("Wollen Sie die Einstellungen für den Radius, den Zoom und die Helligkeit speichern?"),
        QStringLiteral("Einstellungen speichern?"), QMessageBox::Question,
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes)
        SaveSettings(GetProgramDir(true) + QLatin1String("settings.dat"));
    return true;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (busy || !FormCloseQuery()) {
        event->ignore();
        return;
    }
    StoreFormPlacement();
    FormClose();
    event->accept();
}

void TMainForm::showEvent(QShowEvent *event)
{
    if (!placementRestored) {
        placementRestored = true;
        RestoreFormPlacement();
        if (growOnFirstStart && !placementStored)
            growForCanvasOnFirstStart();
    }
    QMainWindow::showEvent(event);
}

void TMainForm::selectPage(int index)
{
    selectingPage = true;
    PageControl2->setCurrentIndex(index);
    selectingPage = false;
}

void TMainForm::Button3Click() { selectPage(0); }
void TMainForm::Button2Click() { selectPage(1); }
void TMainForm::Button1Click() { selectPage(2); }

void TMainForm::PageControl2Change()
{
    // The canvas is drawn afresh when its page returns, outline included.
    PaintBox1->setOutlineOnScreen(false);
}

void TMainForm::EndeBtnClick() { close(); }

void TMainForm::ueberbtnClick()
{
    const std::unique_ptr<TAboutBox> box(new TAboutBox(this));
    dialogs->exec(box.get());
}

void TMainForm::wwwBtnClick() { openMeridanWebSite(); }

namespace {

void popupBelow(QMenu *menu, QWidget *button)
{
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

} // namespace

void TMainForm::FarbenBtnClick() { popupBelow(FarbenPopup, FarbenBtn); }
void TMainForm::BildfolgeBtnClick() { popupBelow(BildfolgePopup, BildfolgeBtn); }
void TMainForm::StapelverarbeitungBtnClick() { popupBelow(StapelverarbeitungPopup, StapelverarbeitungBtn); }

void TMainForm::FilterComboBox1Change()
{
    fileModel->setNameFilters(FilterComboBox1->currentData().toStringList());
}

void TMainForm::JamShellTree1Change()
{
    const QString folder = folderModel->filePath(JamShellTree1->currentIndex());
    JamShellList1->setRootIndex(fileModel->setRootPath(folder));
}

void TMainForm::SelectTreeFolder(const QString &folder)
{
    const QModelIndex index = folderModel->index(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
    if (!index.isValid())
        return;
    JamShellTree1->setCurrentIndex(index);
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        JamShellTree1->expand(parent);
    JamShellTree1->scrollTo(index);
    // The model reads and sorts folders in the background, which moves the rows:
    // keep the folder in view until the user turns to the tree.
    revealFolder = index;
}

void TMainForm::revealTreeFolder()
{
    if (!revealFolder.isValid() || revealFolder != JamShellTree1->currentIndex()) {
        revealFolder = QPersistentModelIndex();
        return;
    }
    JamShellTree1->scrollTo(revealFolder, QAbstractItemView::PositionAtCenter);
}

void TMainForm::RedrawCanvas()
{
    // The result view takes the picture's size before it paints, so it is not
    // first painted at the old size.
    const QSize picture(dibwidth(outdi), dibheight(outdi));
    if (ErgPaintBox->size() != picture)
        ErgPaintBox->resize(picture);
    PaintBox1->update();
    ErgPaintBox->update();
}
