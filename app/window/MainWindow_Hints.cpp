// Hints for the controls the classic layout left without one, so every button,
// check box and field explains itself; controls that have a hint keep it.
#include "MainUnit.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

const struct {
    const char *name;
    const char *hint;
} kHints[] = {
    {"LastSavedEd", "Das zuletzt gespeicherte Bild; seine Farben lassen sich ins nächste Bild übernehmen"},
    {"FarbenBtn", "Farben vom Vorgängerbild übernehmen und die Farbliste verwalten"},
    {"BildfolgeBtn", "Das Ergebnis als nummerierte Bildfolge speichern"},
    {"StapelverarbeitungBtn", "Mehrere Bilder mit den Farben des Ergebnisses colorieren"},
    {"Button3", "Zur Seite „Motiv laden“: Ordner und Bild wählen"},
    {"Button2", "Zur Seite „Foto colorieren“: das Bild einfärben"},
    {"Button1", "Zur Seite „Ergebnis verarbeiten“: speichern und drucken"},
    {"SaveAsBtn", "Das Ergebnis unter einem neuen Namen speichern"},
    {"PrintBtn", "Das Ergebnis drucken"},
    {"GrrayBtn", "Entfernt alle Farben aus dem Ergebnis"},
    {"SoftenBtn", "Zeichnet das Ergebnis weich"},
    {"ColorAllBtn", "Färbt das ganze Bild mit der aktuellen Farbe ein"},
    {"HueED", "Farbwert der aktuellen Farbe (0 bis 255)"},
    {"SatEd", "Sättigung der aktuellen Farbe (0 bis 255)"},
    {"BrightEd", "Helligkeit beim Colorieren (-100 bis 100)"},
    {"MoveUpBtn", "Verschiebt die Farbebene nach oben"},
    {"MoveLeftBtn", "Verschiebt die Farbebene nach links"},
    {"MoveRightBtn", "Verschiebt die Farbebene nach rechts"},
    {"MoveDownBtn", "Verschiebt die Farbebene nach unten"},
    {"MovePixelEd", "Um so viele Pixel verschiebt ein Pfeil die Farbebene"},
    {"MalenCheck", "Malt mit der Farbe fürs Malen, statt nur Farbton und Sättigung zu ändern"},
    {"FestMalenCheck", "Malt auch ins Ausgangsbild: der Radierer nimmt diese Farbe nicht mehr weg"},
    {"AenderungenCheck", "Zeigt rot, wo die Farben beim Übernehmen mit Bewegung nicht sicher folgen konnten"},
    {"Edit1", "Der Name, unter dem die aktuelle Farbe in der Liste gespeichert wird"},
    {"SaveColorinListBtn", "Speichert die aktuelle Farbe unter diesem Namen in der Farbliste"},
    {"DelColorBtn", "Löscht die gewählte Farbe aus der Farbliste"},
};

} // namespace

void TMainForm::giveHints()
{
    for (const auto &entry : kHints)
        if (QWidget *control = findChild<QWidget *>(QLatin1String(entry.name)); control && control->toolTip().isEmpty())
            control->setToolTip(QString::fromUtf8(entry.hint));
    // Anything added later without a hint at least names itself.
    for (QWidget *control : findChildren<QWidget *>()) {
        const bool isControl = qobject_cast<QAbstractButton *>(control) || qobject_cast<QAbstractSpinBox *>(control)
                               || qobject_cast<QComboBox *>(control) || qobject_cast<QLineEdit *>(control);
        if (isControl && control->toolTip().isEmpty() && !control->accessibleName().isEmpty())
            control->setToolTip(control->accessibleName());
    }
}
