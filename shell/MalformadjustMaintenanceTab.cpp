// The panels of the "Maintenance" tab: head cleaning, ink charge (also for the jig), the
// refurbishment's liquid exchange, the protection, page and print pass counters.
#include <QPlainTextEdit>

#include "shell/MalformadjustBuilder.h"

namespace veltra::shell {

void TFormAdjust::buildMaintenancePanels(QWidget* workArea) {
    namespace w = msg::window;
    {
        Builder b(*this, workArea, Panel::CleaningPnl, w::kCleaningTitle);
        b.texts(w::kCleaningTexts);
        b.ok("CleaningOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::InkChargePnl, w::kInkChargeTitle);
        b.texts(w::kInkChargeTexts);
        b.ok("ChargeOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::InkChargeJigPnl, w::kInkChargeJigTitle);
        b.texts(w::kInkChargeJigTexts);
        b.ok("ChargeForJigOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::TraStep0Pnl, w::kRefurbishmentTitle);
        b.texts(w::kRefurbishmentStartTexts);
        b.ok("MessageOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::TraStep4Pnl, w::kRefurbishmentTitle);
        b.texts(w::kRefurbishmentEndSteps);
        DischargeWaitLbl = b.text(msg::kDischargeWait, "DischargeWaitLbl");
        DischargeCountDownMemo = new QPlainTextEdit(b.panel());
        DischargeCountDownMemo->setObjectName("DischargeCountDownMemo");
        DischargeCountDownMemo->setReadOnly(true);
        DischargeCountDownMemo->setMaximumSize(80, 40);
        b.layout()->addWidget(DischargeCountDownMemo);
        DischargeCompleteLbl = b.text(msg::kDischargeComplete, "DischargeCompleteLbl");
        b.ok("PowerSwOffOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::ProCounterItemsPnl, w::kProtectionCounterTitle);
        b.radio("CounterRdoBtn", w::kProtectionCounterItems);
        b.ok("ProCounterOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::ProCounterCheckPnl, w::kProtectionCounterTitle);
        b.texts(w::kProtectionCounterTexts);
        b.previous("CounterCheckRtnBtn");
    }
    {
        Builder b(*this, workArea, Panel::NewProCounterClearPnl, w::kProtectionCounterTitle);
        b.texts(w::kInkPadTexts);
        b.button("OldInkPadClearBtn", w::kOldType);
        b.button("NewInkPadClearBtn", w::kNewType);
        b.previous("CounterClearRtnBtn");
    }
    {
        Builder b(*this, workArea, Panel::PageCounterPnl, w::kPageCounterTitle);
        b.ok("PageCountOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::PrintPassCountPnl, w::kPrintPassCounterTitle);
        b.ok("PrintPassCountOKBtn");
    }
}

}  // namespace veltra::shell
