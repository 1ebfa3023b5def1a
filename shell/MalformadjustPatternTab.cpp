// The panel of the "Check pattern printing" tab: the A4 report.
#include "shell/MalformadjustBuilder.h"

namespace veltra::shell {

void TFormAdjust::buildPatternPanels(QWidget* workArea) {
    Builder b(*this, workArea, Panel::A3PPrintPnl, msg::window::kA4Title);
    b.texts(msg::window::kA4Contents);
    b.ok("A3PPrintOKBtn");
}

}  // namespace veltra::shell
