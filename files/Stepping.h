// Stepping to the next or previous picture of a list of folders and files, in
// the list's display order, passing over folders.
#pragma once

// The few things stepping needs of a list; indices count in display order.
class SteppingList {
public:
    virtual ~SteppingList() = default;
    virtual int count() const = 0;
    // The first selected item, or -1 when none is selected.
    virtual int selected() const = 0;
    virtual bool isFolder(int index) const = 0;
    // Deselects every item and selects `index`.
    virtual void selectOnly(int index) = 0;
};

enum class StepDirection { Next, Previous };

// Moves the selection one item on (from the selected item, or from before the
// first / after the last one when none is selected) until it stands on a file.
// True when it does; false when the end was reached, with the selection left on
// the last folder passed over (or where it was).
bool stepToPicture(SteppingList &list, StepDirection direction);
