// TFormAdjust's EEPROM image files and change journal, beside the EEPROM data items of the
// "Appendix" tab: save the EEPROM to a file, compare it with one (a table of the differing
// addresses), restore the regions chosen from one after a confirmation, and the printer's history
// with undo of a chosen entry. The work is done by procedures/EepromFiles; this unit chooses the
// files, locks the window while the printer is read or written, shows the progress and words the
// results.
#include <QDateTime>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <algorithm>
#include <string>

#include "link/EepromAddresses.h"
#include "procedures/Progress.h"
#include "shell/MalformadjustBuilder.h"

namespace veltra::shell {

namespace {

namespace w = msg::window;

enum DiffColumn { kAddressColumn, kNameColumn, kPrinterColumn, kFileColumn, kReadBackColumn };

// What lives at an address without its range ("top margin" of "5D top margin").
std::string_view shortName(std::uint8_t address) {
    const std::string_view name = eeprom_address::nameOf(address);
    return name.substr(name.find(' ') + 1);
}

// The named range an address belongs to, -1 for an address the program does not use.
int regionOf(std::uint8_t address) {
    const auto& ranges = eeprom_address::kNamedRanges;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (address >= ranges[i].first && address <= ranges[i].last) {
            return int(i);
        }
    }
    return -1;
}

std::string bytesText(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

QTableWidget* makeTable(const char* name, std::span<const std::string_view> columns,
                        QWidget* parent) {
    auto* table = new QTableWidget(0, int(columns.size()), parent);
    table->setObjectName(name);
    table->setHorizontalHeaderLabels(toList(columns));
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setMinimumHeight(160);
    return table;
}

void setCell(QTableWidget* table, int row, int column, std::string_view text) {
    auto* item = new QTableWidgetItem(qs(text));
    table->setItem(row, column, item);
}

// One line of a confirmation per byte: "5D top margin: 30 -> 2A"; at most kListed, then how
// many more.
constexpr std::size_t kListed = 16;
std::string changeLines(const std::vector<ByteChange>& changes) {
    std::string text;
    for (std::size_t i = 0; i < changes.size() && i < kListed; ++i) {
        const ByteChange& c = changes[i];
        const std::string_view name = eeprom_address::nameOf(c.address);
        text += '\n' + (name.empty() ? Hex2(c.address) : std::string(name)) + ": " + Hex2(c.now) +
                " -> " + Hex2(c.want);
    }
    if (changes.size() > kListed) {
        text += "\n... and " + std::to_string(changes.size() - kListed) +
                std::string(w::kEepromMoreBytes);
    }
    return text;
}

}  // namespace

// --- building

void TFormAdjust::buildEepromFileButtons(TFormAdjust&, Builder& b) {
    auto* box = new QGroupBox(qs(w::kEepromFiles), b.panel());
    box->setObjectName("EepromFilesGrp");
    auto* grid = new QGridLayout(box);
    const std::pair<const char*, std::string_view> buttons[] = {
        {"EepromSaveBtn", w::kEepromSave},
        {"EepromCompareBtn", w::kEepromCompare},
        {"EepromRestoreBtn", w::kEepromRestore},
        {"EepromHistoryBtn", w::kEepromHistory},
    };
    int i = 0;
    for (const auto& [name, caption] : buttons) {
        auto* button = new QPushButton(qs(caption), box);
        button->setObjectName(name);
        button->setAutoDefault(false);
        grid->addWidget(button, i / 2, i % 2);
        ++i;
    }
    b.layout()->addWidget(box);
}

void TFormAdjust::buildEepromDiff(TFormAdjust& form, Builder& b) {
    form.EepromDiffLbl = b.text({}, "EepromDiffLbl");
    form.EepromDiffGrid = makeTable("EepromDiffGrid", w::kEepromDiffColumns, b.panel());
    b.layout()->addWidget(form.EepromDiffGrid);
    form.EepromRegionLbl = b.text(w::kEepromRegions, "EepromRegionLbl");
    form.EepromRegionList = new QListWidget(b.panel());
    form.EepromRegionList->setObjectName("EepromRegionList");
    form.EepromRegionList->setMaximumHeight(90);
    b.layout()->addWidget(form.EepromRegionList);
    form.EepromRestoreOkBtn = b.button("EepromRestoreOkBtn", w::kEepromRestoreOk);
}

void TFormAdjust::buildEepromHistory(TFormAdjust& form, Builder& b) {
    form.EepromHistoryLbl = b.text({}, "EepromHistoryLbl");
    form.EepromHistoryGrid = makeTable("EepromHistoryGrid", w::kEepromHistoryColumns, b.panel());
    b.layout()->addWidget(form.EepromHistoryGrid);
    b.button("EepromUndoBtn", w::kEepromUndo);
}

void TFormAdjust::wireEepromFiles() {
    const std::pair<const char*, void (TFormAdjust::*)()> buttons[] = {
        {"EepromSaveBtn", &TFormAdjust::EepromSaveBtnClick},
        {"EepromCompareBtn", &TFormAdjust::EepromCompareBtnClick},
        {"EepromRestoreBtn", &TFormAdjust::EepromRestoreBtnClick},
        {"EepromRestoreOkBtn", &TFormAdjust::EepromRestoreOkBtnClick},
        {"EepromHistoryBtn", &TFormAdjust::EepromHistoryBtnClick},
        {"EepromUndoBtn", &TFormAdjust::EepromUndoBtnClick},
    };
    for (const auto& [name, handler] : buttons) {
        auto* button = findChild<QPushButton*>(name);
        Q_ASSERT(button);
        connect(button, &QPushButton::clicked, this,
                [this, handler] { run([this, handler] { (this->*handler)(); }); });
    }
}

// --- the busy lock and the file dialogs

void TFormAdjust::beginFileWork(std::string_view text) {
    setStatusColour(TextColour::Blue);
    setStatusText(text);
    setHourglass(true);
    setWindowEnabled(false);
    repaint();
}

void TFormAdjust::finishFileWork(std::string_view text) {
    // As a procedure's completion: black, and locked until DisableTimer ticks.
    setStatusColour(TextColour::Black);
    setStatusText(text);
    setHourglass(false);
    startTimer(Timer::DisableTimer);
    repaint();
}

QString TFormAdjust::chooseImageFile(bool forSaving, std::string_view caption) {
    QString path;
    if (forSaving) {
        // "K55 2026-12-09 0640.img": the model and the time, so saves do not overwrite each other.
        const ModelInfo* model = objects_.choice.model();
        const std::string modelName = model ? std::string(model->name) : std::string();
        const LocalTime t = objects_.clock.localTime();
        const QString name = QString::fromStdString(modelName.substr(modelName.rfind(' ') + 1)) +
                             QString(" %1-%2-%3 %4%5.img")
                                 .arg(t.year, 4, 10, QChar('0'))
                                 .arg(t.month, 2, 10, QChar('0'))
                                 .arg(t.day, 2, 10, QChar('0'))
                                 .arg(t.hour, 2, 10, QChar('0'))
                                 .arg(t.minute, 2, 10, QChar('0'));
        path = files_.saveFile(this, qs(caption),
                               lastFolder_.isEmpty() ? name : lastFolder_ + "/" + name);
    } else {
        path = files_.openFile(this, qs(caption), lastFolder_);
    }
    if (!path.isEmpty()) {
        lastFolder_ = QFileInfo(path).absolutePath();
    }
    return path;
}

// --- save, compare, restore

void TFormAdjust::EepromSaveBtnClick() {
    const QString chosen = chooseImageFile(true, w::kEepromSave);
    if (chosen.isEmpty()) {
        return;
    }
    const std::string path = chosen.toStdString();
    beginFileWork(w::kEepromReading);
    BackupResult r;
    {
        ProgressMeter meter(*this, objects_.clock, std::int64_t(std::tuple_size_v<EepromBytes>));
        // The file dialog has asked before an existing file is overwritten.
        r = SaveToFile(objects_, path, true, [&meter] { meter.advance(); });
    }
    if (r.status != kOk) {
        frame_->ReportStatus(r.status);
    } else if (!r.fileError.empty()) {
        frame_->ShowStatus(StatusMode::Error, std::string(w::kEepromCannotWrite) + path);
    } else {
        finishFileWork(std::string(w::kEepromSavedTo) + path);
    }
}

void TFormAdjust::EepromCompareBtnClick() {
    const QString chosen = chooseImageFile(false, w::kEepromCompare);
    if (!chosen.isEmpty()) {
        showComparison(chosen.toStdString(), false);
    }
}

void TFormAdjust::EepromRestoreBtnClick() {
    const QString chosen = chooseImageFile(false, w::kEepromRestore);
    if (!chosen.isEmpty()) {
        showComparison(chosen.toStdString(), true);
    }
}

void TFormAdjust::showComparison(const std::string& path, bool restoring) {
    shown_.reset();
    beginFileWork(w::kEepromReading);
    CompareResult r;
    {
        ProgressMeter meter(*this, objects_.clock, std::int64_t(std::tuple_size_v<EepromBytes>));
        r = CompareWithFile(objects_, path, [&meter] { meter.advance(); });
    }
    const std::string file = QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    if (!r.fileError.empty()) {
        // Compared or restored, a file that is no image is refused; only a restore could write.
        frame_->ShowStatus(StatusMode::Error,
                           std::string(w::kEepromRefused) + file + ": " + r.fileError +
                               (restoring ? std::string(w::kEepromNothingWritten) : "."));
        return;
    }
    if (r.status != kOk) {
        frame_->ReportStatus(r.status);
        return;
    }
    // A file of another model is refused before anything is offered for writing.
    const std::string mismatch = restoring ? ModelMismatch(objects_, r.image.header.model,
                                                           r.printer[eeprom_address::kModelSetting])
                                           : std::string();
    if (!mismatch.empty()) {
        frame_->ShowStatus(StatusMode::Error, std::string(w::kEepromRefused) + file + ": " +
                                                  mismatch + std::string(w::kEepromNothingWritten));
        return;
    }

    frame_->HideAllPanels(false);
    showPanel(Panel::EEPROMDiffPnl);
    EepromDiffGrid->setRowCount(int(r.differences.size()));
    int row = 0;
    for (const ByteChange& c : r.differences) {
        setCell(EepromDiffGrid, row, kAddressColumn, Hex2(c.address));
        setCell(EepromDiffGrid, row, kNameColumn, shortName(c.address));
        setCell(EepromDiffGrid, row, kPrinterColumn, Hex2(c.now));
        setCell(EepromDiffGrid, row, kFileColumn, Hex2(c.want));
        setCell(EepromDiffGrid, row, kReadBackColumn, "");
        ++row;
    }
    // The regions of the differing addresses, in address order, each chosen at first.
    regions_.clear();
    EepromRegionList->clear();
    std::vector<int> regionIds;
    for (const ByteChange& c : r.differences) {
        const int id = regionOf(c.address);
        const auto at = std::find(regionIds.begin(), regionIds.end(), id);
        if (at == regionIds.end()) {
            regionIds.push_back(id);
            regions_.push_back({c.address});
        } else {
            regions_[std::size_t(at - regionIds.begin())].push_back(c.address);
        }
    }
    for (std::size_t i = 0; i < regions_.size(); ++i) {
        const std::string_view name =
            regionIds[i] < 0 ? w::kEepromOtherAddresses
                             : eeprom_address::kNamedRanges[std::size_t(regionIds[i])].name;
        auto* item = new QListWidgetItem(
            qs(std::string(name) + " (" + bytesText(regions_[i].size()) + ")"), EepromRegionList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    const bool offer = restoring && !r.differences.empty();
    EepromRegionLbl->setVisible(offer);
    EepromRegionList->setVisible(offer);
    EepromRestoreOkBtn->setVisible(restoring);
    EepromDiffGrid->setColumnHidden(kReadBackColumn, !restoring);
    EepromRestoreOkBtn->setEnabled(offer);

    const std::size_t n = r.differences.size();
    const std::string summary =
        n == 0   ? std::string(w::kEepromSame) + file + "."
        : n == 1 ? std::string(w::kEepromOneDifference) + file + "."
                 : std::to_string(n) + std::string(w::kEepromDifferences) + file + ".";
    EepromDiffLbl->setText(qs(summary));
    if (restoring) {
        shown_ = ShownComparison{path, r.differences};
    }
    finishFileWork(restoring && n == 0 ? std::string(w::kEepromNothingToWrite) : summary);
}

void TFormAdjust::EepromRestoreOkBtnClick() {
    if (!shown_) {
        return;
    }
    std::vector<std::uint8_t> chosen;
    for (int i = 0; i < EepromRegionList->count(); ++i) {
        if (EepromRegionList->item(i)->checkState() == Qt::Checked) {
            const auto& region = regions_[std::size_t(i)];
            chosen.insert(chosen.end(), region.begin(), region.end());
        }
    }
    std::vector<ByteChange> only;
    for (const ByteChange& c : shown_->differences) {
        if (std::find(chosen.begin(), chosen.end(), c.address) != chosen.end()) {
            only.push_back(c);
        }
    }
    if (only.empty()) {
        frame_->ShowStatus(StatusMode::Error, w::kEepromNoRegion);
        return;
    }
    const std::string file =
        QFileInfo(QString::fromStdString(shown_->path)).fileName().toStdString();
    if (!objects_.ui.confirm(msg::kConfirmationTitle, std::string(w::kEepromConfirmRestore) + file +
                                                          std::string(w::kEepromConfirmRestoreEnd) +
                                                          changeLines(only))) {
        return;
    }
    RestoreOptions options;
    options.only = only;
    auto restore = [&] {
        beginFileWork(w::kEepromRestoring);
        ProgressMeter meter(*this, objects_.clock,
                            std::int64_t(std::tuple_size_v<EepromBytes> + 2 * only.size()));
        options.step = [&meter] { meter.advance(); };
        RestoreResult result = RestoreFromFile(*frame_, shown_->path, options);
        options.step = {};
        return result;
    };
    RestoreResult r = restore();
    if (r.refusal && r.otherPrinterBytes > 0) {
        // The image is of another printer: its identity and counters only when asked for.
        reportChange(r, file + ": ");
        if (!objects_.ui.confirm(msg::kConfirmationTitle,
                                 std::string(w::kEepromRefused) + *r.refusal +
                                     std::string(w::kEepromWriteOtherPrinter))) {
            return;
        }
        options.otherPrinter = true;
        r = restore();
    }
    // The read-back result beside each written byte.
    for (std::size_t i = 0; i < r.write.readBack.size() && i < r.changes.size(); ++i) {
        for (int row = 0; row < EepromDiffGrid->rowCount(); ++row) {
            if (EepromDiffGrid->item(row, kAddressColumn)->text() ==
                qs(Hex2(r.changes[i].address))) {
                setCell(EepromDiffGrid, row, kReadBackColumn, Hex2(r.write.readBack[i]));
            }
        }
    }
    if (r.write.written > 0) {
        // What was shown is no longer what the printer holds.
        EepromRestoreOkBtn->setEnabled(false);
        shown_.reset();
    }
    reportChange(r, file + ": ");
}

// --- history and undo

void TFormAdjust::EepromHistoryBtnClick() {
    if (!objects_.journal) {
        frame_->ShowStatus(StatusMode::Error, w::kEepromJournalOff);
        return;
    }
    beginFileWork(w::kEepromReading);
    const HistoryResult r = HistoryOfPrinter(objects_, -1);
    if (r.status != kOk) {
        frame_->ReportStatus(r.status);
        return;
    }
    frame_->HideAllPanels(false);
    showPanel(Panel::EEPROMHistoryPnl);
    fillHistory(r);
    // Only read: no completion lock.
    setHourglass(false);
    setWindowEnabled(true);
}

void TFormAdjust::fillHistory(const HistoryResult& r) {
    history_ = r.entries;
    EepromHistoryGrid->clearSelection();
    EepromHistoryGrid->setRowCount(int(history_.size()));
    int row = 0;
    for (const JournalEntry& e : history_) {
        std::string changes;
        for (const auto& [address, value] : e.before) {
            const auto after = e.after.find(address);
            changes += (changes.empty() ? "" : ", ") + Hex2(address) + ": " + Hex2(value) + " -> " +
                       (after == e.after.end() ? "--" : Hex2(after->second));
        }
        setCell(EepromHistoryGrid, row, 0, std::to_string(e.id));
        setCell(EepromHistoryGrid, row, 1, e.time);
        setCell(EepromHistoryGrid, row, 2, e.operation);
        setCell(EepromHistoryGrid, row, 3, changes);
        ++row;
    }
    std::string text = history_.empty() ? std::string(w::kEepromNoEntries) + r.usbId + "."
                                        : std::string(w::kEepromEntriesOf) + r.usbId + ".";
    if (r.skippedLines > 0) {
        text += "\n" + std::to_string(r.skippedLines) + std::string(w::kEepromSkippedLines);
    }
    EepromHistoryLbl->setText(qs(text));
}

void TFormAdjust::EepromUndoBtnClick() {
    const QList<QTableWidgetItem*> selected = EepromHistoryGrid->selectedItems();
    if (selected.isEmpty() || std::size_t(selected.front()->row()) >= history_.size()) {
        frame_->ShowStatus(StatusMode::Error, w::kEepromNoEntry);
        return;
    }
    const JournalEntry entry = history_[std::size_t(selected.front()->row())];
    std::string question = std::string(w::kEepromConfirmUndo) + std::to_string(entry.id) + " (" +
                           entry.operation + ", " + entry.time + ")?";
    for (const auto& [address, value] : entry.before) {
        const std::string_view name = eeprom_address::nameOf(address);
        question += '\n' + (name.empty() ? Hex2(address) : std::string(name)) + ": " + Hex2(value);
    }
    if (!objects_.ui.confirm(msg::kConfirmationTitle, question)) {
        return;
    }
    UndoOptions options;
    options.entry = entry.id;
    auto undo = [&] {
        beginFileWork(w::kEepromUndoing);
        ProgressMeter meter(*this, objects_.clock, std::int64_t(2 * entry.before.size()));
        options.step = [&meter] { meter.advance(); };
        UndoResult result = UndoChange(*frame_, options);
        options.step = {};
        return result;
    };
    UndoResult r = undo();
    if (r.refusal && !r.laterChanges.empty()) {
        // Changed again after the entry: its values go back over that only when asked for.
        reportChange(r, "");
        if (!objects_.ui.confirm(msg::kConfirmationTitle,
                                 std::string(w::kEepromRefused) + *r.refusal +
                                     std::string(w::kEepromUndoOverLater))) {
            return;
        }
        options.overLaterChanges = true;
        r = undo();
    }
    reportChange(r, "");
    if (r.write.written > 0) {
        // The undo is an entry of its own: the history shows it at the top.
        const std::string status = statusText();
        const TextColour colour = statusColour_;
        if (const HistoryResult h = HistoryOfPrinter(objects_, -1); h.status == kOk) {
            fillHistory(h);
        }
        setStatusColour(colour);
        setStatusText(status);
    }
}

// --- results

void TFormAdjust::reportWriteFailure(const ChangeResult& r) {
    if (!r.failureText.empty()) {
        frame_->ShowStatus(StatusMode::Error, r.failureText);
    } else {
        frame_->ReportStatus(r.write.status);
    }
}

void TFormAdjust::reportChange(const ChangeResult& r, std::string_view refusalPrefix) {
    auto fail = [this](const std::string& text) { frame_->ShowStatus(StatusMode::Error, text); };
    if (r.refusal) {
        fail(std::string(w::kEepromRefused) + std::string(refusalPrefix) + *r.refusal +
             std::string(w::kEepromNothingWritten));
        return;
    }
    if (r.journalFailed) {
        return;  // the journal guard has shown why
    }
    if (r.changes.empty()) {
        if (r.status != kOk) {
            frame_->ReportStatus(r.status);
            return;
        }
        finishFileWork(w::kEepromNothingToWrite);
        return;
    }
    const WriteBackResult& write = r.write;
    if (write.failedAt) {
        reportWriteFailure(r);
        const bool worded = statusColour_ == TextColour::Red;
        const bool inWrites =
            write.written < r.changes.size() && r.changes[write.written].address == *write.failedAt;
        const std::string line = inWrites
                                     ? std::string(w::kEepromWriteOf) + Hex2(*write.failedAt) +
                                           std::string(w::kEepromWriteFailed)
                                     : std::string(w::kEepromReadBackOf) + Hex2(*write.failedAt) +
                                           std::string(w::kEepromReadBackFailed);
        frame_->ShowStatus(worded ? StatusMode::NewLine : StatusMode::Error, line);
        return;
    }
    if (write.status != kOk) {
        reportWriteFailure(r);
        return;
    }
    if (write.mismatchAt) {
        fail(Hex2(*write.mismatchAt) + std::string(w::kEepromNotAsWritten));
        return;
    }
    finishFileWork(std::string(w::kEepromVerified) + bytesText(write.written) +
                   std::string(w::kEepromByReadingBack));
}

}  // namespace veltra::shell
