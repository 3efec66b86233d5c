// The favourite folders on the page "Motiv laden": the list, its file in the
// program folder, and the way back to a folder of earlier work.
#include "EventHook.h"
#include "FavouriteFolders.h"
#include "MainUnit.h"

#include <QKeyEvent>
#include <QListWidget>

namespace {

const QLatin1String kFoldersFile("folders.dat");

QStringList listEntries(const QListWidget *list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    return entries;
}

} // namespace

void TMainForm::wirePrefFolders()
{
    connect(PrefListBox, &QListWidget::itemDoubleClicked, this, [this] { PrefListBoxDblClick(); });
    new EventHook({PrefListBox}, this, [this](QObject *, QEvent *event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const QString text = static_cast<QKeyEvent *>(event)->text();
        if (text.isEmpty())
            return false;
        QChar key = text.front();
        PrefListBoxKeyPress(key);
        return key.isNull(); // a handled key goes no further
    });
}

void TMainForm::LoadPrefFolders()
{
    PrefListBox->clear();
    PrefListBox->addItems(readFavouriteFile(progpath + kFoldersFile));
}

void TMainForm::AddToPrefFolders(const QString &s)
{
    QStringList entries = listEntries(PrefListBox);
    moveFavouriteToFront(entries, s);
    PrefListBox->clear();
    PrefListBox->addItems(entries);
    // A write-protected program folder keeps the list for this run only.
    writeFavouriteFile(progpath + kFoldersFile, entries);
}

void TMainForm::PrefListBoxDblClick()
{
    const QListWidgetItem *item = PrefListBox->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    SelectTreeFolder(item->text());
}

void TMainForm::PrefListBoxKeyPress(QChar &Key)
{
    if (Key != QChar(13))
        return;
    PrefListBoxDblClick();
    Key = QChar();
}
