// Lets the window handle events of controls it does not subclass (the wheel over
// the picture areas, Enter on a list): the handler sees each event of the watched
// objects first and returns true when it has consumed it.
#pragma once

#include <QObject>
#include <functional>
#include <initializer_list>

class EventHook : public QObject {
public:
    using Handler = std::function<bool(QObject *watched, QEvent *event)>;

    // The hook belongs to `owner`; watching ends when either side goes.
    EventHook(std::initializer_list<QObject *> watched, QObject *owner, Handler handler)
        : QObject(owner), handler(std::move(handler))
    {
        for (QObject *object : watched)
            object->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override { return handler(watched, event); }

private:
    Handler handler;
};
