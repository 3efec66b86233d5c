// The pixels of a 24-bit picture's tiles as they were before a step wrote them.
// A step keeps a tile the first time it reaches it; undo and redo exchange the
// kept tiles with the picture, so one store serves both directions.
#pragma once

#include "Picture.h"
#include "PixelRect.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

constexpr int kTileSize = 64;

// Buffers for tiles, each of a whole tile's bytes. The spare ones have been
// written once, so a stroke that keeps new tiles takes no page faults; the
// buffers of steps let go of come back here.
class TilePool {
public:
    static constexpr size_t kTileBytes = size_t(kTileSize) * kTileSize * 3;

    std::unique_ptr<uint8_t[]> take();
    void give(std::unique_ptr<uint8_t[]> buffer);
    // At least `count` spare buffers ready; false when memory runs out.
    bool fill(size_t count);
    size_t spare() const { return buffers.size(); }

private:
    static constexpr size_t kMostSpare = 1024; // 12 MB
    std::vector<std::unique_ptr<uint8_t[]>> buffers;
};

class TileStore {
public:
    static constexpr int kTileSize = ::kTileSize;

    TileStore() = default;
    ~TileStore();
    TileStore(TileStore &&other) noexcept;
    TileStore &operator=(TileStore &&other) noexcept;

    // Keeps every tile of `picture` that meets `area` and is not kept yet, in
    // buffers of `pool` when given (they go back there with the store). The
    // first call fixes the geometry; a picture of another geometry is ignored.
    // False when memory runs out (what was kept before stays).
    bool keep(const dib &picture, const PixelRect &area, TilePool *pool = nullptr);
    // Keeps every tile of the picture.
    bool keepAll(const dib &picture, TilePool *pool = nullptr);

    // Exchanges the kept tiles with the pixels of `picture`: afterwards the
    // picture shows what was kept and the store holds what the picture showed.
    // Returns the area of the tiles, empty when nothing was exchanged.
    PixelRect exchange(dib &picture);

    size_t bytes() const { return total; }
    bool empty() const { return tiles.empty(); }

private:
    struct Tile {
        int32_t index;
        std::unique_ptr<uint8_t[]> pixels;
    };
    bool sameGeometry(const dib &picture) const;
    void giveBack();
    PixelRect tileArea(int32_t index) const;

    int32_t width = 0;
    int32_t height = 0;
    int32_t bytew = 0;
    int32_t across = 0; // tiles in a row of tiles
    std::vector<int32_t> places; // per tile: its place in `tiles`, or -1
    std::vector<Tile> tiles;
    size_t total = 0;
    TilePool *pool = nullptr;
};
