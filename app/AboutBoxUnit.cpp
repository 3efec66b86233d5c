#include "AboutBoxUnit.h"

#include "ButtonsXP.h"
#include "Glyphs.h"

#include <QDate>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

const char *const kMeridanWebAddress = "www.meridan.de";

void openMeridanWebSite()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://") + QLatin1String(kMeridanWebAddress)));
}

QString fillYear(const QString &text, int year)
{
    QString result = text;
    const qsizetype at = result.indexOf(QLatin1String("XXXX"));
    if (at >= 0)
        result.replace(at, 4, QString::number(year));
    return result;
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(664, 453);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, QColor(240, 202, 166));
    pal.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(pal);

    auto *picture = new QLabel(panel);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setPixmap(programPicture(QSize(260, 340)));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picture->setAccessibleName(QStringLiteral("Programmbild"));

    auto *title = new QLabel(QStringLiteral("MERIDAN Nuanza 1.5"), panel);
    title->setObjectName(QStringLiteral("ProductName"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    title->setFont(big);

    notice = new QLabel(QStringLiteral("Copyright © 2001-XXXX MERIDAN Software. Alle Rechte vorbehalten."), panel);
    notice->setObjectName(QStringLiteral("Copyright"));
    notice->setWordWrap(true);

    auto *about = new QLabel(
        QStringLiteral("Nuanza coloriert Schwarzweißfotos von Hand: Jeder gemalte Bildpunkt behält "
                       "die Helligkeit des Originals und nimmt den gewählten Farbton an.\n\n"
                       "Für Bildfolgen wie Filmbilder werden die Farben vom zuletzt gespeicherten "
                       "Bild übernommen.\n\n"
                       "MERIDAN Software\n"
                       "Besuchen Sie uns im Internet:"),
        panel);
    about->setObjectName(QStringLiteral("Comments"));
    about->setWordWrap(true);

    webButton = new TBitBtnXP(glyphIcon(Glyph::Web), QString::fromLatin1(kMeridanWebAddress), panel);
    webButton->setObjectName(QStringLiteral("BitBtnXP1"));
    webButton->setAccessibleName(webButton->text());
    connect(webButton, &QPushButton::clicked, this, &TAboutBox::BitBtnXP1Click);

    auto *text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(notice);
    text->addSpacing(12);
    text->addWidget(about);
    text->addWidget(webButton, 0, Qt::AlignLeft);
    text->addStretch();

    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(12, 12, 12, 12);
    panelLayout->setSpacing(16);
    panelLayout->addWidget(picture, 0, Qt::AlignTop);
    panelLayout->addLayout(text, 1);

    auto *ok = new TBitBtnXP(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(ok, 0, Qt::AlignHCenter);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    FormCreate();
}

void TAboutBox::FormCreate()
{
    notice->setText(fillYear(notice->text(), QDate::currentDate().year()));
}

void TAboutBox::BitBtnXP1Click() { openMeridanWebSite(); }
