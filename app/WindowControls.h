// A control of a window by its object name, the names that are the program's
// vocabulary: for tests and drivers from outside. A missing control fails loudly.
#pragma once

#include <QObject>
#include <QString>
#include <stdexcept>
#include <string>

template <class T>
T *control(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (found == nullptr)
        throw std::logic_error(std::string("no control named ") + name);
    return found;
}
