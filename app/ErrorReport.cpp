#include "ErrorReport.h"
#include "Startup.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <exception>
#include <new>

namespace {
std::function<void(const QString &)> &reporterSlot()
{
    static std::function<void(const QString &)> reporter;
    return reporter;
}
const void *&reporterOwner()
{
    static const void *owner = nullptr;
    return owner;
}
} // namespace

QString errorReportText(const QString &message)
{
    // A sentence gets its full stop unless it already ends in a mark that sorts
    // at or before "." (such as ".", "!" or ",").
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void setErrorReporter(std::function<void(const QString &)> reporter, const void *owner)
{
    reporterSlot() = std::move(reporter);
    reporterOwner() = owner;
}

void clearErrorReporter(const void *owner)
{
    if (reporterOwner() != owner)
        return;
    reporterSlot() = nullptr;
    reporterOwner() = nullptr;
}

void reportError(const QString &message)
{
    const QString text = errorReportText(message);
    if (reporterSlot()) {
        reporterSlot()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kProgramTitle), text,
                    QMessageBox::Ok);
    box.exec();
}

NuanzaApplication::NuanzaApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool NuanzaApplication::notify(QObject *receiver, QEvent *event)
{
    // Handlers run to their end inside one event; whatever escapes one ends only
    // that handler, and the program goes on running.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc &) {
        reportError(QStringLiteral("Zu wenig Arbeitsspeicher"));
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportError(QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}
