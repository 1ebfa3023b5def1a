#include "sim/render/PaperOutput.h"

#include <cstdio>
#include <system_error>

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
    return true;
}

bool PageFiles::write(const QImage& page, int number) {
    const std::filesystem::path path = directory_ / fileName(number);
    if (!page.save(QString::fromStdString(path.string()), "PNG")) {
        error_ = "cannot write " + path.string();
        return false;
    }
    ++written_;
    return true;
}

PaperOutput::PaperOutput(std::filesystem::path directory, const MechanismErrors& errors,
                         const StoredAdjustments& stored)
    : files_(std::move(directory)),
      renderer_(errors, stored, [this](const QImage& page, int number) {
          if (files_.write(page, number)) {
              if (pageWritten) {
                  pageWritten(files_.directory() / PageFiles::fileName(number));
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
