#pragma once

#include <QString>

#include <cstdio>
#include <optional>

namespace hb {

// The command line of the window program. --help and --version are answered before the
// application object exists, so that they work without a display; every other argument is left
// to Qt (-platform NAME, -style NAME, ...).
class HuebenchCommandLine {
public:
    HuebenchCommandLine() = delete;

    // Prints the help (to `out`) or "huebench <version>" when the arguments ask for it and gives
    // the exit status; gives nothing when the program is to start.
    static std::optional<int> answerEarly(int argc, const char *const *argv, const QString &version,
                                          std::FILE *out, std::FILE *err);

    static QString help();
};

} // namespace hb
