#include "BildfolgeUnit.h"

#include "ButtonsXP.h"

#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

namespace {

QSpinBox *numberField(const char *name, int minimum, int maximum, int value, QWidget *parent)
{
    auto *field = new QSpinBox(parent);
    field->setObjectName(QLatin1String(name));
    field->setRange(minimum, maximum);
    field->setValue(value);
    field->setAlignment(Qt::AlignRight);
    field->setMinimumWidth(110);
    return field;
}

} // namespace

TBildfolgeForm::TBildfolgeForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BildfolgeForm"));
    setWindowTitle(QStringLiteral("Bildfolge speichern"));

    VonEd = numberField("VonEd", INT_MIN, INT_MAX, 1, this);
    BisEd = numberField("BisEd", INT_MIN, INT_MAX, 10, this);
    DezimalstellenEd = numberField("DezimalstellenEd", 1, 10, 4, this);

    auto *fields = new QFormLayout;
    fields->setLabelAlignment(Qt::AlignRight);
    const auto row = [&](const char *caption, QSpinBox *field) {
        auto *label = new QLabel(QString::fromUtf8(caption), this);
        label->setBuddy(field);
        field->setAccessibleName(label->text());
        fields->addRow(label, field);
    };
    row("Von Nummer:", VonEd);
    row("Bis Nummer:", BisEd);
    row("Anzahl an Dezimalstellen:", DezimalstellenEd);

    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Bevel1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    BitBtn1 = new TBitBtnXP(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn1->setMinimumWidth(90);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    CancelBtn = new TBitBtnXP(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setMinimumWidth(90);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(CancelBtn);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(line);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a dialog of fixed size
}

void TBildfolgeForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen rather than over the main window.
    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
