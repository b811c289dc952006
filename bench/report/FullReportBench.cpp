// Builds and writes the fullest report the controller image allows and prints
// the median time of several runs. A path given as argument keeps the document.

#include "image/TAlarmRecord.h"
#include "report/TDocxWriter.h"
#include "report/TReportGenerator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    TReportInput in;
    in.projectName = "bench";
    in.splitterCount = "12";
    in.consoleCount = "3";
    in.messageModuleCount = "3";
    in.relayModuleCount = "6";
    in.consoleIndex = 3;
    in.music = true;
    in.phonePaging = true;
    in.musicOutputs.fill(true);
    for (int offset = Layout::ButtonTable; offset < Layout::FirstUnused; ++offset)
        in.image.setByte(offset, 0xFF);
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord rec(in.image, i);
        in.inputCaptions[i - 1] = "IN-" + std::to_string(i) + " Алгоритм";
        for (int k = 1; k <= Layout::StageCount; ++k) {
            TStageRecord s = rec.stage(k);
            for (int b = 0; b < Layout::OutputBits; ++b)
                s.setOutputBit(b, true);
            for (int b = 0; b < Layout::RelayBits; ++b)
                s.setRelayBit(b, true);
            s.setK1(true);
            s.setK2(true);
            s.setDuration(k == 5 ? 255 : 8);
            s.setMessageCode(static_cast<uint8_t>(7 * k));
        }
        rec.setEnabled(true);
        rec.setDelayCode(26);
    }
    QTemporaryDir dir;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("full.docx"));
    std::vector<double> times;
    constexpr int Runs = 9;
    for (int run = 0; run < Runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        TWordDocument doc;
        TReportGenerator(in, doc, [] {}).run();
        TDocxWriter::save(doc.document(), QFile::encodeName(path).toStdString());
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    std::printf("full report built and written: median %.1f ms over %d runs (min %.1f, max %.1f), %lld bytes\n",
                times[Runs / 2], Runs, times.front(), times.back(), static_cast<long long>(QFileInfo(path).size()));
    return times[Runs / 2] < 200.0 ? 0 : 1;
}
