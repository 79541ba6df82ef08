// Cost of the DadavezaRuz wire frame: how many lines per second the server can decode, and how
// fast the controller writes them. Items are lines (frames); bytes are the line's own bytes.

#include "dadavezaruz/ShortcutMessage.h"

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

// What a pad sends for most presses.
const QByteArray kTypicalLine = R"({"keyCombo":"cmd+shift+c","appTarget":"resolve"})"_ba;

// A line that needs every kind of unescaping: solidus, quote, backslash, control and \u escapes.
const QByteArray kEscapedLine =
    R"({"keyCombo":"cmd+shift+\/","appTarget":"Caf\u00e9 \"B\" \\ \t\ud83c\udfac"})"_ba;

void decodeLine(benchmark::State &state, const QByteArray &line)
{
    for (auto _ : state) {
        auto message = hb::ShortcutMessage::decode(line);
        benchmark::DoNotOptimize(message);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * line.size());
}

void encodeMessage(benchmark::State &state, const QByteArray &line)
{
    const hb::ShortcutMessage message = *hb::ShortcutMessage::decode(line);
    qsizetype frameSize = 0;
    for (auto _ : state) {
        QByteArray frame = message.encode();
        frameSize = frame.size();
        benchmark::DoNotOptimize(frame);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * frameSize);
}

void BM_DecodeTypicalLine(benchmark::State &state)
{
    decodeLine(state, kTypicalLine);
}

void BM_DecodeEscapedLine(benchmark::State &state)
{
    decodeLine(state, kEscapedLine);
}

void BM_DecodeRejectedLine(benchmark::State &state)
{
    // A line that is dropped: valid JSON whose appTarget is a number.
    decodeLine(state, R"({"keyCombo":"cmd+shift+c","appTarget":1})"_ba);
}

void BM_EncodeTypicalMessage(benchmark::State &state)
{
    encodeMessage(state, kTypicalLine);
}

void BM_EncodeEscapedMessage(benchmark::State &state)
{
    encodeMessage(state, kEscapedLine);
}

} // namespace

BENCHMARK(BM_DecodeTypicalLine);
BENCHMARK(BM_DecodeEscapedLine);
BENCHMARK(BM_DecodeRejectedLine);
BENCHMARK(BM_EncodeTypicalMessage);
BENCHMARK(BM_EncodeEscapedMessage);
