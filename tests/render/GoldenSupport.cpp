#include "GoldenSupport.h"

#include <QDir>
#include <cstdio>

namespace tonavise::test {

namespace {

std::string Hex(QRgb c) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", c & 0xFFFFFFu);
    return text;
}

}  // namespace

QRgb PixelAt(const QImage& image, int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) {
        return 0;
    }
    return image.pixel(x, y) | 0xFF000000u;
}

int TopmostOf(const QImage& image, int x, QRgb color, int y0, int y1) {
    for (int y = y0; y < y1 && y < image.height(); ++y) {
        if (PixelAt(image, x, y) == color) {
            return y;
        }
    }
    return -1;
}

Golden& Golden::Column(int x, int y0, int y1, QRgb expected) {
    for (int y = y0; y < y1; ++y) {
        At(x, y, expected);
    }
    return *this;
}

Golden& Golden::Row(int y, int x0, int x1, QRgb expected) {
    for (int x = x0; x < x1; ++x) {
        At(x, y, expected);
    }
    return *this;
}

Golden& Golden::DottedColumn(int x, int y0, int y1, QRgb expected) {
    for (int y = y0; y < y1; ++y) {
        At(x, y, ((y - y0) / 3) % 2 == 0 ? expected : kWhite);
    }
    return *this;
}

Golden& Golden::DottedRow(int y, int x0, int x1, QRgb expected) {
    for (int x = x0; x < x1; ++x) {
        At(x, y, ((x - x0) / 3) % 2 == 0 ? expected : kWhite);
    }
    return *this;
}

Golden& Golden::Region(const QImage& reference, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            At(x, y, PixelAt(reference, x, y));
        }
    }
    return *this;
}

void DrawReferenceGrid(QImage& image,
                       const std::vector<GridLine>& verticals,
                       int y0,
                       int y1,
                       const std::vector<GridLine>& horizontals,
                       int x0,
                       int x1) {
    for (const GridLine& v : verticals) {
        for (int y = y0; y < y1; ++y) {
            if (v.solid || ((y - y0) / 3) % 2 == 0) {
                image.setPixel(v.at, y, v.color);
            }
        }
    }
    for (const GridLine& h : horizontals) {
        for (int x = x0; x < x1; ++x) {
            if (h.solid || ((x - x0) / 3) % 2 == 0) {
                image.setPixel(x, h.at, h.color);
            }
        }
    }
}

int CountIn(const QImage& image, int x0, int y0, int x1, int y1, QRgb color) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            n += PixelAt(image, x, y) == color;
        }
    }
    return n;
}

::testing::AssertionResult Golden::Matches(const QImage& image) const {
    std::string report;
    int wrong = 0;
    QImage expected = image.convertToFormat(QImage::Format_RGB32);
    for (const PixelCheck& c : checks_) {
        const QRgb actual = PixelAt(image, c.x, c.y);
        if (actual != (c.expected | 0xFF000000u)) {
            if (++wrong <= 8) {
                report += " (" + std::to_string(c.x) + "," + std::to_string(c.y) + ") is " +
                          Hex(actual) + " not " + Hex(c.expected) + ";";
            }
            if (c.x >= 0 && c.y >= 0 && c.x < expected.width() && c.y < expected.height()) {
                expected.setPixel(c.x, c.y, c.expected);
            }
        }
    }
    if (wrong == 0) {
        return ::testing::AssertionSuccess();
    }
    const QString dir = QStringLiteral(TONAVISE_GOLDEN_FAILURES);
    QDir().mkpath(dir);
    const QString base = dir + '/' + QString::fromStdString(name_);
    image.save(base + ".actual.png");
    expected.save(base + ".expected.png");
    return ::testing::AssertionFailure()
           << name_ << ": " << wrong << " of " << checks_.size() << " pixels differ:" << report
           << " pictures in " << base.toStdString() << ".{actual,expected}.png";
}

}  // namespace tonavise::test
