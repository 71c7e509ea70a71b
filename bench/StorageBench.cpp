// Reading and writing the settings image: a file of the program's own size (about 3,000 keys
// in a few hundred sections) and one at the size limit made of the smallest possible keys.
#include "IniFileStorage.h"
#include "IniImage.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray panelFile()
{
    QByteArray s;
    for (int section = 0; section < 300; ++section) {
        s += "[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local\\Instr" + QByteArray::number(section)
             + "_ScaleSettings]\r\n";
        for (int k = 0; k < 10; ++k)
            s += "Key" + QByteArray::number(k) + "=00000000000000C80540\r\n";
    }
    return s;
}

QByteArray tinyKeysFile()
{
    QByteArray s("[S]\r\n");
    for (int k = 0; s.size() < IniFileStorage::kMaxFileSize - 16; ++k)
        s += "k" + QByteArray::number(k) + "=\r\n";
    return s;
}

void parseAndSerialize(benchmark::State &state, const QByteArray &file)
{
    for (auto _ : state) {
        tg::IniImage img;
        img.parse(file);
        benchmark::DoNotOptimize(img.serialize());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * file.size());
}

void BM_PanelFile(benchmark::State &state) { parseAndSerialize(state, panelFile()); }
void BM_TinyKeysAtLimit(benchmark::State &state) { parseAndSerialize(state, tinyKeysFile()); }

// Storing every key again with a changed value, as a save at exit does.
void BM_StoreEveryKey(benchmark::State &state)
{
    tg::IniImage img;
    img.parse(panelFile());
    int round = 0;
    for (auto _ : state) {
        const QString value = QString::number(++round);
        for (int section = 0; section < 300; ++section)
            for (int k = 0; k < 10; ++k)
                img.setValue(QStringLiteral("FormMain\\C:\\Users\\Kalbrino\\AppData\\Local\\Instr%1_ScaleSettings")
                                 .arg(section),
                             QStringLiteral("Key%1").arg(k), value);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 3000);
}

} // namespace

BENCHMARK(BM_PanelFile);
BENCHMARK(BM_TinyKeysAtLimit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreEveryKey);
BENCHMARK_MAIN();
