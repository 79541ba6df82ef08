#pragma once

// Loads a macro text in Lua 5.4 the way Fusion reads a settings file, with only Fusion's
// constructors defined, and checks its graph and (optionally) its values; see
// fusion_macro_check.lua beside this file for what is checked.

#include <QFile>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#ifndef HB_FUSION_MACRO_CHECK
#error "HB_FUSION_MACRO_CHECK must name fusion_macro_check.lua"
#endif

namespace hb::test {

// What a macro must hold besides the shape every macro has. Numbers are compared exactly.
struct FusionMacroExpectation {
    std::optional<QString> toolName;
    std::optional<QString> title;
    // "ID.Input" (or "ID.Input.N" for component N of a point) and its value.
    QList<std::pair<QString, double>> numbers;
    QList<std::pair<QString, QString>> strings; // "ID.Input" and its text, without control chars
};

// The Lua interpreter, or an empty string when it is not installed.
inline QString luaInterpreter()
{
    return QStandardPaths::findExecutable(QStringLiteral("lua5.4"));
}

// Empty when the macro passes; otherwise what the check reports.
inline QString checkFusionMacro(const QString &macroText,
                                const FusionMacroExpectation &expected = {})
{
    const QString lua = luaInterpreter();
    if (lua.isEmpty())
        return QStringLiteral("lua5.4 is not installed (scripts/install-deps)");
    QTemporaryDir folder;
    QFile macro(folder.filePath(QStringLiteral("macro.setting")));
    QFile expectations(folder.filePath(QStringLiteral("expected.txt")));
    if (!folder.isValid() || !macro.open(QIODevice::WriteOnly) ||
        !expectations.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write the files to check");
    macro.write(macroText.toUtf8());
    macro.close();

    QByteArray lines;
    if (expected.toolName)
        lines += "tool\t" + expected.toolName->toUtf8() + '\n';
    if (expected.title)
        lines += "title\t" + expected.title->toUtf8().toHex() + '\n';
    for (const auto &[key, value] : expected.numbers) {
        char buffer[64];
        // Hex floats read back exactly in Lua, the sign of a zero included.
        const auto end =
            std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::hex)
                .ptr;
        const bool negative = std::signbit(value);
        lines += key.toUtf8() + '\t' + (negative ? "-0x" : "0x") +
                 QByteArray(buffer, end - buffer) + '\n';
    }
    for (const auto &[key, value] : expected.strings)
        lines += key.toUtf8() + "\t\"" + value.toUtf8() + "\"\n";
    expectations.write(lines);
    expectations.close();

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(
        lua, {QStringLiteral(HB_FUSION_MACRO_CHECK), macro.fileName(), expectations.fileName()});
    if (!process.waitForFinished(30000))
        return QStringLiteral("lua5.4 did not finish: ") + process.errorString();
    const QString output = QString::fromUtf8(process.readAll()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return output.isEmpty() ? QStringLiteral("lua5.4 failed") : output;
    return {};
}

} // namespace hb::test
