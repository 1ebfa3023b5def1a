#include "procedures/ChangeJournal.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <system_error>

#include <nlohmann/json.hpp>

#include "link/EepromAddresses.h"
#include "link/HexText.h"
#include "procedures/EepromBackup.h"
#include "procedures/StateFolder.h"

#ifdef _WIN32
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace veltra {

namespace {

using Json = nlohmann::ordered_json;

Json bytesObject(const std::map<std::uint8_t, std::uint8_t>& bytes) {
    Json object = Json::object();
    for (const auto& [address, value] : bytes) {
        object[Hex2(address)] = Hex2(value);
    }
    return object;
}

// An object of "AA":"VV" pairs; nullopt when any pair is not one.
std::optional<std::map<std::uint8_t, std::uint8_t>> parseBytes(const Json& object) {
    if (!object.is_object()) {
        return std::nullopt;
    }
    std::map<std::uint8_t, std::uint8_t> bytes;
    for (const auto& [key, value] : object.items()) {
        const auto address = hexPair(key);
        const auto byte = value.is_string() ? hexPair(value.get<std::string>()) : std::nullopt;
        if (!address || !byte) {
            return std::nullopt;
        }
        bytes[*address] = *byte;
    }
    return bytes;
}

bool getString(const Json& j, const char* key, std::string& out) {
    const auto it = j.find(key);
    if (it == j.end() || !it->is_string()) {
        return false;
    }
    out = it->get<std::string>();
    return true;
}

// Forces the appended bytes onto the disk, not only into the system's cache.
bool syncToDisk(std::FILE* f) {
#ifdef _WIN32
    return _commit(_fileno(f)) == 0;
#else
    return ::fsync(fileno(f)) == 0;
#endif
}

// Holds an exclusive lock on an open file until destroyed (or the file is closed): another
// program appending waits for it.
bool lockFile(std::FILE* f) {
#ifdef _WIN32
    OVERLAPPED whole{};
    return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))), LOCKFILE_EXCLUSIVE_LOCK,
                      0, MAXDWORD, MAXDWORD, &whole) != 0;
#else
    int r = 0;
    while ((r = ::flock(fileno(f), LOCK_EX)) != 0 && errno == EINTR) {
    }
    return r == 0;
#endif
}

constexpr std::array<std::string_view, 5> kStateNames{"begun", "written", "finished", "failed",
                                                      "undone"};

std::optional<EntryState> stateOf(const Json& j) {
    const auto it = j.find("state");
    if (it == j.end() || !it->is_string()) {
        return std::nullopt;
    }
    const std::string name = it->get<std::string>();
    for (std::size_t i = 0; i < kStateNames.size(); ++i) {
        if (kStateNames[i] == name) {
            return EntryState(i);
        }
    }
    return std::nullopt;
}

long long idOf(const Json& j, const char* key) {
    const auto it = j.find(key);
    return it != j.end() && it->is_number_integer() ? it->get<long long>() : 0;
}

std::string dump(const Json& j) {
    // Texts that are not valid UTF-8 are written with replacement characters, never thrown on.
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string_view EntryStateName(EntryState state) {
    return kStateNames[std::size_t(state)];
}

bool JournalEntry::mayHaveChanged() const {
    for (const auto& [address, value] : before) {
        const auto it = after.find(address);
        if (it == after.end() || it->second != value) {
            return true;
        }
    }
    return false;
}

bool JournalEntry::finishValuesPending() const {
    if (finishValuesAcknowledged || state == EntryState::Finished || state == EntryState::Undone ||
        !mayHaveChanged()) {
        return false;
    }
    return std::any_of(before.begin(), before.end(),
                       [](const auto& b) { return eeprom_address::isAdjustmentValue(b.first); });
}

const JournalEntry* JournalContents::find(long long id) const {
    for (const JournalEntry& e : entries) {
        if (e.id == id) {
            return &e;
        }
    }
    return nullptr;
}

std::filesystem::path defaultJournalFolder() {
    const std::filesystem::path state = stateFolder();
    return state.empty() ? state : state / "journal";
}

bool ChangeJournal::appendLocked(const std::function<std::string(long long id)>& makeLine,
                                 bool assignId, long long& id, std::string& why) const {
    if (folder_.empty()) {
        why = noFolderWhy_.empty() ? "it has no folder" : noFolderWhy_;
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) {
        why = "cannot make the folder " + folder_.string() + ": " + ec.message();
        return false;
    }
    const std::string path = file().string();
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) {
        why = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!lockFile(f)) {
        why = "cannot lock " + path + ": " + std::strerror(errno);
        std::fclose(f);
        return false;
    }
    // Under the lock: the newest id and the end of the file are those no other program moves.
    if (assignId) {
        long long last = 0;
        for (const JournalEntry& e : read().entries) {
            last = std::max(last, e.id);
        }
        if (last == std::numeric_limits<long long>::max()) {
            why = "its ids are used up (the last is " + std::to_string(last) + ")";
            std::fclose(f);
            return false;
        }
        id = last + 1;
    }
    // A line cut short by a crash has no '\n': the new line must not run on from it.
    bool needNewline = false;
    if (std::ifstream in(path, std::ios::binary | std::ios::ate); in && in.tellg() > 0) {
        in.seekg(-1, std::ios::end);
        needNewline = in.get() != '\n';
    }
    const std::string text = (needNewline ? "\n" : "") + makeLine(id) + "\n";
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
                    std::fflush(f) == 0 && syncToDisk(f);
    const int err = errno;
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        why = "cannot write " + path + ": " + std::strerror(err);
        return false;
    }
    return true;
}

bool ChangeJournal::append(JournalEntry& entry, std::string& why) const {
    long long id = 0;
    auto line = [&entry](long long next) {
        Json j;
        j["id"] = next;
        j["time"] = entry.time;
        j["operation"] = entry.operation;
        j["model"] = entry.model;
        j["port"] = entry.port;
        j["usb_id"] = entry.usbId;
        j["before"] = bytesObject(entry.before);
        j["state"] = EntryStateName(EntryState::Begun);
        if (!entry.usbIdAfter.empty()) {
            j["usb_id_after"] = entry.usbIdAfter;
        }
        if (entry.undoes != 0) {
            j["undoes"] = entry.undoes;
        }
        return dump(j);
    };
    if (!appendLocked(line, true, id, why)) {
        return false;
    }
    entry.id = id;
    entry.state = EntryState::Begun;
    return true;
}

bool ChangeJournal::update(const JournalUpdate& u, std::string& why) const {
    Json j;
    j["id"] = u.id;
    if (u.state) {
        j["state"] = EntryStateName(*u.state);
    }
    if (!u.after.empty()) {
        j["after"] = bytesObject(u.after);
    }
    if (!u.usbIdAfter.empty()) {
        j["usb_id_after"] = u.usbIdAfter;
    }
    if (u.undoneBy != 0) {
        j["undone_by"] = u.undoneBy;
    }
    if (u.finishValuesAcknowledged) {
        j["finish_values"] = true;
    }
    long long id = u.id;
    return appendLocked([&j](long long) { return dump(j); }, false, id, why);
}

JournalContents ChangeJournal::read() const {
    JournalContents contents;
    if (folder_.empty()) {
        return contents;
    }
    std::ifstream in(file(), std::ios::binary);
    std::map<long long, std::size_t> byId;
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) {
            continue;
        }
        const Json j = Json::parse(line, nullptr, false);
        const auto id = j.is_object() ? j.find("id") : Json::const_iterator{};
        if (!j.is_object() || id == j.end() || !id->is_number_integer()) {
            ++contents.skippedLines;
            continue;
        }
        if (j.find("before") == j.end()) {
            // A later line of an entry.
            const auto at = byId.find(id->get<long long>());
            const auto after = j.find("after");
            const auto bytes = after == j.end()
                                   ? std::optional<std::map<std::uint8_t, std::uint8_t>>(
                                         std::map<std::uint8_t, std::uint8_t>{})
                                   : parseBytes(*after);
            if (!bytes || at == byId.end()) {
                ++contents.skippedLines;
                continue;
            }
            JournalEntry& e = contents.entries[at->second];
            for (const auto& [address, value] : *bytes) {
                e.after[address] = value;
            }
            (void)getString(j, "usb_id_after", e.usbIdAfter);
            if (const auto state = stateOf(j)) {
                e.state = *state;
            } else if (after != j.end()) {
                e.state = EntryState::Finished;  // the previous version's after line
            }
            if (const long long by = idOf(j, "undone_by"); by != 0) {
                e.undoneBy = by;
            }
            if (const auto fv = j.find("finish_values"); fv != j.end() && fv->is_boolean()) {
                e.finishValuesAcknowledged = e.finishValuesAcknowledged || fv->get<bool>();
            }
            continue;
        }
        JournalEntry e;
        e.id = id->get<long long>();
        const auto bytes = parseBytes(j.at("before"));
        if (!bytes || !getString(j, "time", e.time) || !getString(j, "operation", e.operation) ||
            !getString(j, "model", e.model) || !getString(j, "port", e.port) ||
            !getString(j, "usb_id", e.usbId)) {
            ++contents.skippedLines;
            continue;
        }
        e.before = *bytes;
        e.operation = CommandName(e.operation);
        (void)getString(j, "usb_id_after", e.usbIdAfter);
        e.undoes = idOf(j, "undoes");
        e.state = stateOf(j).value_or(EntryState::Begun);
        byId[e.id] = contents.entries.size();
        contents.entries.push_back(std::move(e));
    }
    return contents;
}

std::string CommandName(std::string_view operation) {
    struct Renamed {
        std::string_view old, now;
    };
    static constexpr Renamed kRenamed[] = {
        {"top margin write", "top-margin write"}, {"cr motor measure", "crmotor measure"},
        {"cr motor fixed", "crmotor fixed"},      {"head id write", "headid write"},
        {"usb id write", "usbid write"},          {"usb id serial", "usbid serial"},
        {"liquid exchange", "exchange"},
    };
    for (const Renamed& r : kRenamed) {
        if (operation == r.old) {
            return std::string(r.now);
        }
    }
    return std::string(operation);
}

bool IsUnusableIdentity(std::string_view usbId) {
    return usbId.empty() || usbId.find('?') != std::string_view::npos;
}

bool IsEntryOfPrinter(const JournalEntry& entry, std::string_view usbId) {
    const std::string_view before = entry.usbId;
    const std::string_view after = entry.usbIdAfter.empty() ? before : entry.usbIdAfter;
    if (usbId.size() != before.size() || usbId.size() != after.size()) {
        return false;
    }
    for (std::size_t i = 0; i < usbId.size(); ++i) {
        if (usbId[i] != before[i] && usbId[i] != after[i]) {
            return false;
        }
    }
    return true;
}

std::vector<JournalEntry> EntriesOfPrinter(const JournalContents& journal, std::string_view usbId,
                                           int n, bool anyIdentity) {
    std::vector<JournalEntry> out;
    if (IsUnusableIdentity(usbId) && !anyIdentity) {
        return out;
    }
    for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it) {
        if (n >= 0 && int(out.size()) >= n) {
            break;
        }
        if (IsEntryOfPrinter(*it, usbId)) {
            out.push_back(*it);
        }
    }
    return out;
}

}  // namespace veltra
