// Small controls of the main window: the paint box (a surface that its owner
// paints, reporting mouse events in its own pixels) and the shape (a framed,
// filled rectangle showing one colour).
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

class QPainter;

class TPaintBox : public QWidget {
    Q_OBJECT
public:
    explicit TPaintBox(QWidget *parent = nullptr);

    // Paints the exposed rectangle; without it the box shows its parent's background.
    std::function<void(QPainter &, const QRect &)> OnPaint;

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void mouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget *parent = nullptr);

    QColor brushColor() const { return brush; }
    void setBrushColor(const QColor &colour);

signals:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QColor brush = Qt::white;
};
