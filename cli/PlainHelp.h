#pragma once
// --help (and so the manual pages made from it) in plain words: an option's value is shown by
// its kind, its choices or range and its default in parentheses ("TEXT (one of: K55, K45;
// default K55)"), never in the parser's own marks ("TEXT:{K55,K45}=K55", "Needs: --paper").
// Header-only, for the three programs' option tables.
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace veltra {

// One validator's mark in words: "{a,b}" gives "one of: a, b", "INT in [-20 - 20]" gives
// "-20 to 20", "NONNEGATIVE" gives "0 or more"; any other mark is kept.
inline std::string plainChoice(std::string mark) {
    if (mark.size() >= 2 && mark.front() == '{' && mark.back() == '}') {
        std::string words = "one of: ";
        for (char c : mark.substr(1, mark.size() - 2)) {
            words += c == ',' ? std::string(", ") : std::string(1, c);
        }
        return words;
    }
    if (const auto in = mark.find(" in ["); in != std::string::npos && mark.back() == ']') {
        std::string range = mark.substr(in + 5, mark.size() - in - 6);
        if (const auto dash = range.find(" - "); dash != std::string::npos) {
            range.replace(dash, 3, " to ");
        }
        return range;
    }
    if (mark == "NONNEGATIVE") {
        return "0 or more";
    }
    if (mark == "POSITIVE") {
        return "more than 0";
    }
    return mark;
}

// Rewrites the help text of every option of app and of its commands, at any depth.
inline void plainHelp(CLI::App& app) {
    app.get_formatter()->label("SUBCOMMAND", "COMMAND");
    app.get_formatter()->label("SUBCOMMANDS", "COMMANDS");
    for (CLI::Option* option : app.get_options()) {
        if (option->get_type_size() == 0 || option->get_positional()) {
            continue;  // flags show no value; arguments are named in the command list
        }
        std::string type = option->get_type_name();
        std::vector<std::string> notes;
        if (option->get_required()) {
            notes.emplace_back("required");
        }
        if (const auto colon = type.find(':'); colon != std::string::npos) {
            notes.push_back(plainChoice(type.substr(colon + 1)));
            type.resize(colon);
        }
        const std::string fallback = option->get_default_str();
        if (!fallback.empty() && fallback != "[]") {
            notes.push_back("default " + fallback);
        }
        for (const CLI::Option* needed : option->get_needs()) {
            notes.push_back("with " + needed->get_name());
        }
        if (option->get_expected_max() == CLI::detail::expected_max_vector_size) {
            notes.push_back("may be repeated");
        }
        std::string text = type;
        for (std::size_t i = 0; i < notes.size(); ++i) {
            text += (i == 0 ? " (" : "; ") + notes[i];
        }
        option->option_text(notes.empty() ? text : text + ")");
    }
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
        plainHelp(*sub);
    }
}

}  // namespace veltra
