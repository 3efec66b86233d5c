#include "ImageBtnUnit.h"

#include <QMouseEvent>
#include <QPainter>

TImageBtn::TImageBtn(QWidget *parent) : QWidget(parent) {}

void TImageBtn::setPicture(const QPixmap &value)
{
    picture = value;
    // The control takes the size of its picture.
    if (!picture.isNull())
        setFixedSize(picture.deviceIndependentSize().toSize());
    update();
}

QSize TImageBtn::sizeHint() const
{
    return picture.isNull() ? QSize(0, 0) : picture.deviceIndependentSize().toSize();
}

void TImageBtn::paintEvent(QPaintEvent *)
{
    if (picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);
}

void TImageBtn::mousePressEvent(QMouseEvent *event)
{
    MakeBtnDown();
    inMouse = true;
    QWidget::mousePressEvent(event);
}

void TImageBtn::mouseMoveEvent(QMouseEvent *event)
{
    if (inMouse) {
        const QPoint p = event->position().toPoint();
        if (p.x() < 0 || p.x() >= width() || p.y() < 0 || p.y() >= height())
            MakeBtnUp();
        else
            MakeBtnDown();
    }
    QWidget::mouseMoveEvent(event);
}

void TImageBtn::mouseReleaseEvent(QMouseEvent *event)
{
    // A click is a left button released over the control, as for any push button.
    if (inMouse && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
    MakeBtnUp();
    inMouse = false;
    QWidget::mouseReleaseEvent(event);
}

void TImageBtn::Click()
{
    MakeBtnUp();
    emit clicked();
}

void TImageBtn::MakeBtnDown()
{
    if (inBtn)
        return;
    inBtn = true;
    TempPicture = picture;
    picture = FPicture2;
    update();
}

void TImageBtn::MakeBtnUp()
{
    if (!inBtn)
        return;
    picture = TempPicture;
    inBtn = false;
    update();
}
