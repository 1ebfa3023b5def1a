#include "procedures/ProgramSetup.h"

namespace veltra {

std::unique_ptr<PortTraceFile> OpenTraceFile(const std::string& path, std::string& error) {
    auto trace = std::make_unique<PortTraceFile>(path);
    if (!trace->isOpen()) {
        error = "Cannot write the trace file " + path;
        return nullptr;
    }
    return trace;
}

std::unique_ptr<ChangeJournal> AttachJournal(ProgramObjects& objects, bool wanted,
                                             const std::filesystem::path& folder) {
    if (!wanted) {
        return nullptr;
    }
    const std::filesystem::path where = folder.empty() ? defaultJournalFolder() : folder;
    // Without a place for it the journal is not silently off: every change is refused until it
    // is turned off explicitly.
    auto journal = std::make_unique<ChangeJournal>(
        where, where.empty() ? "there is no folder for it, since neither HOME nor XDG_STATE_HOME "
                               "is set"
                             : "");
    objects.journal = journal.get();
    return journal;
}

}  // namespace veltra
