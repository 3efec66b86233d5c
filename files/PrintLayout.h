// Where a picture lies on a printed page: plain arithmetic in device pixels, shared
// by the print dialog's preview and the printing itself.
#pragma once

#include <QRect>
#include <QSize>

// The choices of the print dialog.
struct PrintChoice {
    bool fullPage = true;  // "Seite voll nutzen"; otherwise the two percentages
    int widthPercent = 50; // of the printable width, 1..100
    int heightPercent = 50;
    bool keepAspect = true; // "Seitenverhältnis beibehalten"
    bool centred = true;    // "Zentrierte Ausgabe"; otherwise top left
};

// A sheet of paper and the part of it the printer can print on, in device
// pixels, both with the paper's top-left corner as origin.
struct PageGeometry {
    QSize paper;
    QRect printable;
};

// The picture's rectangle on the page, in the page's coordinates, always inside
// the printable area. "Seite voll nutzen" fits the picture into the printable
// area; otherwise it takes the percentages of the printable width and height.
// Keeping the aspect ratio applies the smaller of the two scales to both sides.
// Centred output is centred on the paper as far as the printable area allows,
// else it starts at the printable area's top left. Empty when there is nothing to
// print (no picture or no printable area).
QRect printLayout(const QSize &picture, const PageGeometry &page, const PrintChoice &choice);

// With the aspect ratio kept: the percentage of the other side that gives the
// same scale as `percent` of this side, rounded and held in 1..100. `widthEdited`
// says which side `percent` belongs to. The percentage itself when either size
// is empty.
int matchingPercent(int percent, bool widthEdited, const QSize &picture, const QSize &printable);

// `rect` (in the page's coordinates) as it appears on the page drawn at `shown`
// (the paper's rectangle on a preview): scaled by shown / paper on each axis.
QRect scaleToPreview(const QRect &rect, const QSize &paper, const QRect &shown);

// The largest rectangle with the paper's proportions that fits into `box` less
// `margin` on every side, centred in it.
QRect previewPaperRect(const QSize &paper, const QRect &box, int margin);
