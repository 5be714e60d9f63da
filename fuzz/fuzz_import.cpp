// Feeds arbitrary bytes through the real import on the worker thread, with settings
// taken from the first bytes, then prepares a page from whatever was read.
#include "data/data_manager.h"
#include "data/visibility_flags.h"
#include "guiex/guiex_dc.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr size_t kSettingBytes = 8;

struct Layers {
    std::unique_ptr<COM_GUI_EX::CGUIEXDC> plot, value, time;
    CVisibilityFlags flags;
};

}  // namespace

// The preparation draws text, which needs the application object (offscreen).
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char name[] = "fuzz_import";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/trandor-fuzz-" + std::to_string(getpid()) + ".csv";
    static Layers layers;
    if (size < kSettingBytes)
        return 0;
    CMemoryTransferManage* manager = CMemoryTransferManage::GetInstance();

    const int plotWidth = 1 + data[6] * 3;
    layers.plot.reset(new COM_GUI_EX::CGUIEXDC(nullptr, plotWidth, 40));
    layers.value.reset(new COM_GUI_EX::CGUIEXDC(nullptr, 20, 40));
    layers.time.reset(new COM_GUI_EX::CGUIEXDC(nullptr, plotWidth, 20));
    layers.flags.m_nSize = data[7] & 0x0F;
    for (int c = 0; c < CVisibilityFlags::kMaxChannels; ++c)
        layers.flags.m_nFlag[c] = (data[7] >> (c % 8)) & 1;
    manager->AttachChartLayers(layers.plot.get(), layers.value.get(), layers.time.get(), &layers.flags);
    manager->ApplySettings(data[0] & 1, data[1] % 6 - 1, data[2] % 5, data[3] & 1, 100, -100);

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data + kSettingBytes, 1, size - kSettingBytes, file);
    std::fclose(file);

    manager->RequestLoad(path.c_str());
    if (data[4] & 1) {
        const TimeValue start = 1714953600 + (data[4] >> 1) * 3600;  // 2024-05-06 and later
        manager->RequestQueryLoad(1, start, start + data[5] * 60, data[5] & 1);
    }
    manager->RequestPrepare();
    manager->WaitIdle(60000);
    return 0;
}
