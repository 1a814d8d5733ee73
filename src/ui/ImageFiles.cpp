#include "ui/ImageFiles.h"

#include <gif_lib.h>

#include <QBuffer>
#include <QFileInfo>
#include <QHash>
#include <QImageWriter>
#include <QSaveFile>
#include <memory>
#include <vector>

namespace tonavise::ui {

namespace {

constexpr int kMaxGifColours = 256;

const char* QtFormatOf(ImageFileKind kind) {
    switch (kind) {
        case ImageFileKind::Jpeg:
            return "jpeg";
        case ImageFileKind::Bmp:
            return "bmp";
        case ImageFileKind::Png:
            return "png";
        case ImageFileKind::Tiff:
            return "tiff";
        case ImageFileKind::Gif:
        case ImageFileKind::Unknown:
            break;
    }
    return nullptr;
}

// One row of colour indices per image row, and the colour table they index.
struct IndexedPicture {
    std::vector<GifColorType> colours;
    std::vector<GifPixelType> pixels;  // width * height, rows from the top
};

// Exact colours when there are at most 256 of them; nothing otherwise.
bool IndexExactly(const QImage& rgb, IndexedPicture& out) {
    QHash<QRgb, int> index;
    const int w = rgb.width();
    const int h = rgb.height();
    out.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        GifPixelType* dest = out.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        for (int x = 0; x < w; ++x) {
            const QRgb c = row[x] | 0xff000000u;
            auto it = index.constFind(c);
            if (it == index.constEnd()) {
                if (index.size() == kMaxGifColours) {
                    return false;
                }
                it = index.insert(c, static_cast<int>(index.size()));
                out.colours.push_back(GifColorType{static_cast<GifByteType>(qRed(c)),
                                                   static_cast<GifByteType>(qGreen(c)),
                                                   static_cast<GifByteType>(qBlue(c))});
            }
            dest[x] = static_cast<GifPixelType>(*it);
        }
    }
    return true;
}

// Qt's reduction of a picture with more than 256 colours.
void IndexReduced(const QImage& rgb, IndexedPicture& out) {
    const QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, Qt::AutoColor);
    out.colours.clear();
    for (const QRgb c : indexed.colorTable()) {
        out.colours.push_back(GifColorType{static_cast<GifByteType>(qRed(c)),
                                           static_cast<GifByteType>(qGreen(c)),
                                           static_cast<GifByteType>(qBlue(c))});
    }
    const int w = indexed.width();
    out.pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(indexed.height()));
    for (int y = 0; y < indexed.height(); ++y) {
        std::copy_n(indexed.constScanLine(y),
                    w,
                    out.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(w));
    }
}

// The TIFF writer turns an opaque picture into RGB888 first, on Qt's thread pool when it is
// large; converted here, row by row on the calling thread, it goes through as it is.
QImage TiffReady(const QImage& image) {
    if (image.hasAlphaChannel() || image.format() == QImage::Format_RGB888) {
        return image;
    }
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    QImage out(rgb.size(), QImage::Format_RGB888);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* dest = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            dest[3 * x] = static_cast<uchar>(qRed(src[x]));
            dest[3 * x + 1] = static_cast<uchar>(qGreen(src[x]));
            dest[3 * x + 2] = static_cast<uchar>(qBlue(src[x]));
        }
    }
    return out;
}

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
    auto* bytes = static_cast<QByteArray*>(gif->UserData);
    bytes->append(reinterpret_cast<const char*>(data), length);
    return length;
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapFreer {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

}  // namespace

ImageFileKind ImageFileKindOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg")) {
        return ImageFileKind::Jpeg;
    }
    if (suffix == QLatin1String("gif")) {
        return ImageFileKind::Gif;
    }
    if (suffix == QLatin1String("bmp")) {
        return ImageFileKind::Bmp;
    }
    if (suffix == QLatin1String("png")) {
        return ImageFileKind::Png;
    }
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff")) {
        return ImageFileKind::Tiff;
    }
    return ImageFileKind::Unknown;
}

QByteArray EncodeGif(const QImage& image) {
    if (image.isNull()) {
        return {};
    }
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    IndexedPicture picture;
    if (!IndexExactly(rgb, picture)) {
        IndexReduced(rgb, picture);
    }
    // The table's size is a power of two from 2 to 256; unused entries are black.
    int tableSize = 2;
    while (tableSize < static_cast<int>(picture.colours.size())) {
        tableSize *= 2;
    }
    picture.colours.resize(static_cast<size_t>(tableSize), GifColorType{0, 0, 0});
    int bits = 1;
    while ((1 << bits) < tableSize) {
        ++bits;
    }

    QByteArray bytes;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, GifWrite, &error));
    std::unique_ptr<ColorMapObject, MapFreer> map(
        GifMakeMapObject(tableSize, picture.colours.data()));
    if (!gif || !map) {
        return {};
    }
    const int w = rgb.width();
    const int h = rgb.height();
    if (EGifPutScreenDesc(gif.get(), w, h, bits, 0, map.get()) != GIF_OK ||
        EGifPutImageDesc(gif.get(), 0, 0, w, h, false, nullptr) != GIF_OK) {
        return {};
    }
    for (int y = 0; y < h; ++y) {
        GifPixelType* row = picture.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        if (EGifPutLine(gif.get(), row, w) != GIF_OK) {
            return {};
        }
    }
    // Closing writes the trailer; the written bytes are complete only after it.
    GifFileType* raw = gif.release();
    if (EGifCloseFile(raw, &error) != GIF_OK) {
        return {};
    }
    return bytes;
}

bool WriteImageFile(const QImage& image, const QString& path) {
    const ImageFileKind kind = ImageFileKindOf(path);
    if (kind == ImageFileKind::Unknown || image.isNull()) {
        return false;
    }
    QByteArray bytes;
    if (kind == ImageFileKind::Gif) {
        bytes = EncodeGif(image);
    } else {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, QtFormatOf(kind));
        if (!writer.write(kind == ImageFileKind::Tiff ? TiffReady(image) : image)) {
            return false;
        }
    }
    if (bytes.isEmpty()) {
        return false;
    }
    // Written beside the target and renamed at the end, so a failed write leaves nothing half
    // written; where the folder allows no new file but the target may be replaced, directly.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace tonavise::ui
