#include "sim/render/PaperOptions.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <charconv>
#include <cstdio>

namespace veltra::sim {

namespace {

// The toolkit's own notes (an unset XDG_RUNTIME_DIR, font fallbacks) mean nothing to someone
// printing on the virtual printer from a terminal and would land amid the program's texts. The
// program's own errors go through its MessageHandler and are not affected; the toolkit's
// critical messages still reach the error stream.
constexpr std::string_view kBidErrorForm =
    "takes SET:SIDE:DOTS (SET VSD1, VSD2, VSD3 or ECO; SIDE K or C; DOTS -60 to 60), not \"";

void keepToolkitNotesQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

}  // namespace

void addPaperOptions(CLI::App& app, PaperOptions& o, bool errorsNeedPaper) {
    auto* paper = app.add_option("--paper", o.directory,
                                 "write each ejected page as DIR/page-001.png, ... (360 dpi)");
    CLI::Option* errors[] = {
        app.add_option("--bid-error", o.bidErrors,
                       "hidden Bi-D error SET:SIDE:DOTS, SET VSD1|VSD2|VSD3|ECO, SIDE K|C, e.g. "
                       "VSD1:K:+2 (repeatable)")
            // Refused with the other options' errors, before anything starts.
            ->check(CLI::Validator(
                [](std::string& text) -> std::string {
                    return parseBidError(text) ? std::string()
                                               : std::string(kBidErrorForm) + text + "\"";
                },
                "SET:SIDE:DOTS")),
        app.add_option("--pf-error", o.paperFeedError,
                       "hidden paper feed error, 1/360 inch per inch of feed")
            ->check(CLI::Range(-kMaxPaperFeedError, kMaxPaperFeedError)),
        app.add_option("--head-angle-error", o.headAngleError,
                       "hidden head angle error, dots between the halves of a head angular stroke")
            ->check(CLI::Range(-kMaxHeadAngleError, kMaxHeadAngleError)),
        app.add_option("--top-margin-error", o.topMarginError,
                       "hidden top margin error, steps of about 1 mm the paper stops lower")
            ->check(CLI::Range(-kMaxTopMarginError, kMaxTopMarginError)),
    };
    if (errorsNeedPaper) {
        for (CLI::Option* option : errors) {
            option->needs(paper);
        }
    }
}

std::optional<BidError> parseBidError(std::string_view text) {
    const auto first = text.find(':');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const auto second = text.find(':', first + 1);
    if (second == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view setName = text.substr(0, first);
    const std::string_view sideName = text.substr(first + 1, second - first - 1);
    std::string_view number = text.substr(second + 1);

    constexpr std::array<std::pair<std::string_view, DotSet>, kDotSetCount> kSets{{
        {"VSD1", DotSet::Vsd1},
        {"VSD2", DotSet::Vsd2},
        {"VSD3", DotSet::Vsd3},
        {"ECO", DotSet::Eco},
    }};
    BidError e{};
    bool found = false;
    for (const auto& [name, set] : kSets) {
        if (setName == name) {
            e.set = set;
            found = true;
        }
    }
    if (!found) {
        return std::nullopt;
    }
    if (sideName == "K") {
        e.side = InkSide::Black;
    } else if (sideName == "C") {
        e.side = InkSide::Colour;
    } else {
        return std::nullopt;
    }
    if (!number.empty() && number.front() == '+') {
        number.remove_prefix(1);
        if (!number.empty() && number.front() == '-') {
            return std::nullopt;
        }
    }
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), e.dots);
    if (number.empty() || ec != std::errc{} || end != number.data() + number.size() ||
        e.dots < -kMaxBidError || e.dots > kMaxBidError) {
        return std::nullopt;
    }
    return e;
}

MechanismErrors mechanismErrors(const PaperOptions& options, const StoredAdjustments& stored,
                                MessageHandler& ui) {
    MechanismErrors errors;
    errors.bid = stored.bid;
    for (const std::string& text : options.bidErrors) {
        const auto e = parseBidError(text);
        if (!e) {
            fatalError(ui, "--bid-error " + std::string(kBidErrorForm) + text + "\"", 2);
        }
        errors.bidError(e->set, e->side) = e->dots;
    }
    errors.paperFeed = options.paperFeedError.value_or(stored.paperFeed);
    errors.headAngle = options.headAngleError;
    errors.topMargin = options.topMarginError;
    return errors;
}

std::unique_ptr<PaperSession> PaperSession::start(const PaperOptions& options,
                                                  VirtualPrinter& printer, MessageHandler& ui,
                                                  PageWritten pageWritten) {
    if (options.directory.empty()) {
        return nullptr;
    }
    auto session = std::make_unique<PaperSession>(options, printer, ui, std::move(pageWritten));
    if (!session->paper_.prepare()) {
        fatalError(ui, session->paper_.files().error(), 1);
    }
    return session;
}

std::unique_ptr<PaperSession> PaperSession::startForView(const PaperOptions& options,
                                                         VirtualPrinter& printer,
                                                         MessageHandler& ui,
                                                         PageEjected pageEjected) {
    auto session = std::make_unique<PaperSession>(options, printer, ui, PageWritten{});
    if (session->paper_.writesFiles() && !session->paper_.prepare()) {
        fatalError(ui, session->paper_.files().error(), 1);
    }
    session->paper_.pageEjected = std::move(pageEjected);
    return session;
}

namespace {
StoredAdjustments storedIn(const VirtualPrinter& printer) {
    StoredAdjustments stored = StoredAdjustments::fromEeprom(printer.eeprom());
    stored.modelCode = printer.modelCode();
    return stored;
}
}  // namespace

PaperSession::PaperSession(const PaperOptions& options, VirtualPrinter& printer, MessageHandler& ui,
                           PageWritten pageWritten)
    : printer_(printer),
      ui_(ui),
      args_{"veltra-paper", "-platform", "offscreen"},
      paper_(options.directory, mechanismErrors(options, storedIn(printer), ui),
             storedIn(printer)) {
    if (QCoreApplication::instance() == nullptr) {
        quiet_.previous = qInstallMessageHandler(keepToolkitNotesQuiet);
        quiet_.active = true;
        for (std::size_t i = 0; i < args_.size(); ++i) {
            argv_[i] = args_[i].data();
        }
        argc_ = static_cast<int>(args_.size());
        app_ = std::make_unique<QGuiApplication>(argc_, argv_.data());
    }
    paper_.pageWritten = std::move(pageWritten);
    printer_.setPrintCommandObserver([this](const PrintCommand& command) {
        paper_.feed(command);
        if (!paper_.error().empty() && !errorShown_) {
            errorShown_ = true;  // once: every later page would fail the same way
            ui_.showError(paper_.error());
        }
    });
}

PaperSession::~PaperSession() {
    printer_.setPrintCommandObserver(nullptr);
}

PaperSession::QuietToolkit::~QuietToolkit() {
    if (active) {
        qInstallMessageHandler(previous);
    }
}

}  // namespace veltra::sim
