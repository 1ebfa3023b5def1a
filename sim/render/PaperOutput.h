#pragma once
// Where the virtual printer's sheets go: each ejected page becomes page-001.png, page-002.png,
// ... in one directory, in print order; in a directory that holds pages already, the numbers go
// on after the highest, so that no page is ever overwritten.
#include <QImage>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/render/PageRenderer.h"

namespace veltra::sim {

// The page as an 8-bit indexed image of its own colours (paper, inks and their overlaps): a third
// of the data of the RGB page, the same picture. nullopt when the page has more than 256
// colours.
std::optional<QImage> indexedPage(const QImage& page);

// Writes page images as PNG files named by their page number: indexed where the page allows, and
// written for speed (no row filters, a fast compression level), since the pages are large and
// mostly blank paper.
class PageFiles {
public:
    explicit PageFiles(std::filesystem::path directory) : directory_(std::move(directory)) {}

    static std::string fileName(int number);  // "page-001.png"
    // Creates the directory if needed and finds the pages it holds; false with error() set when
    // it cannot be had.
    bool prepare();
    // False with error() set when the file cannot be written.
    bool write(const QImage& page, int number);
    // The file of the number-th page printed (1 the first): after the pages found by prepare.
    std::filesystem::path path(int number) const {
        return directory_ / fileName(pagesBefore_ + number);
    }
    // The highest page number the directory held when prepared (0: none).
    int pagesBefore() const { return pagesBefore_; }

    const std::filesystem::path& directory() const { return directory_; }
    int written() const { return written_; }
    const std::string& error() const { return error_; }

private:
    std::filesystem::path directory_;
    int pagesBefore_ = 0;
    int written_ = 0;
    std::string error_;
};

// Follows a printer's print commands and writes each sheet as it is ejected.
class PaperOutput {
public:
    PaperOutput(std::filesystem::path directory, const MechanismErrors& errors,
                const StoredAdjustments& stored);
    PaperOutput(const PaperOutput&) = delete;  // the renderer's sink points back here
    PaperOutput& operator=(const PaperOutput&) = delete;

    bool prepare() { return files_.prepare(); }
    // One command as the printer records it (VirtualPrinter::setPrintCommandObserver).
    void feed(const PrintCommand& command) { renderer_.feed(command); }
    // Or the whole record after every exchange; only the entries not yet seen are rendered.
    void catchUp(const std::vector<PrintCommand>& record);

    // Called with the file of each page written.
    std::function<void(const std::filesystem::path& file)> pageWritten;
    // Called with each page as it is ejected, before it is written (e.g. to show it).
    std::function<void(const QImage& page, int number)> pageEjected;
    // Without a directory the pages are only handed to pageEjected.
    bool writesFiles() const { return !files_.directory().empty(); }
    void setErrors(const MechanismErrors& errors) { renderer_.setErrors(errors); }
    void setTrialValues(const StoredAdjustments& stored) { renderer_.setTrialValues(stored); }

    int pagesWritten() const { return files_.written(); }
    // The first failure to write a page; empty while every page was written.
    const std::string& error() const { return error_; }
    const PageRenderer& renderer() const { return renderer_; }
    const PageFiles& files() const { return files_; }

private:
    PageFiles files_;
    PageRenderer renderer_;
    std::size_t seen_ = 0;
    std::string error_;
};

}  // namespace veltra::sim
