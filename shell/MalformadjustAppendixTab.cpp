// The panels of the "Appendix" tab: reading the EEPROM into the grid and writing one byte.
#include <QHeaderView>
#include <QTableWidget>

#include "shell/MalformadjustBuilder.h"

namespace veltra::shell {

void TFormAdjust::buildAppendixPanels(QWidget* workArea) {
    namespace w = msg::window;
    {
        Builder b(*this, workArea, Panel::EEPROMItemsPnl, w::kEepromDataTitle);
        b.radio("EepromCheckRdoGrp", w::kEepromDataItems);
        b.ok("EepromItemsOKBtn");
    }
    {
        Builder b(*this, workArea, Panel::EEPROMCheckPnl, w::kEepromCheckTitle);
        b.text(w::kEepromReadText);
        auto* row = new QHBoxLayout;
        row->addWidget(b.label(w::kEepromStart));
        row->addWidget(b.entry(Entry::EepReadBegEdit, 2, true));
        row->addWidget(b.label(w::kEepromRangeSign));
        row->addWidget(b.entry(Entry::EepReadEndEdit, 2, true));
        row->addWidget(b.label(w::kEepromEnd));
        row->addStretch(1);
        b.layout()->addLayout(row);
        b.ok("EepromReadOkBtn");
        b.previous("EepromReadRtnBtn");
    }
    {
        Builder b(*this, workArea, Panel::EEPROMGridPnl, w::kEepromCheckTitle);
        b.text(w::kEepromLow)->setAlignment(Qt::AlignHCenter);
        auto* row = new QHBoxLayout;
        row->addWidget(b.label(w::kEepromHigh));
        EepromStrGrid = new QTableWidget(17, 17, b.panel());
        EepromStrGrid->setObjectName("EepromStrGrid");
        EepromStrGrid->horizontalHeader()->hide();
        EepromStrGrid->verticalHeader()->hide();
        EepromStrGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        EepromStrGrid->horizontalHeader()->setDefaultSectionSize(26);
        EepromStrGrid->verticalHeader()->setDefaultSectionSize(20);
        for (int r = 0; r < 17; ++r) {
            for (int c = 0; c < 17; ++c) {
                auto* item = new QTableWidgetItem;
                item->setTextAlignment(Qt::AlignCenter);
                if (r == 0 || c == 0) {
                    item->setBackground(palette().button());
                }
                EepromStrGrid->setItem(r, c, item);
            }
        }
        EepromStrGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        EepromStrGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int frame = 2 * EepromStrGrid->frameWidth();
        EepromStrGrid->setFixedSize(17 * 26 + frame, 17 * 20 + frame);
        row->addWidget(EepromStrGrid, 1);
        b.layout()->addLayout(row);
        b.previous("EepromGridRtnBtn");
    }
    {
        Builder b(*this, workArea, Panel::EEPROMChangePnl, w::kEepromChangeTitle);
        b.text(w::kEepromWriteText);
        b.entryRow(w::kEepromAddress, Entry::EepWriteAddEdit, 2, true, w::kEepromByteRange);
        b.entryRow(w::kEepromData, Entry::EepWriteDataEdit, 2, true, w::kEepromByteRange);
        b.ok("EepromWriteOkBtn");
        b.previous("EepromWriteRtnBtn");
    }
}

}  // namespace veltra::shell
