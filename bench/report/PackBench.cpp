// The commissioning pack of the largest configuration (24 inputs of five
// stages, 12 splitters, 6 relay modules, every zone and relay named), built
// and written without the controller's read: the median of several runs, and
// the share of the content, the layout and the package. Where LibreOffice is
// installed, its PDF once, its time and its pages on A4 (by pdfinfo).
// A path given as argument keeps the document there.

#include "image/TAlarmRecord.h"
#include "report/TCommissioningPack.h"
#include "report/TDocxWriter.h"
#include "report/TPackDocument.h"
#include "report/TPdfConversion.h"
#include "report/TReportSource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int Runs = 15;
constexpr double TargetMs = 1000;

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TCommissioningPack::Input largest()
{
    TImage image;
    image.setByte(Layout::CompositionByte, 0xBF); // 12 splitters, 3 consoles, paging, music
    image.setByte(Layout::ModuleByte, 0xF0);      // 3 message modules, 6 relay modules
    for (int i = Layout::MusicMask; i < Layout::MusicMask + Layout::MaskSize; ++i)
        image.setByte(i, 0x5A);
    for (int i = Layout::ButtonTable; i < Layout::FirstUnused; ++i)
        image.setByte(i, static_cast<uint8_t>(0x11 << (i % 4)));
    TReportSource::Names names;
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(image, i);
        record.setEnabled(true);
        record.setDelayCode(static_cast<uint8_t>(i % 27));
        for (int k = 1; k <= Layout::StageCount; ++k) {
            TStageRecord stage = record.stage(k);
            stage.setDuration(k == Layout::StageCount ? 255 : static_cast<uint8_t>(4 * k));
            stage.setMessageCode(static_cast<uint8_t>((i + k) % 32));
            for (int bit = 0; bit < Layout::OutputBits; ++bit)
                stage.setOutputBit(bit, (bit + i + k) % 3 == 0);
            for (int bit = 0; bit < Layout::RelayBits; ++bit)
                stage.setRelayBit(bit, (bit + i * k) % 4 == 0);
            stage.setK1(k % 2 == 1);
            stage.setK2(k == 2);
        }
        names[static_cast<size_t>(i - 1)] = "Пожар, пожарный отсек " + std::to_string(i);
    }
    TSiteNames site;
    site.object = "Торгово-развлекательный центр «Северный»";
    site.address = "г. Мурманск, проспект Ленина, 100";
    site.engineer = "Иванов Иван Иванович";
    for (int bit = 0; bit < Layout::OutputBits; ++bit)
        site.zones[static_cast<size_t>(bit)]
            = std::to_string(bit / 4 + 1) + " этаж, зона " + std::to_string(bit % 4 + 1);
    for (int bit = 0; bit < Layout::RelayBits; ++bit)
        site.relays[static_cast<size_t>(bit)] = "Клапан " + std::to_string(bit + 1);
    site.controllerRelays = {"Пуск дымоудаления", "Лифты вниз"};

    TCommissioningPack::Input input;
    input.project = TReportSource::of(image, names, "tc-north", "08.12.2026 12:00:00", site);
    input.projectFile = "/home/user/tc-north.usr";
    input.program = "kt7config bench";
    return input;
}

} // namespace

int main(int argc, char** argv)
{
    const TCommissioningPack::Input input = largest();
    const std::string path
        = argc > 1 ? argv[1] : (std::filesystem::temp_directory_path() / "kt7-pack-bench.docx").string();
    std::vector<double> total, content, layout, package;
    for (int run = 0; run < Runs; ++run) {
        const auto start = Clock::now();
        const TCommissioningPack pack = TCommissioningPack::of(input);
        const double made = msSince(start);
        const TDocument doc = TPackDocument::of(pack);
        const double laid = msSince(start);
        TDocxWriter::save(doc, path);
        const double written = msSince(start);
        total.push_back(written);
        content.push_back(made);
        layout.push_back(laid - made);
        package.push_back(written - laid);
    }
    const auto median = [](std::vector<double> ms) {
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    };
    std::printf("pack of the largest configuration (24 inputs x 5 stages, 74 columns), built and written: median %.1f "
                "ms over %d runs (content %.1f, layout %.1f, package %.1f), %ju bytes | target %.0f ms\n",
                median(total), Runs, median(content), median(layout), median(package),
                static_cast<uintmax_t>(std::filesystem::file_size(path)), TargetMs);

    if (TPdfConversion::program().empty()) {
        std::printf("its PDF: LibreOffice is not installed\n");
    } else {
        const auto start = Clock::now();
        const std::string failed = TPdfConversion::run(path);
        const double ms = msSince(start);
        if (!failed.empty()) {
            std::printf("its PDF: %s\n", failed.c_str());
            return 1;
        }
        std::string pages = "pdfinfo not installed";
        const std::string command = "pdfinfo '" + TPdfConversion::pdfPath(path) + "' 2>/dev/null";
        if (FILE* info = ::popen(command.c_str(), "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, info))
                if (std::string(line).rfind("Pages:", 0) == 0)
                    pages = std::to_string(std::atoi(line + 6)) + " pages";
            ::pclose(info);
        }
        std::printf("its PDF by LibreOffice: %.1f s, %s on A4\n", ms / 1000, pages.c_str());
    }
    return median(total) < TargetMs ? 0 : 1;
}
