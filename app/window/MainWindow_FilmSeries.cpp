// Film series: carrying the colours of a predecessor picture over to the
// current one, and colourising many files with the current result: those
// selected in the file list, or else those chosen in a dialog.
// The pixel work is in ColourTransfer and FilmBatch; these handlers load,
// report and redraw.
#include "Depth.h"
#include "FilmBatch.h"
#include "MainUnit.h"
#include "PaintBox.h"
#include "StatusBar.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>
#include <cerrno>

namespace {

const QString kNoMemory = QStringLiteral("Fehler: Nicht genügent Speicher für diese Aktion!");

// While a batch runs, the library's reports of each file's load and write move
// the gauge through that file's share of the whole batch, so the gauge shows
// the batch, file by file, and never runs backwards. At the end the window's
// own sink is back and the gauge is empty.
} // namespace

void TMainForm::reportNoMemory()
{
    dialogs->message(this, kNoMemory, QStringLiteral("Fehler"), QMessageBox::Critical, QMessageBox::Ok);
}

class TMainForm::BatchGauge {
public:
    BatchGauge(TMainForm &form, int files)
        : form(form), gauge(form.StatusBar1->gauge()), saved(*form.messageSink()), files(std::max(1, files))
    {
        bk3_sink *sink = form.messageSink();
        sink->target = this;
        sink->send = &BatchGauge::send;
        form.SetProStatus(0);
    }
    ~BatchGauge()
    {
        *form.messageSink() = saved;
        form.SetProStatus(0);
    }
    BatchGauge(const BatchGauge &) = delete;
    BatchGauge &operator=(const BatchGauge &) = delete;

    // File `index` (from 0) starts loading; its first half of the gauge's share.
    void loading(int index)
    {
        file = index;
        half = 0;
        show(0);
    }
    // Its result starts being written: the second half.
    void writing()
    {
        half = 1;
        show(0);
    }
    void fileDone()
    {
        file += 1;
        half = 0;
        show(0);
    }

private:
    static void send(void *target, uint32_t msg, uintptr_t wParam, intptr_t)
    {
        if (msg == BK3_WM_USER && target != nullptr)
            static_cast<BatchGauge *>(target)->show(int(std::min<uintptr_t>(wParam, 100)));
    }
    void show(int percentOfStep)
    {
        const int64_t steps = int64_t(files) * 200;
        const int value = int(std::min<int64_t>(100, (int64_t(file) * 200 + half * 100 + percentOfStep) * 100 / steps));
        shown = std::max(shown, value);
        // The loading of palette pictures moves the gauge on its own: put it back.
        gauge(shown);
    }

    TMainForm &form;
    const Progress gauge;
    const bk3_sink saved;
    const int files;
    int file = 0;
    int half = 0;
    int shown = 0;
};

// The window's state around a batch: taken at the start, given back at the
// end, also when the batch ends early, so no later "Speichern" can overwrite
// the last file of the batch with another picture.
class TMainForm::KeptWork {
public:
    explicit KeptWork(TMainForm &form)
        : form(form), caption(form.windowTitle()), fileName(form.afilename), changed(form.changed),
          source(copyOf(form.di)), result(copyOf(form.outdi))
    {
    }
    ~KeptWork() { restore(); }
    KeptWork(const KeptWork &) = delete;
    KeptWork &operator=(const KeptWork &) = delete;

    bool complete() const { return !source.empty() && !result.empty(); }
    const dib &colours() const { return result; }

    // The kept pictures become the window's again; nothing is allocated, so
    // this cannot fail half way.
    void restore()
    {
        if (!complete()) {
            source = Picture();
            result = Picture();
            return;
        }
        form.di = std::move(source);
        form.outdi = std::move(result);
        form.afilename = fileName;
        form.changed = changed;
        form.setWindowTitle(caption);
        form.restartHistory(changed);
        form.Breit->setText(QString::number(dibwidth(form.di)) + QStringLiteral(" Pixels"));
        form.Hoch->setText(QString::number(dibheight(form.di)) + QStringLiteral(" Pixels"));
        form.Tief->setText(QString::number(form.zweihoch(dibbits(form.di))));
        // The canvas takes the size of the restored picture, not of the last file.
        form.ZoomEdChange();
        form.DibPrevPaint->update();
        form.RedrawCanvas();
    }

private:
    TMainForm &form;
    const QString caption;
    const QString fileName;
    const bool changed;
    Picture source;
    Picture result;
};

namespace {

QString folderOf(const QString &file) { return QDir::toNativeSeparators(QFileInfo(file).absolutePath()); }

// The files selected in the list, in its order; selected folders are left out.
QStringList selectedListFiles(const QListView *view, const QFileSystemModel *model)
{
    const QModelIndex root = view->rootIndex();
    QList<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedIndexes())
        if (index.parent() == root && !model->isDir(index))
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList files;
    for (const int row : rows)
        files.append(QDir::toNativeSeparators(model->filePath(model->index(row, 0, root))));
    return files;
}

} // namespace

void TMainForm::wireFilmSeries()
{
    connect(FarbenvomVorgngerbildbernehmen1, &QAction::triggered, this,
            &TMainForm::FarbenvomVorgngerbildbernehmen1Click);
    connect(FarbenvoneinemVorgngerbildbernehmen1, &QAction::triggered, this,
            &TMainForm::FarbenvoneinemVorgngerbildbernehmen1Click);
    connect(FarbenmitBewegungbernehmen1, &QAction::triggered, this, &TMainForm::FarbenmitBewegungbernehmen1Click);
    connect(AenderungenCheck, &QCheckBox::toggled, this, [this] { RedrawCanvas(); });
    connect(AlleausgewhltenBildercolorieren1, &QAction::triggered, this,
            &TMainForm::AlleBilderimOrdnercolorieren1Click);
    connect(MoveUpBtn, &QToolButton::clicked, this, &TMainForm::MoveUpBtnClick);
    connect(MoveLeftBtn, &QToolButton::clicked, this, &TMainForm::MoveLeftBtnClick);
    connect(MoveRightBtn, &QToolButton::clicked, this, &TMainForm::MoveRightBtnClick);
    connect(MoveDownBtn, &QToolButton::clicked, this, &TMainForm::MoveDownBtnClick);
}

void TMainForm::UseColorsFromPicture(const QString &fname)
{
    Picture predecessor;
    if (!loadPredecessor(fname, predecessor))
        return;
    // The result only; carried-over colours are unsaved work like any stroke.
    beginWholeStep(QStringLiteral("Farben übernehmen"));
    const bool transferred = TransferColours(di, outdi.get(), di.rows(), predecessor);
    endStep(transferred);
    if (transferred)
        SetChanged();
    RedrawCanvas();
}

void TMainForm::FarbenvomVorgngerbildbernehmen1Click()
{
    UseColorsFromPicture(LastSavedWithPathEd->text());
}

void TMainForm::FarbenvoneinemVorgngerbildbernehmen1Click()
{
    FileRequest request;
    request.title = QStringLiteral("Öffnen");
    request.folder = openDialog1Folder.isEmpty()
                         ? QDir::toNativeSeparators(fileModel->filePath(JamShellList1->rootIndex()))
                         : openDialog1Folder;
    request.filter = QString::fromLocal8Bit(GetDIBOpenFilter());
    const FileAnswer answer = dialogs->openFile(this, request);
    if (!answer.accepted || answer.fileNames.isEmpty())
        return;
    const QString name = QDir::toNativeSeparators(answer.fileNames.first());
    openDialog1Folder = folderOf(name);
    UseColorsFromPicture(name);
}

QStringList TMainForm::askBatchFiles()
{
    FileRequest request;
    request.title = QStringLiteral("Öffnen");
    request.folder = openDialog3Folder.isEmpty()
                         ? QDir::toNativeSeparators(fileModel->filePath(JamShellList1->rootIndex()))
                         : openDialog3Folder;
    request.filter = batchOpenFilter();
    request.multiple = true;
    const FileAnswer answer = dialogs->openFile(this, request);
    if (!answer.accepted || answer.fileNames.isEmpty())
        return {};
    openDialog3Folder = folderOf(answer.fileNames.first());
    return answer.fileNames;
}

void TMainForm::AlleBilderimOrdnercolorieren1Click()
{
    QStringList files = batchFilesFromSelection(selectedListFiles(JamShellList1, fileModel), afilename);
    if (files.isEmpty()) {
        files = askBatchFiles();
    } else if (dialogs->message(this, QStringLiteral("%1 Bilder colorieren und überschreiben?").arg(files.size()),
                                QStringLiteral("Stapelverarbeitung"), QMessageBox::Question,
                                QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (files.isEmpty())
        return;

    QList<UnwrittenFile> unwritten;
    int written = 0;
    {
        KeptWork kept(*this);
        // The hue and saturation of the model do not change during the batch:
        // converted once, they serve every file.
        ColourModel model;
        if (!kept.complete() || !model.build(kept.colours())) {
            reportNoMemory();
            return; // before any file is touched
        }
        BatchGauge gauge(*this, int(files.size()));
        for (int i = 0; i < files.size(); ++i) {
            const QString file = QDir::toNativeSeparators(files[i]);
            gauge.loading(i);
            // A file that cannot be loaded has been reported; it stays as it was.
            if (openfilenow(file)) {
                gauge.writing();
                const BatchWrite result = colourAndWrite(di, outdi.get(), di.rows(), model, file, messageSink());
                const int error = result == BatchWrite::Failed ? errno : 0; // before anything else sets it
                RedrawCanvas();
                if (result == BatchWrite::Written)
                    ++written;
                else
                    unwritten.append({file, result, error});
            }
            gauge.fileDone();
        }
    }
    StatusBar1->setText(QStringLiteral("%1 Bilder coloriert").arg(written));
    if (!unwritten.isEmpty())
        dialogs->message(this, unwrittenFilesText(unwritten), QStringLiteral("Stapelverarbeitung"),
                         QMessageBox::Warning, QMessageBox::Ok);
}
