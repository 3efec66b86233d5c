// Loading pictures: from the file list (double-click or Enter), through the open
// dialog, by stepping to the next or previous file of the list's folder, and by
// dropping files on the window. A picture opened otherwise than from the list is
// then shown and selected there.
#include "DroppedFiles.h"
#include "FormatCodes.h"
#include "HiddenNames.h"
#include "MainUnit.h"
#include "PaintBox.h"
#include "PictureLoad.h"
#include "StatusBar.h"
#include "Stepping.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <functional>

namespace {

// Where a stepped-to item is scrolled: this far below the list's top edge, so
// the items before it stay in sight.
constexpr int kSteppedItemTop = 50;

// The first selected item of the list in display order, or -1.
int firstSelectedRow(const QListView *view)
{
    const QModelIndex root = view->rootIndex();
    int first = -1;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes())
        if (index.parent() == root && (first < 0 || index.row() < first))
            first = index.row();
    return first;
}

// The file list as stepping sees it: the rows of the shown folder in the
// model's order, which is the order the list shows.
class FileListStepping : public SteppingList {
public:
    FileListStepping(QListView *view, QFileSystemModel *model) : view(view), model(model) {}

    int count() const override { return model->rowCount(view->rootIndex()); }
    int selected() const override { return firstSelectedRow(view); }
    bool isFolder(int index) const override { return model->isDir(item(index)); }
    void selectOnly(int index) override
    {
        view->selectionModel()->setCurrentIndex(item(index), QItemSelectionModel::ClearAndSelect);
    }

private:
    QModelIndex item(int index) const { return model->index(index, 0, view->rootIndex()); }

    QListView *view;
    QFileSystemModel *model;
};

// A label is being edited when the view shows an editor: editors are children
// of its viewport, hidden as soon as editing ends.
bool editingLabel(const QListView *view)
{
    const QList<QWidget *> children = view->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    return std::any_of(children.begin(), children.end(), [](const QWidget *child) { return !child->isHidden(); });
}

// Hands the typed characters of a widget to a key-press handler in the classic
// form: the handler may set the character to 0, which swallows the key.
class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject *parent, std::function<void(QChar &)> handler)
        : QObject(parent), handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto *press = static_cast<QKeyEvent *>(event);
        QChar key;
        if (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter)
            key = QChar(13);
        else if (!press->text().isEmpty())
            key = press->text().front();
        else
            return false;
        handler(key);
        return key.isNull();
    }

private:
    std::function<void(QChar &)> handler;
};

QString nativePath(const QString &path) { return QDir::toNativeSeparators(path); }

// The drop's files, when they can be taken as copies: the files stay where
// they are whatever the program they came from proposed.
DropChoice droppedFile(const QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    if (data == nullptr || !data->hasUrls() || !(event->possibleActions() & Qt::CopyAction))
        return {};
    return chooseDroppedFile(data->urls(), [](const QString &path) { return QFileInfo(path).isDir(); });
}

// Scrolls `item` of the list this far below the top, where stepping puts it.
void scrollNearTop(QListView *view, const QModelIndex &item)
{
    QScrollBar *bar = view->verticalScrollBar();
    bar->setValue(bar->value() + view->visualRect(item).top() - kSteppedItemTop);
}

} // namespace

void TMainForm::wireLoading()
{
    connect(OpenPictureBtn, &QToolButton::clicked, this, &TMainForm::OpenPictureBtnClick);
    connect(PreviousPictureBtn, &QPushButton::clicked, this, &TMainForm::PreviousPictureBtnClick);
    // BitBtn1 keeps its classic name but is the top bar's "Nächstes Bild laden...".
    connect(BitBtn1, &QPushButton::clicked, this, &TMainForm::NextPictureBtnClick);
    connect(PreviousBtn2, &QPushButton::clicked, this, &TMainForm::PreviousPictureBtnClick);
    connect(NextPictureBtn, &QPushButton::clicked, this, &TMainForm::NextPictureBtnClick);
    connect(JamShellList1, &QAbstractItemView::doubleClicked, this, [this] { JamShellList1DblClick(); });
    JamShellList1->installEventFilter(
        new KeyPressFilter(JamShellList1, [this](QChar &key) { JamShellList1KeyPress(key); }));
    // Stepping places the chosen item a number of pixels below the top.
    JamShellList1->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setAcceptDrops(true);

    // The model reads folders and applies the type filter in the background: an
    // opened picture is selected when its row arrives, and kept in view while
    // the rows are sorted, until the user turns to the list.
    const auto rowsChanged = [this] {
        selectFollowedFile();
        revealListFile();
    };
    connect(fileModel, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(fileModel, &QAbstractItemModel::layoutChanged, this, rowsChanged);
    connect(fileModel, &QFileSystemModel::directoryLoaded, this, &TMainForm::selectFollowedFile);
    connect(JamShellList1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                // A choice of its own in the list (or a step) wins over the waiting one.
                if (!selectingFollowed && current.isValid())
                    followFile.clear();
            });
    connect(JamShellList1->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { revealFile = QPersistentModelIndex(); });
}

bool TMainForm::openfilenow(const QString &s)
{
    const Progress gauge = StatusBar1->gauge();
    // Both new pictures exist before the old ones go, so a failure at any step
    // leaves the current work as it is.
    LoadedPicture loaded = readPicture(QFile::encodeName(s), messageSink(), gauge);
    if (loaded.failure != LoadFailure::None) {
        gauge(0);
        const LoadFailureMessage message = loadFailureMessage(loaded.failure, s, loaded.reason);
        dialogs->message(this, message.text, message.title,
                         message.errorIcon ? QMessageBox::Critical : QMessageBox::NoIcon, QMessageBox::Ok);
        return false;
    }
    di = std::move(loaded.source);
    outdi = std::move(loaded.result);

    ZoomEdChange();
    fitPending = true;
    fitLargePicture();
    RedrawCanvas();
    Breit->setText(QString::number(dibwidth(di)) + QStringLiteral(" Pixels"));
    Hoch->setText(QString::number(dibheight(di)) + QStringLiteral(" Pixels"));
    // The depth after widening: every loaded picture shows 16777216.
    Tief->setText(QString::number(zweihoch(dibbits(di))));
    DibPrevPaint->update();

    afilename = s;
    SetUnChanged();
    restartHistory();
    clearMotionMask();
    return true;
}

bool TMainForm::OpenFile()
{
    FileRequest request;
    request.title = QStringLiteral("Öffnen");
    request.folder = openDialog1Folder.isEmpty()
                         ? nativePath(fileModel->filePath(JamShellList1->rootIndex()))
                         : openDialog1Folder;
    request.filter = QString::fromLocal8Bit(GetDIBOpenFilter());
    const FileAnswer answer = dialogs->openFile(this, request);
    if (!answer.accepted || answer.fileNames.isEmpty())
        return false;
    const QString name = nativePath(answer.fileNames.first());
    openDialog1Folder = nativePath(QFileInfo(name).absolutePath());
    if (!openfilenow(name))
        return false;
    followOpenedPicture(name);
    return true;
}

void TMainForm::followOpenedPicture(const QString &file)
{
    const QFileInfo info(file);
    // A type the list hides would leave nothing to select.
    QList<FilterEntry> entries;
    for (int i = 0; i < FilterComboBox1->count(); ++i)
        entries.append({FilterComboBox1->itemText(i), FilterComboBox1->itemData(i).toStringList()});
    FilterComboBox1->setCurrentIndex(filterEntryForFile(entries, FilterComboBox1->currentIndex(), info.fileName()));
    SelectTreeFolder(info.absolutePath());
    // Set only now: rows arriving while the list still showed the old folder would drop it.
    followFile = info.absoluteFilePath();
    revealFile = QPersistentModelIndex();
    selectFollowedFile();
}

void TMainForm::selectFollowedFile()
{
    if (followFile.isEmpty())
        return;
    const QFileInfo info(followFile);
    const QModelIndex root = JamShellList1->rootIndex();
    if (QDir::cleanPath(fileModel->filePath(root)) != QDir::cleanPath(info.absolutePath())) {
        followFile.clear(); // the list went to another folder
        return;
    }
    // Until the row arrives the selection stays as it is, and so does stepping.
    for (int row = 0; row < fileModel->rowCount(root); ++row) {
        const QModelIndex item = fileModel->index(row, 0, root);
        if (fileModel->fileName(item) != info.fileName() || fileModel->isDir(item))
            continue;
        followFile.clear();
        selectingFollowed = true;
        JamShellList1->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
        selectingFollowed = false;
        revealFile = item;
        scrollNearTop(JamShellList1, item);
        return;
    }
}

void TMainForm::revealListFile()
{
    if (!revealFile.isValid() || revealFile != JamShellList1->currentIndex()) {
        revealFile = QPersistentModelIndex();
        return;
    }
    scrollNearTop(JamShellList1, revealFile);
}

void TMainForm::OpenPictureBtnClick()
{
    if (QuerySaveChanges())
        OpenFile();
}

void TMainForm::JamShellList1DblClick()
{
    const int row = firstSelectedRow(JamShellList1);
    if (row < 0)
        return;
    const QModelIndex item = fileModel->index(row, 0, JamShellList1->rootIndex());
    if (fileModel->isDir(item)) {
        // Opening a folder in the list selects it in the tree, which the list follows.
        SelectTreeFolder(fileModel->filePath(item));
        return;
    }
    // Taken now: saving first may add a file to the folder and move the rows.
    const QString file = nativePath(fileModel->filePath(item));
    // The tree's folder; the tree has no virtual folder from whose list a file
    // could be opened (the drive list shows folders only).
    QString folder = nativePath(folderModel->filePath(JamShellTree1->currentIndex()));
    if (!folder.isEmpty())
        folder = withTrailingSeparator(folder);
    AddToPrefFolders(folder);
    if (QuerySaveChanges())
        openfilenow(file);
    saveDialog1Folder = folder;
}

void TMainForm::dragEnterEvent(QDragEnterEvent *event)
{
    // Long work only repaints the window; a picture dropped now would pull its
    // pictures away from under it.
    if (busy || droppedFile(event).open.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TMainForm::dropEvent(QDropEvent *event)
{
    const DropChoice drop = droppedFile(event);
    if (busy || drop.open.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // Opened once the drop has ended: the questions and messages on the way
    // must not keep the program the files came from waiting.
    QTimer::singleShot(0, this, [this, drop] { openDroppedFile(drop); });
}

void TMainForm::openDroppedFile(const DropChoice &drop)
{
    const QString file = nativePath(drop.open);
    if (drop.folder) {
        // Cannot open, so nothing to ask first: only the usual refusal.
        openfilenow(file);
    } else {
        // As a double-click in the list of the file's folder.
        const QString folder = withTrailingSeparator(nativePath(QFileInfo(file).absolutePath()));
        AddToPrefFolders(folder);
        if (QuerySaveChanges() && openfilenow(file))
            followOpenedPicture(file);
        saveDialog1Folder = folder;
    }
    if (drop.ignored > 0)
        StatusBar1->setText(ignoredDropText(drop.ignored));
}

void TMainForm::JamShellList1KeyPress(QChar &Key)
{
    if (Key != QChar(13) || editingLabel(JamShellList1))
        return;
    JamShellList1DblClick();
    Key = QChar(0);
}

void TMainForm::stepPicture(StepDirection direction)
{
    // Stepping passes over files the list cannot show without a word; the user
    // is told once per folder.
    const QString folder = fileModel->filePath(JamShellList1->rootIndex());
    if (!folder.isEmpty() && !foldersCheckedForNames.contains(folder)) {
        foldersCheckedForNames.append(folder);
        if (const int hidden = unlistableNames(folder))
            StatusBar1->setText(unlistableNamesText(hidden));
    }
    FileListStepping list(JamShellList1, fileModel);
    if (!stepToPicture(list, direction)) {
        dialogs->message(this, QStringLiteral("Alle Bilder in dem Ordner wurden abgearbeitet."),
                              direction == StepDirection::Next
                                  ? QStringLiteral("Kein nächstes Bild vorhanden")
                                  : QStringLiteral("Kein vorheriges Bild vorhanden"),
                              QMessageBox::Information, QMessageBox::Ok);
        return;
    }
    JamShellList1DblClick();
    const int row = firstSelectedRow(JamShellList1);
    if (row < 0)
        return;
    scrollNearTop(JamShellList1, fileModel->index(row, 0, JamShellList1->rootIndex()));
}

void TMainForm::NextPictureBtnClick() { stepPicture(StepDirection::Next); }

void TMainForm::PreviousPictureBtnClick() { stepPicture(StepDirection::Previous); }
