// The program's own button pictures and glyphs, painted in code.
#pragma once

#include <QIcon>
#include <QPixmap>

enum class Glyph {
    Open, Save, SaveAs, Previous, Next, Web,
    TabLoad, TabColour, TabResult,
    Grey, Soften, ColourAll, Print,
    Brush, Eraser, Pipette, Line,
    ArrowUp, ArrowDown, ArrowLeft, ArrowRight,
    ListAdd, ListChange, ListDelete, ListUp, ListDown,
    Undo, Redo, Fit
};

QIcon glyphIcon(Glyph glyph);

// Picture of a picture button (101 x 30): a caption on a rounded plate, drawn
// raised, or sunken when pressed.
QPixmap imageButtonPicture(const QString &caption, bool pressed);

// The program's picture (a tinted photograph motif), for the information dialog
// and the decoration of the result page.
QPixmap programPicture(const QSize &size);
