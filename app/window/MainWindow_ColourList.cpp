// The colour list on the page "Foto colorieren": named hue/saturation pairs kept
// in the list control itself, the ten presets above the canvas, and the ".far"
// files that carry the list from one run to the next.
#include "Ansi.h"
#include "ColourListFile.h"
#include "ColourListMerge.h"
#include "ErrorReport.h"
#include "ErrorText.h"
#include "MainUnit.h"
#include "PlainFile.h"
#include "SharedFile.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QToolButton>
#include <QTreeWidget>
#include <cerrno>
#include <vector>

namespace {

enum Column { NameColumn = 0, HueColumn = 1, SatColumn = 2 };

const QString kFarFilter = QStringLiteral("Farbliste (*.far)|*.far");
const QString kFarDefaultExt = QStringLiteral(".FAR");

// Row of the selected entry, or -1.
int selectedRow(const QTreeWidget *list)
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.first());
}

void setEntry(QTreeWidgetItem *item, const QString &name, int hue, int sat)
{
    item->setText(NameColumn, name);
    item->setText(HueColumn, QString::number(hue));
    item->setText(SatColumn, QString::number(sat));
}

// Exchanges the three texts of two entries and moves the selection along.
void swapEntries(QTreeWidget *list, int from, int to)
{
    QTreeWidgetItem *a = list->topLevelItem(from);
    QTreeWidgetItem *b = list->topLevelItem(to);
    for (int column : {NameColumn, HueColumn, SatColumn}) {
        const QString text = a->text(column);
        a->setText(column, b->text(column));
        b->setText(column, text);
    }
    list->setCurrentItem(b);
}

std::string ansiBytes(const QString &text)
{
    const QByteArray bytes = toAnsi(text);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QString ansiText(const std::string &bytes)
{
    return fromAnsi(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

// A list the user has marked read-only stays as it is: QSaveFile alone would
// replace it through its folder and go around the protection.
bool isWriteProtected(const QFileInfo &target)
{
    return target.exists()
           && (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner));
}

// The list file open for reading, as the byte reader sees it.
class DeviceFarReader : public FarReader {
public:
    explicit DeviceFarReader(QFile &file) : file(file) {}
    int64_t bytesLeft() const override { return file.size() - file.pos(); }
    bool read(char *to, int64_t count) override { return file.read(to, count) == count; }

private:
    QFile &file;
};

// How far reading a list file came.
struct ListRead {
    bool opened = false;
    bool damaged = false;
    // A count below zero reads as an empty list without a message, yet the
    // file is no empty list and must not be taken for one.
    bool countBelowZero = false;
    bool complete() const { return opened && !damaged && !countBelowZero; }
};

// Reads the entries of the list file `fname` that are there in full.
ListRead readListFile(const QString &fname, std::vector<FarEntry> &entries)
{
    ListRead read;
    QFile file;
    // Only a plain file: a folder or a device is no colour list, and a pipe
    // would hold the window until something writes to it.
    if (!openPlainFile(file, fname))
        return read;
    read.opened = true;
    const QByteArray count = file.peek(4);
    read.countBelowZero = count.size() == 4 && (uchar(count[3]) & 0x80) != 0;
    DeviceFarReader reader(file);
    try {
        readFarFile(reader, entries);
    } catch (const FarFileError &) {
        read.damaged = true;
    }
    return read;
}

std::vector<FarEntry> listFileEntries(const QTreeWidget *list)
{
    std::vector<FarEntry> entries;
    entries.reserve(size_t(list->topLevelItemCount()));
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem *item = list->topLevelItem(row);
        entries.push_back({ansiBytes(item->text(NameColumn)), ansiBytes(item->text(HueColumn)),
                           ansiBytes(item->text(SatColumn))});
    }
    return entries;
}

void appendListEntries(QTreeWidget *list, std::vector<FarEntry>::const_iterator from,
                       std::vector<FarEntry>::const_iterator to)
{
    QList<QTreeWidgetItem *> items;
    items.reserve(qsizetype(to - from));
    for (; from != to; ++from)
        items.append(new QTreeWidgetItem(QStringList{ansiText(from->name), ansiText(from->hue), ansiText(from->saturation)}));
    list->addTopLevelItems(items);
}

// The ten presets in the order of the bar.
struct Preset {
    int hue;
    int sat;
};

} // namespace

void TMainForm::wireColourList()
{
    // The name column keeps its designed width and widens for longer names. Not
    // on removals: those also come while the window is being destroyed.
    const auto fitNameColumn = [this] {
        const int designed = 75;
        const int needed = static_cast<QAbstractItemView *>(ListView1)->sizeHintForColumn(NameColumn);
        ListView1->setColumnWidth(NameColumn, std::max(designed, needed));
    };
    QAbstractItemModel *entries = ListView1->model();
    connect(entries, &QAbstractItemModel::rowsInserted, this, fitNameColumn);
    connect(entries, &QAbstractItemModel::dataChanged, this, fitNameColumn);
    // Only a click applies an entry: `clicked` comes from the mouse alone, so
    // walking the list with the arrow keys leaves the colour as it is.
    connect(ListView1, &QTreeWidget::itemClicked, this, [this] { ListView1Click(); });
    connect(SaveColorinListBtn, &QPushButton::clicked, this, &TMainForm::SaveColorinListBtnClick);
    connect(ChangeColorBtn, &QPushButton::clicked, this, &TMainForm::ChangeColorBtnClick);
    connect(MoveColorUpBtn, &QToolButton::clicked, this, &TMainForm::MoveColorUpBtnClick);
    connect(MoveColorDownBtn, &QToolButton::clicked, this, &TMainForm::MoveColorDownBtnClick);
    // The delete button looks like a cancel button but is not one: Esc must
    // never delete a colour, so it gets no shortcut.
    connect(DelColorBtn, &QPushButton::clicked, this, &TMainForm::DelColorBtnClick);
    connect(Farblisteneu1, &QAction::triggered, this, &TMainForm::Farblisteneu1Click);
    connect(Farblisteffnen1, &QAction::triggered, this, &TMainForm::Farblisteffnen1Click);
    connect(Farblistespeichern1, &QAction::triggered, this, &TMainForm::Farblistespeichern1Click);
    const std::pair<QToolButton *, Preset> presets[] = {
        {ToolButton1, {20, 141}}, // Haut, also the start colour
        {ToolButton7, {17, 190}}, // Haut 2
        {ToolButton2, {143, 157}}, // Himmel
        {ToolButton3, {147, 101}}, // Wasser
        {ToolButton4, {23, 117}}, // Sand
        {ToolButton5, {55, 60}},  // Gras
        {ToolButton6, {0, 24}},   // Steine
        {ToolButton8, {139, 64}}, // Berg
        {ToolButton9, {23, 76}},  // Holz
        {ToolButton10, {89, 48}}, // Wald
    };
    for (const auto &[button, preset] : presets)
        connect(button, &QToolButton::clicked, this, [this, preset = preset] { SetPresetColour(preset.hue, preset.sat); });
}

void TMainForm::ListView1Click()
{
    const int row = selectedRow(ListView1);
    if (row < 0)
        return;
    const QTreeWidgetItem *item = ListView1->topLevelItem(row);
    // A text that is no number (possible only from a file) ends the steps
    // silently; what was set before it stays.
    Edit1->setText(item->text(NameColumn));
    bool ok = false;
    const int hue = item->text(HueColumn).toInt(&ok, 10);
    if (!ok)
        return;
    HueED->setValue(hue);
    const int sat = item->text(SatColumn).toInt(&ok, 10);
    if (!ok)
        return;
    SatEd->setValue(sat);
}

void TMainForm::SaveColorinListBtnClick()
{
    setEntry(new QTreeWidgetItem(ListView1), Edit1->text(), HueED->value(), SatEd->value());
    colourListEdited = true;
}

void TMainForm::ChangeColorBtnClick()
{
    const int row = selectedRow(ListView1);
    if (row < 0) {
        dialogs->error(this,
                       QStringLiteral("Sie müssen zuerst einen Eintrag in der Farbliste (rechts) "
                                      "auswählen, welchen Sie ändern wollen."),
                       QStringLiteral("Kein Eintrag ausgewählt"));
        return;
    }
    setEntry(ListView1->topLevelItem(row), Edit1->text(), HueED->value(), SatEd->value());
    colourListEdited = true;
}

void TMainForm::DelColorBtnClick()
{
    const int row = selectedRow(ListView1);
    if (row < 0)
        return;
    delete ListView1->takeTopLevelItem(row);
    colourListEdited = true;
    // The view would otherwise select a neighbour, which a second click would delete.
    ListView1->clearSelection();
}

void TMainForm::MoveColorUpBtnClick()
{
    const int row = selectedRow(ListView1);
    if (row > 0) {
        swapEntries(ListView1, row, row - 1);
        colourListEdited = true;
    }
}

void TMainForm::MoveColorDownBtnClick()
{
    const int row = selectedRow(ListView1);
    if (row >= 0 && row < ListView1->topLevelItemCount() - 1) {
        swapEntries(ListView1, row, row + 1);
        colourListEdited = true;
    }
}

void TMainForm::Farblisteneu1Click()
{
    ListView1->clear();
    colourListEdited = true;
}

void TMainForm::SetPresetColour(int32_t hue, int32_t sat)
{
    ghue = hue;
    gsat = sat;
    ColorierenBtn->setChecked(true);
    PalPaintBoxPaint();
}

void TMainForm::Farblisteffnen1Click()
{
    FileRequest request;
    request.title = QStringLiteral("Öffnen"); // the titles the system's dialogs show
    request.filter = kFarFilter;
    request.defaultExt = kFarDefaultExt;
    const FileAnswer answer = dialogs->openFile(this, request);
    if (answer.accepted && !answer.fileNames.isEmpty())
        OpenFarbListe(answer.fileNames.first());
}

void TMainForm::Farblistespeichern1Click()
{
    FileRequest request;
    request.title = QStringLiteral("Speichern unter");
    request.filter = kFarFilter;
    request.defaultExt = kFarDefaultExt;
    // Asks before replacing an existing list, like every other save dialog.
    const FileAnswer answer = askSaveName(request);
    if (answer.accepted)
        SaveFarbListe(answer.fileNames.first());
}

bool TMainForm::OpenFarbListe(const QString &fname, bool atStart)
{
    // Taken before reading: a change in between then shows at close as one
    // made by another instance, and is merged rather than lost.
    const FileStamp stamp = fileStamp(fname);
    std::vector<FarEntry> entries;
    errno = 0;
    const ListRead read = readListFile(fname, entries);
    if (!read.opened) {
        const int error = isSpecialFile(fname) ? 0 : errno;
        dialogs->error(this, atStart ? QStringLiteral("Die Farbliste %1 kann nicht gelesen werden.")
                                           .arg(QDir::toNativeSeparators(fname))
                                     : fileErrorText(QStringLiteral("Fehler beim Öffnen der Datei."), fname, error));
        return false;
    }

    // The entries read in full replace the list, also after a damaged end, so
    // that as much of the list as possible survives.
    ListView1->clear();
    appendListEntries(ListView1, entries.cbegin(), entries.cend());
    colourListEdited = true;
    const size_t readCount = entries.size();
    if (atStart) {
        colourListStamp = stamp;
        colourListRead = std::move(entries);
    }

    // The error ends the operation like any input/output error; it is reported
    // here, not thrown, because the start of the program reads the list too.
    if (read.damaged)
        reportError(QStringLiteral("Die Farbliste %1 ist beschädigt; es wurden nur die ersten %2 Farben gelesen.")
                        .arg(QDir::toNativeSeparators(fname))
                        .arg(qulonglong(readCount)));
    return read.complete();
}

void TMainForm::SaveFarbListe(const QString &fname)
{
    std::vector<FarEntry> entries = listFileEntries(ListView1);
    const std::string bytes = writeFarFile(entries);

    QSaveFile file(fname);
    // A pipe or device in the list's place is not replaced by a plain file.
    errno = 0;
    const bool writeProtected = isWriteProtected(QFileInfo(fname));
    if (writeProtected || isSpecialFile(fname) || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const int error = writeProtected ? EACCES : isSpecialFile(fname) ? 0 : errno;
        dialogs->error(this, fileErrorText(QStringLiteral("Fehler beim Anlegen der Datei."), fname, error));
        return;
    }
    // The old file is replaced only by a complete new one; a failed write
    // leaves it as it was. Unbuffered, so a short write on a full disk shows in
    // write()'s count rather than being lost in commit().
    errno = 0;
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit()) {
        // Taken at once: cleaning up may set another error number.
        const int error = errno;
        file.cancelWriting();
        reportError(error != 0 ? QString::fromStdString(writeFailureText(error)) : file.errorString());
        return;
    }
    // Saved over the data folder's list through the menu: that is what this
    // run now knows of it, not a change by another instance.
    if (QFileInfo(fname) == QFileInfo(GetProgramDir(false) + QLatin1String("farbliste.far"))) {
        colourListStamp = fileStamp(fname);
        colourListRead = std::move(entries);
    }
}

void TMainForm::FormClose()
{
    const QString fname = GetProgramDir(true) + QLatin1String("farbliste.far");
    // Another instance closing at the same time waits here, so that reading,
    // merging and writing the list are one step for each.
    const FileLock lock(fname);
    // The window holds less than the file: an unchanged list is not worth the
    // entries it would overwrite.
    bool keepOld = colourListUnread;
    if (fileStamp(fname) != colourListStamp) {
        // Another instance wrote the list since this one read it. With nothing
        // changed here, its list is the newer one.
        if (!colourListEdited)
            return;
        std::vector<FarEntry> onDisk;
        const ListRead read = readListFile(fname, onDisk);
        keepOld = QFileInfo::exists(fname) && !read.complete();
        const std::vector<FarEntry> merged = mergeFarLists(colourListRead, listFileEntries(ListView1), onDisk);
        appendListEntries(ListView1, merged.cbegin() + ListView1->topLevelItemCount(), merged.cend());
    }
    if (keepOld) {
        if (!colourListEdited)
            return;
        // Changed after all: the old bytes stay next to the new list. A
        // protected or special file is left to SaveFarbListe, which refuses it.
        const QFileInfo target(fname);
        if (target.isFile() && !isWriteProtected(target)) {
            const QString backup = fname + QLatin1String(".bak");
            if (QFileInfo(backup).isFile())
                QFile::remove(backup);
            errno = 0;
            if (!QFile::rename(fname, backup)) {
                dialogs->error(this, fileErrorText(QStringLiteral("Fehler beim Anlegen der Datei."), backup, errno));
                return;
            }
        }
    }
    SaveFarbListe(fname);
}
