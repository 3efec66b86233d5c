// The information dialog.
#pragma once

#include <QDialog>

class QLabel;
class TBitBtnXP;

// The maker's web site, shown on the web buttons and opened by them.
extern const char *const kMeridanWebAddress;
void openMeridanWebSite();

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    QLabel *noticeLabel() const { return notice; }

    // Replaces the first "XXXX" of the notice line by the current year.
    void FormCreate();
    void BitBtnXP1Click();

private:
    QLabel *notice = nullptr;
    TBitBtnXP *webButton = nullptr;
};

// The notice text with its first "XXXX" replaced by `year`.
QString fillYear(const QString &text, int year);
