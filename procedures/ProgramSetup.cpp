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
    const std::filesystem::path where = folder.empty() ? defaultJournalFolder() : folder;
    if (!wanted || where.empty()) {
        return nullptr;
    }
    auto journal = std::make_unique<ChangeJournal>(where);
    objects.journal = journal.get();
    return journal;
}

}  // namespace veltra
