#include "TileStore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr int kBytesPerPixel = 3;

// Rows lie bottom-up in the pixel block: the start of picture row `y` (top 0).
uint8_t *rowStart(const dib &picture, int32_t height, int32_t y)
{
    return picture.poi + ptrdiff_t(height - 1 - y) * picture.bytew;
}

} // namespace

std::unique_ptr<uint8_t[]> TilePool::take()
{
    if (buffers.empty())
        return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[kTileBytes]);
    std::unique_ptr<uint8_t[]> buffer = std::move(buffers.back());
    buffers.pop_back();
    return buffer;
}

void TilePool::give(std::unique_ptr<uint8_t[]> buffer)
{
    if (buffer && buffers.size() < kMostSpare)
        buffers.push_back(std::move(buffer));
}

bool TilePool::fill(size_t count)
{
    while (buffers.size() < std::min(count, kMostSpare)) {
        std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kTileBytes]);
        if (!buffer)
            return false;
        std::memset(buffer.get(), 0, kTileBytes); // the pages are there before a stroke needs them
        buffers.push_back(std::move(buffer));
    }
    return true;
}

TileStore::~TileStore() { giveBack(); }

TileStore::TileStore(TileStore &&other) noexcept
    : width(other.width), height(other.height), bytew(other.bytew), across(other.across),
      places(std::move(other.places)), tiles(std::move(other.tiles)), total(std::exchange(other.total, 0)),
      pool(other.pool)
{
    other.tiles.clear();
    other.places.clear();
}

TileStore &TileStore::operator=(TileStore &&other) noexcept
{
    if (this != &other) {
        giveBack();
        width = other.width;
        height = other.height;
        bytew = other.bytew;
        across = other.across;
        places = std::move(other.places);
        tiles = std::move(other.tiles);
        total = std::exchange(other.total, 0);
        pool = other.pool;
        other.tiles.clear();
        other.places.clear();
    }
    return *this;
}

void TileStore::giveBack()
{
    if (pool != nullptr)
        for (Tile &tile : tiles)
            pool->give(std::move(tile.pixels));
    tiles.clear();
    total = 0;
}

bool TileStore::sameGeometry(const dib &picture) const
{
    return picture.poi != nullptr && dibwidth(picture) == width && dibheight(picture) == height
           && picture.bytew == bytew && dibbits(picture) == 24;
}

PixelRect TileStore::tileArea(int32_t index) const
{
    const int left = (index % across) * kTileSize, top = (index / across) * kTileSize;
    return {left, top, std::min(left + kTileSize, width), std::min(top + kTileSize, height)};
}

bool TileStore::keep(const dib &picture, const PixelRect &area, TilePool *from)
{
    if (from != nullptr)
        pool = from;
    if (places.empty()) {
        if (picture.poi == nullptr || dibbits(picture) != 24 || dibwidth(picture) <= 0 || dibheight(picture) <= 0)
            return true;
        width = dibwidth(picture);
        height = dibheight(picture);
        bytew = picture.bytew;
        across = (width + kTileSize - 1) / kTileSize;
        const int32_t down = (height + kTileSize - 1) / kTileSize;
        places.assign(size_t(across) * size_t(down), -1);
    }
    if (!sameGeometry(picture))
        return true;
    const int left = std::max(area.left, 0), top = std::max(area.top, 0);
    const int right = std::min(area.right, width), bottom = std::min(area.bottom, height);
    if (left >= right || top >= bottom)
        return true;
    for (int ty = top / kTileSize; ty <= (bottom - 1) / kTileSize; ++ty) {
        for (int tx = left / kTileSize; tx <= (right - 1) / kTileSize; ++tx) {
            const int32_t index = ty * across + tx;
            if (places[size_t(index)] >= 0)
                continue;
            const PixelRect r = tileArea(index);
            const size_t rowBytes = size_t(r.right - r.left) * kBytesPerPixel;
            const size_t size = rowBytes * size_t(r.bottom - r.top);
            std::unique_ptr<uint8_t[]> pixels(pool != nullptr ? pool->take() : std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]));
            if (!pixels)
                return false;
            for (int y = r.top; y < r.bottom; ++y)
                std::memcpy(pixels.get() + size_t(y - r.top) * rowBytes,
                            rowStart(picture, height, y) + size_t(r.left) * kBytesPerPixel, rowBytes);
            places[size_t(index)] = int32_t(tiles.size());
            tiles.push_back({index, std::move(pixels)});
            total += size;
        }
    }
    return true;
}

bool TileStore::keepAll(const dib &picture, TilePool *from)
{
    return keep(picture, {0, 0, dibwidth(picture), dibheight(picture)}, from);
}

PixelRect TileStore::exchange(dib &picture)
{
    if (tiles.empty() || !sameGeometry(picture))
        return {};
    PixelRect changed;
    uint8_t spare[kTileSize * kBytesPerPixel];
    for (const Tile &tile : tiles) {
        const PixelRect r = tileArea(tile.index);
        const size_t rowBytes = size_t(r.right - r.left) * kBytesPerPixel;
        for (int y = r.top; y < r.bottom; ++y) {
            uint8_t *kept = tile.pixels.get() + size_t(y - r.top) * rowBytes;
            uint8_t *shown = rowStart(picture, height, y) + size_t(r.left) * kBytesPerPixel;
            std::memcpy(spare, shown, rowBytes);
            std::memcpy(shown, kept, rowBytes);
            std::memcpy(kept, spare, rowBytes);
        }
        changed = changed.united(r);
    }
    return changed;
}
