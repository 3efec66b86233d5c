#include "PrintUnit.h"

#include "ButtonsXP.h"
#include "DrawDib.h"
#include "Glyphs.h"
#include "PaintBox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kPreviewSize = 190;
constexpr int kStartPercent = 50;
const char *const kWidthKey = "PrintForm/BreitEdit";
const char *const kHeightKey = "PrintForm/HochEdit";

// The program's per-user settings (~/.config/<program>.conf, or the registry).
std::unique_ptr<QSettings> userSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QCoreApplication::applicationName());
}

int storedPercent(const QSettings &settings, const char *key)
{
    bool ok = false;
    const int value = settings.value(QLatin1String(key)).toInt(&ok);
    return ok && value >= 1 && value <= 100 ? value : kStartPercent;
}

QSpinBox *percentField(const char *name, QWidget *parent)
{
    auto *field = new QSpinBox(parent);
    field->setObjectName(QLatin1String(name));
    field->setRange(1, 100);
    field->setValue(kStartPercent);
    field->setAlignment(Qt::AlignRight);
    return field;
}

TBitBtnXP *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = new TBitBtnXP(caption, parent);
    b->setObjectName(QLatin1String(name));
    QString spoken = caption;
    b->setAccessibleName(spoken.remove(QLatin1Char('&')));
    b->setMinimumWidth(150);
    return b;
}

} // namespace

TPrintForm::TPrintForm(QWidget *parent)
    : QDialog(parent), printerDevice(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("PrintForm"));
    setWindowTitle(QStringLiteral("Bild drucken..."));

    // Without any printer of the system, printing goes to a PDF file.
    if (printerDevice->outputFormat() == QPrinter::NativeFormat && printerDevice->printerName().isEmpty())
        printerDevice->setOutputFormat(QPrinter::PdfFormat);

    auto *previewLabel = new QLabel(QStringLiteral("Vorschau:"), this);
    PrintPaintBox = new TPaintBox(this);
    PrintPaintBox->setObjectName(QStringLiteral("PrintPaintBox"));
    PrintPaintBox->setAccessibleName(QStringLiteral("Druckvorschau"));
    PrintPaintBox->setFixedSize(kPreviewSize, kPreviewSize);
    PrintPaintBox->OnPaint = [this](QPainter &canvas, const QRect &exposed) {
        PrintPaintBoxPaint(canvas, exposed);
    };
    previewLabel->setBuddy(PrintPaintBox);
    auto *previewColumn = new QVBoxLayout;
    previewColumn->addWidget(previewLabel);
    previewColumn->addWidget(PrintPaintBox);
    previewColumn->addStretch(1);

    auto *sizeGroup = new QGroupBox(QStringLiteral("Druckgröße"), this);
    sizeGroup->setObjectName(QStringLiteral("DruckgroesseGroup"));
    SeiteVollRadio = new QRadioButton(QStringLiteral("Seite voll nutzen"), sizeGroup);
    SeiteVollRadio->setObjectName(QStringLiteral("SeiteVollRadio"));
    SeiteVollRadio->setChecked(true);
    BenutzerdefiniertRadio = new QRadioButton(QStringLiteral("Benutzerdefiniert"), sizeGroup);
    BenutzerdefiniertRadio->setObjectName(QStringLiteral("BenutzerdefiniertRadio"));
    BreitEdit = percentField("BreitEdit", sizeGroup);
    HochEdit = percentField("HochEdit", sizeGroup);
    auto *breitLabel = new QLabel(QStringLiteral("Breite in %:"), sizeGroup);
    auto *hochLabel = new QLabel(QStringLiteral("Höhe in %:"), sizeGroup);
    breitLabel->setBuddy(BreitEdit);
    hochLabel->setBuddy(HochEdit);
    BreitEdit->setAccessibleName(breitLabel->text());
    HochEdit->setAccessibleName(hochLabel->text());
    auto *sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->addWidget(SeiteVollRadio, 0, 0, 1, 2);
    sizeLayout->addWidget(BenutzerdefiniertRadio, 1, 0, 1, 2);
    sizeLayout->addWidget(breitLabel, 2, 0);
    sizeLayout->addWidget(BreitEdit, 2, 1);
    sizeLayout->addWidget(hochLabel, 3, 0);
    sizeLayout->addWidget(HochEdit, 3, 1);

    auto *optionsGroup = new QGroupBox(QStringLiteral("Druckoptionen"), this);
    optionsGroup->setObjectName(QStringLiteral("DruckoptionenGroup"));
    SeitenverhaeltnisCheck = new QCheckBox(QStringLiteral("Seitenverhältnis beibehalten"), optionsGroup);
    SeitenverhaeltnisCheck->setObjectName(QStringLiteral("SeitenverhaeltnisCheck"));
    SeitenverhaeltnisCheck->setChecked(true);
    ZentriertCheck = new QCheckBox(QStringLiteral("Zentrierte Ausgabe"), optionsGroup);
    ZentriertCheck->setObjectName(QStringLiteral("ZentriertCheck"));
    ZentriertCheck->setChecked(true);
    auto *optionsLayout = new QVBoxLayout(optionsGroup);
    optionsLayout->addWidget(SeitenverhaeltnisCheck);
    optionsLayout->addWidget(ZentriertCheck);

    OkBtn = button("OkBtn", QStringLiteral("&OK"), this);
    OkBtn->setDefault(true);
    SetupBtn = button("SetupBtn", QStringLiteral("Drucker &einrichten..."), this);
    SetupBtn->setIcon(glyphIcon(Glyph::Print));
    CancelBtn = button("CancelBtn", QStringLiteral("A&bbrechen"), this);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(OkBtn);
    buttons->addWidget(SetupBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);

    auto *choices = new QVBoxLayout;
    choices->addWidget(sizeGroup);
    choices->addWidget(optionsGroup);
    choices->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(previewColumn);
    layout->addLayout(choices);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a dialog of fixed size

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SetupBtn, &QPushButton::clicked, this, &TPrintForm::SetupBtnClick);
    for (QAbstractButton *option : {static_cast<QAbstractButton *>(SeiteVollRadio),
                                    static_cast<QAbstractButton *>(BenutzerdefiniertRadio),
                                    static_cast<QAbstractButton *>(SeitenverhaeltnisCheck),
                                    static_cast<QAbstractButton *>(ZentriertCheck)})
        connect(option, &QAbstractButton::toggled, this, &TPrintForm::optionChanged);
    // Switching the aspect ratio on shows at once the height that goes with the width.
    connect(SeitenverhaeltnisCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            percentEdited(true);
    });
    connect(BreitEdit, &QSpinBox::valueChanged, this, [this] { percentEdited(true); });
    connect(HochEdit, &QSpinBox::valueChanged, this, [this] { percentEdited(false); });

    loadPercentages();
    optionChanged();
}

TPrintForm::~TPrintForm() = default;

void TPrintForm::setPicture(const dib *shown)
{
    picture = shown;
    PrintPaintBox->update();
}

PrintChoice TPrintForm::choice() const
{
    PrintChoice c;
    c.fullPage = SeiteVollRadio->isChecked();
    c.widthPercent = BreitEdit->value();
    c.heightPercent = HochEdit->value();
    c.keepAspect = SeitenverhaeltnisCheck->isChecked();
    c.centred = ZentriertCheck->isChecked();
    return c;
}

PageGeometry TPrintForm::pageGeometry() const
{
    PageGeometry page;
    page.paper = printerDevice->paperRect(QPrinter::DevicePixel).toAlignedRect().size();
    page.printable = printerDevice->pageRect(QPrinter::DevicePixel).toAlignedRect();
    return page;
}

QRect TPrintForm::pictureOnPage() const
{
    if (!picture || !picture->pmi)
        return QRect();
    return printLayout(QSize(dibwidth(*picture), dibheight(*picture)), pageGeometry(), choice());
}

void TPrintForm::loadPercentages()
{
    const auto settings = userSettings();
    const bool wasMatching = matching;
    matching = true; // stored values are taken as they are
    BreitEdit->setValue(storedPercent(*settings, kWidthKey));
    HochEdit->setValue(storedPercent(*settings, kHeightKey));
    matching = wasMatching;
}

void TPrintForm::savePercentages() const
{
    const auto settings = userSettings();
    settings->setValue(QLatin1String(kWidthKey), BreitEdit->value());
    settings->setValue(QLatin1String(kHeightKey), HochEdit->value());
}

void TPrintForm::SetupBtnClick()
{
    // Another printer or paper changes the page the preview shows.
    if (OnPrinterSetup && OnPrinterSetup(printerDevice.get()))
        PrintPaintBox->update();
}

void TPrintForm::optionChanged()
{
    const bool custom = BenutzerdefiniertRadio->isChecked();
    BreitEdit->setEnabled(custom);
    HochEdit->setEnabled(custom);
    PrintPaintBox->update();
}

void TPrintForm::percentEdited(bool widthEdited)
{
    if (!matching && SeitenverhaeltnisCheck->isChecked() && picture && picture->pmi) {
        matching = true;
        const QSize size(dibwidth(*picture), dibheight(*picture));
        const QSize printable = pageGeometry().printable.size();
        if (widthEdited)
            HochEdit->setValue(matchingPercent(BreitEdit->value(), true, size, printable));
        else
            BreitEdit->setValue(matchingPercent(HochEdit->value(), false, size, printable));
        matching = false;
    }
    PrintPaintBox->update();
}

void TPrintForm::PrintPaintBoxPaint(QPainter &canvas, const QRect &)
{
    const QRect box(0, 0, PrintPaintBox->width(), PrintPaintBox->height());
    canvas.fillRect(box, palette().color(QPalette::Dark));
    const PageGeometry page = pageGeometry();
    const QRect paper = previewPaperRect(page.paper, box, 8);
    if (paper.isEmpty())
        return;
    canvas.fillRect(paper, Qt::white);
    canvas.setPen(Qt::black);
    canvas.drawRect(paper.adjusted(0, 0, -1, -1));
    // The edge of the printable area, faintly.
    canvas.setPen(QPen(QColor(170, 170, 170), 1, Qt::DotLine));
    const QRect printable = scaleToPreview(page.printable, page.paper, paper);
    canvas.drawRect(printable.adjusted(0, 0, -1, -1));

    const QRect onPage = pictureOnPage();
    if (onPage.isEmpty())
        return;
    const QRect shown = scaleToPreview(onPage, page.paper, paper);
    // A thin frame just outside the picture, so a white picture shows on white paper.
    canvas.setPen(QColor(128, 128, 128));
    canvas.drawRect(shown.adjusted(-1, -1, 0, 0));
    DrawDib(canvas, shown.x(), shown.y(), shown.width(), shown.height(), *picture, 0, 0,
            dibwidth(*picture), dibheight(*picture), true, SRCCOPY);
}

void TPrintForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen rather than over the main window.
    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
