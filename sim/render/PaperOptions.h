#pragma once
// The virtual printer's paper on the command line: --paper DIR asks for page images, and the
// hidden mechanism errors are set with --bid-error, --pf-error, --head-angle-error and
// --top-margin-error.
#include <CLI/CLI.hpp>
#include <QtGlobal>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/MessageHandler.h"
#include "sim/PaperRequest.h"
#include "sim/VirtualPrinter.h"
#include "sim/render/PageRenderer.h"
#include "sim/render/PaperOutput.h"

class QGuiApplication;

namespace veltra::sim {

inline constexpr int kMaxBidError = 60;  // the range a Bi-D value can be adjusted in
// The PF adjustment offers -4 to 4: an error beyond that could not be corrected.
inline constexpr int kMaxPaperFeedError = 4;
inline constexpr int kMaxHeadAngleError = 20;
// The top margin adjustment offers two steps either way of the series' middle value.
inline constexpr int kMaxTopMarginError = 2;

// errorsNeedPaper: the hidden errors are refused without --paper (a program that shows its pages
// on screen takes them alone).
void addPaperOptions(CLI::App& app, PaperOptions& options, bool errorsNeedPaper = true);

// One --bid-error value "SET:SIDE:DOTS": SET is VSD1, VSD2, VSD3 or ECO, SIDE is K (black) or
// C (colour), DOTS a signed whole number within the Bi-D range. nullopt when it is not one.
struct BidError {
    DotSet set;
    InkSide side;
    int dots;
};
std::optional<BidError> parseBidError(std::string_view text);

// The errors the options ask for. An error not given equals the stored value, so that a
// printer prints straight as it stands until told otherwise. A malformed --bid-error ends the
// program through ui.
MechanismErrors mechanismErrors(const PaperOptions& options, const StoredAdjustments& stored,
                                MessageHandler& ui);

// Writes the printer's pages into the directory as they are ejected, for as long as it lives.
// Text needs a Qt application for its fonts: the session makes an offscreen one unless the
// process has one already, and keeps the toolkit's notes off the terminal while it lives.
class PaperSession {
public:
    using PageWritten = std::function<void(const std::filesystem::path& file)>;
    using PageEjected = std::function<void(const QImage& page, int number)>;

    // nullptr without --paper; ends the program through ui when the directory cannot be had.
    // pageWritten, when given, hears of every page file written.
    static std::unique_ptr<PaperSession> start(const PaperOptions& options, VirtualPrinter& printer,
                                               MessageHandler& ui, PageWritten pageWritten = {});
    // For a view of the pages: a session also without --paper (then no file is written);
    // pageEjected hears of every page ejected.
    static std::unique_ptr<PaperSession> startForView(const PaperOptions& options,
                                                      VirtualPrinter& printer, MessageHandler& ui,
                                                      PageEjected pageEjected);
    PaperSession(const PaperOptions& options, VirtualPrinter& printer, MessageHandler& ui,
                 PageWritten pageWritten);
    ~PaperSession();
    PaperSession(const PaperSession&) = delete;
    PaperSession& operator=(const PaperSession&) = delete;

    const PaperOutput& output() const { return paper_; }
    // The hidden errors for the pages printed from now on.
    void setErrors(const MechanismErrors& errors) { paper_.setErrors(errors); }
    // The printer's EEPROM was replaced: its values are the ones in force from now on.
    void setTrialValues(const StoredAdjustments& stored) { paper_.setTrialValues(stored); }
    const MechanismErrors& errors() const { return paper_.renderer().errors(); }

private:
    VirtualPrinter& printer_;
    MessageHandler& ui_;
    std::array<std::string, 3> args_;
    std::array<char*, 4> argv_{};
    int argc_ = 0;
    // Gives the toolkit's messages back to the handler before the session's, after app_ is gone.
    struct QuietToolkit {
        QtMessageHandler previous = nullptr;
        bool active = false;
        ~QuietToolkit();
    } quiet_;
    std::unique_ptr<QGuiApplication> app_;
    PaperOutput paper_;
    bool errorShown_ = false;
};

}  // namespace veltra::sim
