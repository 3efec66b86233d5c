// The numbered-sequence dialog: first number, last number and the count of
// digits of the numbers. Made once at program start; keeps its values for the run.
#pragma once

#include <QDialog>

class QSpinBox;
class TBitBtnXP;

class TBildfolgeForm : public QDialog {
    Q_OBJECT
public:
    explicit TBildfolgeForm(QWidget *parent = nullptr);

    QSpinBox *VonEd = nullptr;
    QSpinBox *BisEd = nullptr;
    QSpinBox *DezimalstellenEd = nullptr;
    TBitBtnXP *BitBtn1 = nullptr; // OK
    TBitBtnXP *CancelBtn = nullptr; // "Abbrechen", like Esc and the title bar's close

protected:
    void showEvent(QShowEvent *event) override;
};
