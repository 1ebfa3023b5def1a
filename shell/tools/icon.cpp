// veltra-icon: writes the program's icon, a printer with a page of colour bands, as a scalable
// SVG and as PNG files of the given sizes, both drawn from the one list of shapes below.
//   veltra-icon DIR SIZE...   writes DIR/veltra-adjust.svg and DIR/SIZExSIZE/veltra-adjust.png
#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kViewBox = 256;

struct Shape {
    enum Kind { Rect, Circle } kind;
    int x, y, w, h;  // for a circle: centre x, y and radius w
    int radius;      // corner radius of a rectangle
    const char* fill;
    const char* stroke;  // nullptr: none
    int strokeWidth;
};

const std::vector<Shape> kShapes{
    // paper going in at the back, with a band of each ink
    {Shape::Rect, 68, 20, 120, 104, 4, "#ffffff", "#8a96a3", 4},
    {Shape::Rect, 84, 40, 88, 10, 2, "#00a0d6", nullptr, 0},
    {Shape::Rect, 84, 58, 88, 10, 2, "#d6006e", nullptr, 0},
    {Shape::Rect, 84, 76, 88, 10, 2, "#f2c500", nullptr, 0},
    {Shape::Rect, 84, 94, 88, 10, 2, "#202020", nullptr, 0},
    // the printer
    {Shape::Rect, 16, 104, 224, 100, 22, "#3d4f66", "#26323f", 4},
    {Shape::Rect, 48, 176, 160, 12, 4, "#1b2530", nullptr, 0},
    {Shape::Circle, 206, 136, 10, 0, 0, "#4cc36a", "#26323f", 3},
    // the page coming out at the front
    {Shape::Rect, 68, 182, 120, 60, 4, "#ffffff", "#8a96a3", 4},
    {Shape::Rect, 84, 198, 42, 8, 2, "#202020", nullptr, 0},
    {Shape::Rect, 130, 198, 42, 8, 2, "#202020", nullptr, 0},
    {Shape::Rect, 84, 216, 88, 8, 2, "#00a0d6", nullptr, 0},
};

bool writeSvg(const QString& path) {
    std::ofstream svg(path.toStdString());
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kViewBox << "\" height=\""
        << kViewBox << "\" viewBox=\"0 0 " << kViewBox << ' ' << kViewBox << "\">\n";
    for (const Shape& s : kShapes) {
        const std::string stroke = s.stroke ? std::string(" stroke=\"") + s.stroke +
                                                  "\" stroke-width=\"" +
                                                  std::to_string(s.strokeWidth) + "\""
                                            : std::string();
        if (s.kind == Shape::Rect) {
            svg << "  <rect x=\"" << s.x << "\" y=\"" << s.y << "\" width=\"" << s.w
                << "\" height=\"" << s.h << "\" rx=\"" << s.radius << "\" fill=\"" << s.fill << '"'
                << stroke << "/>\n";
        } else {
            svg << "  <circle cx=\"" << s.x << "\" cy=\"" << s.y << "\" r=\"" << s.w << "\" fill=\""
                << s.fill << '"' << stroke << "/>\n";
        }
    }
    svg << "</svg>\n";
    return bool(svg);
}

bool writePng(const QString& path, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(size) / kViewBox, double(size) / kViewBox);
    for (const Shape& s : kShapes) {
        painter.setBrush(QColor(s.fill));
        painter.setPen(s.stroke ? QPen(QColor(s.stroke), s.strokeWidth) : QPen(Qt::NoPen));
        if (s.kind == Shape::Rect) {
            painter.drawRoundedRect(QRectF(s.x, s.y, s.w, s.h), s.radius, s.radius);
        } else {
            painter.drawEllipse(QPointF(s.x, s.y), s.w, s.w);
        }
    }
    painter.end();
    return image.save(path, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: veltra-icon DIR SIZE...\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(".") || !writeSvg(dir.filePath("veltra-adjust.svg"))) {
        std::fprintf(stderr, "veltra-icon: cannot write into %s\n", argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString sub = QString("%1x%1").arg(size);
        if (size <= 0 || !dir.mkpath(sub) ||
            !writePng(dir.filePath(sub + "/veltra-adjust.png"), size)) {
            std::fprintf(stderr, "veltra-icon: cannot write the %s icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
