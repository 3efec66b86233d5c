// The helper of bench/batch-cli.sh: makes the grey frames and the coloured model,
// and does the bare codec work on frames for the script to time against
// nuanza-batch.
//   bench_batch_frames make jpg|tif FOLDER COUNT WIDTH HEIGHT
//   bench_batch_frames codec OUT-FOLDER FRAME...
// `codec` reads and decodes each frame (TurboJPEG for .jpg, libtiff for .tif) and
// encodes a colour frame of the same size as the imaging library encodes it
// (JPEG 4:4:4 at quality 92; TIFF RGB, Deflate with the horizontal predictor, 64 KB
// strips), written as the library writes: beside the target, flushed, renamed.
#include "FilmFrames.h"

#include <tiffio.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

bool fail(const std::string &what)
{
    std::fprintf(stderr, "bench_batch_frames: %s\n", what.c_str());
    return false;
}

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeSafely(const std::string &folder, const std::string &path, const void *data, size_t size)
{
    std::string temp = folder + "/.bench-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::write(fd, data, size) == ssize_t(size) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok && ::rename(temp.c_str(), path.c_str()) == 0;
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return ok;
}

std::string baseName(const std::string &path) { return path.substr(path.rfind('/') + 1); }

bool makeFrames(const std::string &format, const std::string &folder, int count, int width, int height)
{
    const int code = format == "jpg" ? BK3_FORMAT_JPEG : BK3_FORMAT_TIFF;
    for (int i = 0; i < count; ++i) {
        const std::string name = folder + "/frame" + std::to_string(1000 + i) + "." + format;
        if (SaveDib(greyFilmFrame(width, height, i), name.c_str(), code, nullptr) != 1)
            return fail("cannot write " + name);
    }
    const std::string model = folder + "/../model." + format;
    if (SaveDib(colouredPicture(width, height, 0), model.c_str(), code, nullptr) != 1)
        return fail("cannot write " + model);
    return true;
}

// libtiff writing into and reading from memory is not in its public interface;
// a temporary file in /dev/shm stands in for memory instead of disk.
struct TiffClose {
    void operator()(TIFF *t) const { TIFFClose(t); }
};
using Tiff = std::unique_ptr<TIFF, TiffClose>;

bool decodeTiff(const std::string &path, std::vector<uint8_t> &pixels)
{
    Tiff t(TIFFOpen(path.c_str(), "r"));
    if (!t)
        return fail("cannot open " + path);
    const tmsize_t strip = TIFFStripSize(t.get());
    pixels.resize(size_t(strip) * TIFFNumberOfStrips(t.get()));
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(t.get()); ++s)
        if (TIFFReadEncodedStrip(t.get(), s, pixels.data() + size_t(s) * size_t(strip), strip) < 0)
            return fail("cannot decode " + path);
    return true;
}

bool encodeTiff(const dib &colour, const std::string &scratch, std::string &bytes)
{
    const int width = dibwidth(colour), height = dibheight(colour);
    {
        Tiff t(TIFFOpen(scratch.c_str(), "w"));
        if (!t)
            return fail("cannot write " + scratch);
        TIFF *tif = t.get();
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(std::max(1, 65536 / (3 * width))));
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        std::vector<uint8_t> row(size_t(3 * width));
        for (int y = 0; y < height; ++y) {
            const uint8_t *src = colour.poi + size_t(height - 1 - y) * size_t(colour.bytew);
            for (int x = 0; x < width; ++x) {
                row[size_t(3 * x)] = src[3 * x + 2];
                row[size_t(3 * x + 1)] = src[3 * x + 1];
                row[size_t(3 * x + 2)] = src[3 * x];
            }
            if (TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) < 0)
                return fail("cannot encode");
        }
    }
    bytes = readAll(scratch);
    return true;
}

bool codecWork(const std::string &out, int count, char **frames)
{
    tjhandle decoder = tjInitDecompress(), encoder = tjInitCompress();
    std::vector<uint8_t> grey;
    Picture colour;
    const std::string scratch = "/dev/shm/bench-batch-" + std::to_string(::getpid()) + ".tif";
    bool ok = true;
    for (int i = 0; ok && i < count; ++i) {
        const std::string frame = frames[i];
        const std::string target = out + "/" + baseName(frame);
        const bool jpeg = frame.size() > 4 && frame.compare(frame.size() - 4, 4, ".jpg") == 0;
        int width = 0, height = 0;
        if (jpeg) {
            const std::string bytes = readAll(frame);
            const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
            int subsampling = 0, colourspace = 0;
            ok = tjDecompressHeader3(decoder, data, bytes.size(), &width, &height, &subsampling, &colourspace) == 0;
            grey.resize(size_t(width) * size_t(height));
            ok = ok && tjDecompress2(decoder, data, bytes.size(), grey.data(), width, width, height, TJPF_GRAY,
                                     TJFLAG_BOTTOMUP) == 0;
        } else {
            Tiff t(TIFFOpen(frame.c_str(), "r"));
            uint32_t w = 0, h = 0;
            ok = t && TIFFGetField(t.get(), TIFFTAG_IMAGEWIDTH, &w) && TIFFGetField(t.get(), TIFFTAG_IMAGELENGTH, &h);
            width = int(w), height = int(h);
            ok = ok && decodeTiff(frame, grey);
        }
        if (!ok)
            return fail("cannot decode " + frame);
        if (colour.empty() || colour.width() != width || colour.height() != height)
            colour = colouredPicture(width, height, 1);
        if (jpeg) {
            unsigned char *encoded = nullptr;
            unsigned long size = 0;
            ok = tjCompress2(encoder, colour->poi, width, colour->bytew, height, TJPF_BGR, &encoded, &size, TJSAMP_444,
                             92, TJFLAG_BOTTOMUP) == 0
                 && writeSafely(out, target, encoded, size);
            tjFree(encoded);
        } else {
            std::string bytes;
            ok = encodeTiff(colour.get(), scratch, bytes) && writeSafely(out, target, bytes.data(), bytes.size());
        }
    }
    ::unlink(scratch.c_str());
    tjDestroy(decoder);
    tjDestroy(encoder);
    return ok || fail("cannot encode or write");
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 7)
        return makeFrames(argv[2], argv[3], std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6])) ? 0 : 1;
    if (command == "codec" && argc >= 3)
        return codecWork(argv[2], argc - 3, argv + 3) ? 0 : 1;
    std::fprintf(stderr, "usage: bench_batch_frames make jpg|tif FOLDER COUNT WIDTH HEIGHT\n"
                         "       bench_batch_frames codec OUT-FOLDER FRAME...\n");
    return 2;
}
