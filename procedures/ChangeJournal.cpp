#include "procedures/ChangeJournal.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "link/HexText.h"
#include "procedures/EepromBackup.h"
#include "procedures/StateFolder.h"

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

}  // namespace

std::filesystem::path defaultJournalFolder() {
    const std::filesystem::path state = stateFolder();
    return state.empty() ? state : state / "journal";
}

bool ChangeJournal::appendLine(const std::string& line, std::string& why) const {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    if (ec) {
        why = "cannot make the folder " + folder_.string() + ": " + ec.message();
        return false;
    }
    const std::string path = file().string();
    // A line cut short by a crash has no '\n': the new entry must not run on from it.
    bool needNewline = false;
    if (std::ifstream in(path, std::ios::binary | std::ios::ate); in && in.tellg() > 0) {
        in.seekg(-1, std::ios::end);
        needNewline = in.get() != '\n';
    }
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) {
        why = "cannot open " + path;
        return false;
    }
    const std::string text = (needNewline ? "\n" : "") + line + "\n";
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size() &&
                    std::fflush(f) == 0 && syncToDisk(f);
    const bool closed = std::fclose(f) == 0;
    if (!ok || !closed) {
        why = "cannot write " + path;
        return false;
    }
    return true;
}

bool ChangeJournal::append(JournalEntry& entry, std::string& why) const {
    long long last = 0;
    for (const JournalEntry& e : read().entries) {
        last = std::max(last, e.id);
    }
    entry.id = last + 1;
    Json j;
    j["id"] = entry.id;
    j["time"] = entry.time;
    j["operation"] = entry.operation;
    j["model"] = entry.model;
    j["port"] = entry.port;
    j["usb_id"] = entry.usbId;
    j["before"] = bytesObject(entry.before);
    // Texts that are not valid UTF-8 are written with replacement characters, never thrown on.
    return appendLine(j.dump(-1, ' ', false, Json::error_handler_t::replace), why);
}

bool ChangeJournal::appendAfter(long long id, const std::map<std::uint8_t, std::uint8_t>& after,
                                const std::string& usbIdAfter, std::string& why) const {
    Json j;
    j["id"] = id;
    j["after"] = bytesObject(after);
    if (!usbIdAfter.empty()) {
        j["usb_id_after"] = usbIdAfter;
    }
    return appendLine(j.dump(-1, ' ', false, Json::error_handler_t::replace), why);
}

JournalContents ChangeJournal::read() const {
    JournalContents contents;
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
        if (const auto after = j.find("after"); after != j.end()) {
            const auto bytes = parseBytes(*after);
            const auto at = byId.find(id->get<long long>());
            if (!bytes || at == byId.end()) {
                ++contents.skippedLines;
                continue;
            }
            JournalEntry& e = contents.entries[at->second];
            e.after = *bytes;
            (void)getString(j, "usb_id_after", e.usbIdAfter);
            continue;
        }
        JournalEntry e;
        e.id = id->get<long long>();
        const auto before = j.find("before");
        const auto bytes = before == j.end() ? std::nullopt : parseBytes(*before);
        if (!bytes || !getString(j, "time", e.time) || !getString(j, "operation", e.operation) ||
            !getString(j, "model", e.model) || !getString(j, "port", e.port) ||
            !getString(j, "usb_id", e.usbId)) {
            ++contents.skippedLines;
            continue;
        }
        e.before = *bytes;
        e.operation = CommandName(e.operation);
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

std::vector<JournalEntry> EntriesOfPrinter(const JournalContents& journal, const std::string& usbId,
                                           int n) {
    std::vector<JournalEntry> out;
    for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it) {
        if (n >= 0 && int(out.size()) >= n) {
            break;
        }
        if (it->usbId == usbId || it->usbIdAfter == usbId) {
            out.push_back(*it);
        }
    }
    return out;
}

}  // namespace veltra
