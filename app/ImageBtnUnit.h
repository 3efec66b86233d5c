// A picture that behaves like a push button: it shows its pressed picture while
// a mouse button is held on it and its normal picture otherwise.
#pragma once

#include <QPixmap>
#include <QWidget>

class TImageBtn : public QWidget {
    Q_OBJECT
public:
    explicit TImageBtn(QWidget *parent = nullptr);

    QPixmap Picture() const { return picture; }
    // The normal picture; the control takes its size.
    void setPicture(const QPixmap &value);
    QPixmap Picture2() const { return FPicture2; }
    // The pressed picture.
    void SetGlyph(const QPixmap &value) { FPicture2 = value; }

    bool isMouseIn() const { return inMouse; }
    bool isShowingPressed() const { return inBtn; }

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void MakeBtnDown();
    void MakeBtnUp();
    void Click();

    QPixmap picture;
    QPixmap FPicture2;
    QPixmap TempPicture;
    bool inMouse = false;
    bool inBtn = false;
};
