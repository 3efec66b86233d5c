// The print dialog: a preview of the page, the print size and the options, and
// the printer setup. Made at the first print and kept for the run, so the
// printer and the choices stay; the two percentages also stay between runs.
#pragma once

#include "Picture.h"
#include "PrintLayout.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QPrinter;
class QRadioButton;
class QSpinBox;
class TBitBtnXP;
class TPaintBox;

class TPrintForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrintForm(QWidget *parent = nullptr);
    ~TPrintForm() override;

    TPaintBox *PrintPaintBox = nullptr;
    QRadioButton *SeiteVollRadio = nullptr;        // "Seite voll nutzen"
    QRadioButton *BenutzerdefiniertRadio = nullptr; // "Benutzerdefiniert"
    QSpinBox *BreitEdit = nullptr;
    QSpinBox *HochEdit = nullptr;
    QCheckBox *SeitenverhaeltnisCheck = nullptr; // "Seitenverhältnis beibehalten"
    QCheckBox *ZentriertCheck = nullptr;         // "Zentrierte Ausgabe"
    TBitBtnXP *OkBtn = nullptr;
    TBitBtnXP *SetupBtn = nullptr;
    TBitBtnXP *CancelBtn = nullptr;

    // Runs the system's printer setup on the dialog's printer; true when confirmed.
    std::function<bool(QPrinter *)> OnPrinterSetup;

    QPrinter &printer() { return *printerDevice; }
    // The picture the preview shows and the layout is made for; not owned.
    void setPicture(const dib *picture);

    PrintChoice choice() const;
    // The printer's paper and printable area in its device pixels.
    PageGeometry pageGeometry() const;
    // Where the picture lies on the page with the current choices.
    QRect pictureOnPage() const;

    // The percentages kept from one run to the next.
    void loadPercentages();
    void savePercentages() const;

    void SetupBtnClick();
    void PrintPaintBoxPaint(QPainter &canvas, const QRect &exposed);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void optionChanged();
    void percentEdited(bool widthEdited);

    std::unique_ptr<QPrinter> printerDevice;
    const dib *picture = nullptr;
    bool matching = false; // one percentage is being set to match the other
};
