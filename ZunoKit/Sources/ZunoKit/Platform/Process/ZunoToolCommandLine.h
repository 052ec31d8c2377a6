#pragma once

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string_view>

// Whether a word asks for the usage, wherever it stands.
inline bool zunoIsHelpOption(std::string_view word)
{
    return word == "--help" || word == "-h";
}

// One command-line rule for the programs that read their arguments by hand (the studio and the tools):
// --help and -h print the usage and end with 0; a word that starts with '-' and is not one of the tool's
// options is an error (usage on stderr, 2), never a file name. `options` lists the tool's own options; one
// that ends in '=' takes the next word as its value (no tool reads "--name=value", so that form is refused).
// In a Qt tool, call it after the application object is made, which takes Qt's own options (-platform ...)
// out of argv. Returns the exit code when the tool must end now.
inline std::optional<int> zunoCheckToolArguments(
    int argc, char **argv, const char *usage, std::initializer_list<std::string_view> options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view word(argv[i]);
        if (zunoIsHelpOption(word)) {
            std::fputs(usage, stdout);
            return 0;
        }
        if (word.size() < 2 || word.front() != '-')
            continue;
        bool known = false;
        bool takesNext = false;
        for (std::string_view option : options) {
            const bool takesValue = option.ends_with('=');
            if (takesValue)
                option.remove_suffix(1);
            if (word == option) {
                known = true;
                takesNext = takesValue;
                break;
            }
        }
        if (!known) {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            std::fputs(usage, stderr);
            return 2;
        }
        if (takesNext)
            ++i;
    }
    return std::nullopt;
}
