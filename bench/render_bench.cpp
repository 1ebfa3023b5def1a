// Renders the four pages of the check-pattern report: the report is printed once through the
// in-process virtual printer on a manual clock, then its recorded print commands are put on
// paper several times. Prints the processor time per rendering and, apart, the time to write the
// four pages as PNG files (into the directory argument, else a temporary one).
//
//   render_bench [runs] [directory]
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/SimProgram.h"
#include "link/Clock.h"
#include "procedures/ProgramObjects.h"
#include "procedures/Session.h"
#include "sim/SimPortBackend.h"
#include "sim/VirtualPrinter.h"
#include "sim/render/PageRenderer.h"
#include "sim/render/PaperOutput.h"

namespace {

double cpuMsSince(std::clock_t start) {
    return 1000.0 * double(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string directory = argc > 2 ? argv[2] : "";
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");  // fonts for the labels, no screen needed
    }
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);

    veltra::ManualClock clock;
    veltra::bench::SimProgram program(clock);
    if (!program.start()) {
        return 1;
    }
    veltra::sim::VirtualPrinter& printer = program.printer;
    veltra::ProgramObjects& objects = program.objects;
    auto stored = veltra::sim::StoredAdjustments::fromEeprom(printer.eeprom());
    stored.modelCode = printer.modelCode();
    const std::size_t before = printer.printCommands().size();
    const veltra::PrintResult printed = objects.printJobs.ReportPrint();
    if (!printed.ok()) {
        std::fprintf(stderr, "the report did not print: status %04X\n", printed.status);
        return 1;
    }
    const std::vector<veltra::sim::PrintCommand> report(
        printer.printCommands().begin() + std::ptrdiff_t(before), printer.printCommands().end());
    std::size_t bands = 0;
    for (const auto& c : report) {
        bands += c.kind == veltra::sim::PrintCommand::Kind::RasterBand;
    }
    std::printf("report: %zu print commands, %zu raster bands\n", report.size(), bands);

    veltra::sim::MechanismErrors errors;
    errors.bid = stored.bid;
    errors.paperFeed = stored.paperFeed;
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        int pages = 0;
        veltra::sim::PageRenderer renderer(errors, stored,
                                           [&pages](const QImage&, int) { ++pages; });
        const std::clock_t start = std::clock();
        renderer.feed(report);
        const double ms = cpuMsSince(start);
        best = run == 0 ? ms : std::min(best, ms);
        std::printf("run %d: %d pages rendered in %.1f ms processor time (%.1f ms a page)\n",
                    run + 1, pages, ms, pages > 0 ? ms / pages : 0.0);
    }
    std::printf("best: %.1f ms processor time for the report\n", best);

    // Writing the pages as PNG, apart from rendering them: as the paper output writes them
    // (indexed colour, fast compression), and as a plain RGB image at the default level for
    // comparison.
    std::vector<QImage> pages;
    veltra::sim::PageRenderer keeper(errors, stored,
                                     [&pages](const QImage& page, int) { pages.push_back(page); });
    keeper.feed(report);
    QTemporaryDir scratch;
    const std::string target = directory.empty() ? scratch.path().toStdString() : directory;
    veltra::sim::PageFiles files(target);
    if (!files.prepare()) {
        std::fprintf(stderr, "%s\n", files.error().c_str());
        return 1;
    }
    std::clock_t start = std::clock();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (!files.write(pages[i], int(i) + 1)) {
            std::fprintf(stderr, "%s\n", files.error().c_str());
            return 1;
        }
    }
    const double writeMs = cpuMsSince(start);
    std::uintmax_t bytes = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        bytes += std::filesystem::file_size(std::filesystem::path(target) /
                                            veltra::sim::PageFiles::fileName(int(i) + 1));
    }
    std::printf("wrote %zu PNG pages (%ju KiB) in %.1f ms processor time\n", pages.size(),
                bytes / 1024, writeMs);
    start = std::clock();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::string plain = target + "/plain-" + std::to_string(i + 1) + ".png";
        pages[i].save(QString::fromStdString(plain), "PNG");
        std::filesystem::remove(plain);
    }
    std::printf("plain RGB PNG at the default level, for comparison: %.1f ms processor time\n",
                cpuMsSince(start));
    std::printf("summary: render %.1f ms, write %.1f ms\n", best, writeMs);
    veltra::EndSession(objects, false);
    return 0;
}
