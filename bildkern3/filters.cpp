// Filter texts for the program's file dialogs.
#include "filters.h"

namespace bk3 {

// The save entries are in the order of the program's default-extension table: the
// save dialog's filter index selects the extension appended to a bare name.
const char *const save_filter =
    "Windows-Bitmap (*.bmp)|*.bmp|"
    "Windows-Bitmap (*.dib)|*.dib|"
    "GIF-Bild (*.gif)|*.gif|"
    "IFF-Bild (*.iff)|*.iff|"
    "JPEG-Bild (*.jif)|*.jif|"
    "JPEG-Bild (*.jpg)|*.jpg|"
    "IFF-Bild (*.lbm)|*.lbm|"
    "PCX-Bild (*.pcx)|*.pcx|"
    "Windows-Bitmap, RLE (*.rle)|*.rle|"
    "Targa-Bild (*.tga)|*.tga|"
    "TIFF-Bild (*.tif)|*.tif|"
    "PNG (*.png)|*.png";

const char *const open_filter =
    "Alle Bilder|*.bmp;*.dib;*.rle;*.gif;*.iff;*.lbm;*.jpg;*.jpeg;*.jpe;*.jif;*.pcx;*.tga;*.tif;*.tiff;*.jp2;*.j2k;*.png|"
    "Windows-Bitmap (*.bmp;*.dib;*.rle)|*.bmp;*.dib;*.rle|"
    "GIF-Bild (*.gif)|*.gif|"
    "IFF-Bild (*.iff;*.lbm)|*.iff;*.lbm|"
    "JPEG-Bild (*.jpg;*.jpeg;*.jpe;*.jif)|*.jpg;*.jpeg;*.jpe;*.jif|"
    "PCX-Bild (*.pcx)|*.pcx|"
    "Targa-Bild (*.tga)|*.tga|"
    "TIFF-Bild (*.tif;*.tiff)|*.tif;*.tiff|"
    "JPEG-2000-Bild (*.jp2;*.j2k)|*.jp2;*.j2k|"
    "PNG (*.png)|*.png";

} // namespace bk3
