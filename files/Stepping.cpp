#include "Stepping.h"

bool stepToPicture(SteppingList &list, StepDirection direction)
{
    const int count = list.count();
    const int step = direction == StepDirection::Next ? 1 : -1;
    int index = list.selected();
    if (index < 0)
        index = direction == StepDirection::Next ? -1 : count;
    // The index is carried along rather than read back from the list, so a list
    // that fails to select cannot hold the loop on one item.
    for (index += step; index >= 0 && index < count; index += step) {
        list.selectOnly(index);
        if (!list.isFolder(index))
            return true;
    }
    return false;
}
