#include "ColourListMerge.h"

#include <set>
#include <tuple>

namespace {

// Lists from a file can be long: entries are looked up in a set, not searched.
struct EntryOrder {
    bool operator()(const FarEntry *a, const FarEntry *b) const
    {
        return std::tie(a->name, a->hue, a->saturation) < std::tie(b->name, b->hue, b->saturation);
    }
};

} // namespace

std::vector<FarEntry> mergeFarLists(const std::vector<FarEntry> &read, const std::vector<FarEntry> &kept,
                                    const std::vector<FarEntry> &onDisk)
{
    std::set<const FarEntry *, EntryOrder> known;
    for (const FarEntry &entry : read)
        known.insert(&entry);
    for (const FarEntry &entry : kept)
        known.insert(&entry);
    std::vector<FarEntry> merged = kept;
    for (const FarEntry &entry : onDisk)
        if (known.insert(&entry).second)
            merged.push_back(entry);
    return merged;
}
