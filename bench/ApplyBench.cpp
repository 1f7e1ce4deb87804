// A whole apply against the simulated mouse over the driver socket, as a ratio of its wall time to
// the 1320 ms of pauses the sequence prescribes, and the cost of building one profile's images.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "SimServer.h"
#include "app/DataModule.h"
#include "model/FactoryDefaults.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/posix/PosixDriverTransport.h"
#include "protocol/ApplySequence.h"

namespace q9 {
namespace {

std::unique_ptr<TMouseProfileInfoEasyShiftEx> RichProfile() {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  std::ifstream in(std::string(Q9_BENCH_DATA) + "/rich_profile.GPX", std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(profile.get()), sizeof *profile)) MakeFactoryProfile(*profile, 81);
  return profile;
}

void BM_ApplyOverTheSocket(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / ("q9bench-" + std::to_string(std::random_device()()));
  std::filesystem::create_directories(folder);
  SimulatedMouse mouse;
  SimServer server(mouse, {folder, "usbglcs00001", folder / "frames", folder / "memory", -1});
  std::string error;
  if (!server.Start(error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::thread serving([&] { server.Run(); });
  FakeRegistryStore store;
  FakeSystemLocale locale;
  ManualScheduler scheduler;
  PosixDriverTransport transport(folder);
  TuiSTDCommand channel(transport, scheduler, folder / "config.ini");
  const auto dm = CreateDataModule(store, locale);
  dm->SaveBackToProfileInfo(*RichProfile(), 0);
  dm->ReadCurrentProfileInfo();
  ApplyHooks hooks;
  hooks.ProgressPause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  double worst = 0;
  double total = 0;
  for (auto _ : state) {
    ApplyState applyState;
    const auto start = std::chrono::steady_clock::now();
    const ApplyResult result = ApplySettingsToDevice(*dm, channel, applyState, hooks);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result.ok()) state.SkipWithError(result.message.c_str());
    state.SetIterationTime(seconds);
    total += seconds;
    worst = std::max(worst, seconds);
  }
  state.counters["ratio_mean"] = total / static_cast<double>(state.iterations()) / (kApplyPauseTotalMs / 1000.0);
  state.counters["ratio_worst"] = worst / (kApplyPauseTotalMs / 1000.0);
  server.Stop();
  serving.join();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ApplyOverTheSocket)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_BuildImagesFactoryProfile(benchmark::State& state) {
  auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  MakeFactoryProfile(*profile, 81);
  for (auto _ : state) benchmark::DoNotOptimize(BuildLocationImages(*profile));
}
BENCHMARK(BM_BuildImagesFactoryProfile)->Unit(benchmark::kMicrosecond);

void BM_BuildImagesRichProfile(benchmark::State& state) {
  const auto profile = RichProfile();
  for (auto _ : state) benchmark::DoNotOptimize(BuildLocationImages(*profile));
}
BENCHMARK(BM_BuildImagesRichProfile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace q9
