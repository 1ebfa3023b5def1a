#include "sim/render/PaperOutput.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

namespace veltra::sim {

std::string PageFiles::fileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "page-%03d.png", number);
    return name;
}

bool PageFiles::prepare() {
    std::error_code ec;
    std::filesystem::create_directories(directory_, ec);
    if (ec || !std::filesystem::is_directory(directory_)) {
        error_ = "cannot use paper directory " + directory_.string() +
                 (ec ? ": " + ec.message() : std::string(": not a directory"));
        return false;
    }
    // "page-" digits ".png", as fileName writes them.
    constexpr std::string_view kPrefix = "page-";
    constexpr std::string_view kSuffix = ".png";
    pagesBefore_ = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory_, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= kPrefix.size() + kSuffix.size() || name.rfind(kPrefix, 0) != 0 ||
            name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0) {
            continue;
        }
        const std::string digits =
            name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        pagesBefore_ = std::max(pagesBefore_, std::stoi(digits));
    }
    return true;
}

std::optional<QImage> indexedPage(const QImage& page) {
    const QImage rgb =
        page.format() == QImage::Format_RGB888 ? page : page.convertToFormat(QImage::Format_RGB888);
    QImage out(rgb.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    std::unordered_map<QRgb, uchar> index;
    QRgb last = 0;
    uchar lastIndex = 0;
    bool haveLast = false;
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* in = rgb.constScanLine(y);
        uchar* to = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x, in += 3) {
            const QRgb colour = qRgb(in[0], in[1], in[2]);
            // Paper and ink come in long runs: most pixels repeat the one before.
            if (!haveLast || colour != last) {
                auto found = index.find(colour);
                if (found == index.end()) {
                    if (table.size() == 256) {
                        return std::nullopt;
                    }
                    found = index.emplace(colour, uchar(table.size())).first;
                    table.push_back(colour);
                }
                last = colour;
                lastIndex = found->second;
                haveLast = true;
            }
            to[x] = lastIndex;
        }
    }
    out.setColorTable(table);
    return out;
}

namespace {

// libpng's simplified writer with PNG_IMAGE_FLAG_FAST: no row filters and a fast zlib level.
// The row filters, which Qt's PNG writer always runs, cost most of the time on these large,
// mostly blank pages while gaining little on them.
bool writePng(const std::filesystem::path& path, const QImage& page, std::string& message) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(page.width());
    image.height = png_uint_32(page.height());
    image.flags = PNG_IMAGE_FLAG_FAST;
    std::vector<png_byte> palette;
    const void* colormap = nullptr;
    QImage rgb;
    const uchar* pixels = nullptr;
    png_int_32 stride = 0;
    if (page.format() == QImage::Format_Indexed8) {
        for (const QRgb colour : page.colorTable()) {
            palette.insert(palette.end(), {png_byte(qRed(colour)), png_byte(qGreen(colour)),
                                           png_byte(qBlue(colour))});
        }
        image.format = PNG_FORMAT_RGB_COLORMAP;
        image.colormap_entries = png_uint_32(page.colorCount());
        colormap = palette.data();
        pixels = page.constBits();
        stride = png_int_32(page.bytesPerLine());
    } else {
        rgb = page.format() == QImage::Format_RGB888 ? page
                                                     : page.convertToFormat(QImage::Format_RGB888);
        image.format = PNG_FORMAT_RGB;
        pixels = rgb.constBits();
        stride = png_int_32(rgb.bytesPerLine());  // one byte a component
    }
    if (png_image_write_to_file(&image, path.string().c_str(), 0, pixels, stride, colormap) == 0) {
        message = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace

bool PageFiles::write(const QImage& page, int number) {
    const std::filesystem::path file = path(number);
    const std::optional<QImage> indexed = indexedPage(page);
    std::string message;
    if (!writePng(file, indexed ? *indexed : page, message)) {
        error_ = "cannot write " + file.string() + (message.empty() ? "" : ": " + message);
        return false;
    }
    ++written_;
    return true;
}

PaperOutput::PaperOutput(std::filesystem::path directory, const MechanismErrors& errors,
                         const StoredAdjustments& stored)
    : files_(std::move(directory)),
      renderer_(errors, stored, [this](const QImage& page, int number) {
          if (pageEjected) {
              pageEjected(page, number);
          }
          if (!writesFiles()) {
              return;
          }
          if (files_.write(page, number)) {
              if (pageWritten) {
                  pageWritten(files_.path(number));
              }
          } else if (error_.empty()) {
              error_ = files_.error();
          }
      }) {}

void PaperOutput::catchUp(const std::vector<PrintCommand>& record) {
    // A record that shrank was started afresh by its owner: read it from its beginning.
    if (record.size() < seen_) {
        seen_ = 0;
    }
    for (; seen_ < record.size(); ++seen_) {
        renderer_.feed(record[seen_]);
    }
}

}  // namespace veltra::sim
