#pragma once
// What both programs (the windows and the command line) set up around their objects before the
// first window or command: the port trace file and the EEPROM change journal. One place for the
// steps and their failure text.
#include <filesystem>
#include <memory>
#include <string>

#include "link/PortTraceFile.h"
#include "procedures/ChangeJournal.h"
#include "procedures/ProgramObjects.h"

namespace veltra {

// The trace file of --trace opened for writing; null with error set when it cannot be written.
std::unique_ptr<PortTraceFile> OpenTraceFile(const std::string& path, std::string& error);

// The change journal every EEPROM change is written to, in folder (the state folder's journal
// when empty), attached to objects. Null, and nothing attached, when not wanted. When no folder is
// known the journal refuses every append (so every change), saying why.
std::unique_ptr<ChangeJournal> AttachJournal(ProgramObjects& objects, bool wanted,
                                             const std::filesystem::path& folder = {});

}  // namespace veltra
