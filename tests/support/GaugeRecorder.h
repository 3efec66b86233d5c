// Records the gauge position at every paint of the status bar: what the user
// saw, not only what was set.
#pragma once

#include "StatusBar.h"

#include <QEvent>
#include <QObject>
#include <vector>

class GaugeRecorder : public QObject {
public:
    explicit GaugeRecorder(TStatusBar *bar) : bar(bar) { bar->installEventFilter(this); }
    std::vector<int32_t> shown;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            shown.push_back(bar->progress());
        return false;
    }

private:
    TStatusBar *bar;
};
