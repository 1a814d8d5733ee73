// Image files of the scope pictures: the kind of file is chosen by the name's ending, as a user
// expects from a save dialog. JPEG, BMP, PNG and TIFF are written by Qt's image writers, GIF by
// giflib (Qt reads GIF but cannot write it).
//
// Threads: any thread; the functions share no state.
#pragma once

#include <QImage>
#include <QString>

namespace tonavise::ui {

enum class ImageFileKind { Unknown, Jpeg, Gif, Bmp, Png, Tiff };

// By the ending, in any letter case: .jpg .jpeg, .gif, .bmp, .png, .tif .tiff.
ImageFileKind ImageFileKindOf(const QString& path);

// Writes `image` to `path` in the kind its ending chooses; JPEG with the writer's default
// quality. False when the ending names no kind, the image is empty or the file cannot be
// written completely; a file that was begun is then not left behind (an existing file of that
// name stays as it was).
bool WriteImageFile(const QImage& image, const QString& path);

// The GIF form of a picture: with at most 256 colours the exact colours, in the order of first
// appearance (rows from the top), in a colour table padded to a power of two; with more, Qt's
// reduction to 256 colours. Empty for an empty image.
QByteArray EncodeGif(const QImage& image);

}  // namespace tonavise::ui
