// The themed bitmap button: caption and glyph, drawn in the platform's style.
#pragma once

#include <QPushButton>

class TBitBtnXP : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;
};
