// Two instances of the program each keep the data folder's colour list; the
// one that closes later merges what the other wrote in the meantime.
#pragma once

#include "ColourListFile.h"

#include <vector>

// The list to write at close: `kept` (this run's list at close) followed by the
// entries of `onDisk` (the file as another instance left it) that this run
// neither has nor removed. An entry this run read at its start (`read`) and no
// longer has was deleted or changed here and stays away. Each appended entry
// appears once, in the file's order.
std::vector<FarEntry> mergeFarLists(const std::vector<FarEntry> &read, const std::vector<FarEntry> &kept,
                                    const std::vector<FarEntry> &onDisk);
