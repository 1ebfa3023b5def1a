// Renders the four pages of the check-pattern report: the report is printed once through the
// in-process virtual printer on a manual clock, then its recorded print commands are put on
// paper several times. Prints the processor time per rendering, and with a directory argument
// also the time to write the pages as PNG files there.
//
//   render_bench [runs] [directory]
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

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

    if (!directory.empty()) {
        veltra::sim::PaperOutput paper(directory, errors, stored);
        if (!paper.prepare()) {
            std::fprintf(stderr, "%s\n", paper.files().error().c_str());
            return 1;
        }
        const std::clock_t start = std::clock();
        paper.catchUp(report);
        std::printf("rendered and wrote %d PNG pages to %s in %.1f ms processor time\n",
                    paper.pagesWritten(), directory.c_str(), cpuMsSince(start));
        if (!paper.error().empty()) {
            std::fprintf(stderr, "%s\n", paper.error().c_str());
            return 1;
        }
    }
    veltra::EndSession(objects, false);
    return 0;
}
