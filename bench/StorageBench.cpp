// Data-module creation from a full store and saving all five profiles, on the real file store
// (durable writes: fsync of each file and its folder) and on the in-memory store (the cost of the
// data module itself).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "app/DataModule.h"
#include "platform/FileRegistryStore.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"

namespace q9 {
namespace {

class StoreFolder {
 public:
  StoreFolder() : path_(std::filesystem::temp_directory_path() / ("q9bench-" + std::to_string(std::random_device()()))) {
    std::filesystem::create_directories(path_);
  }
  ~StoreFolder() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A full store: the settings record and all five profiles.
void FillStore(RegistryStore& store, const SystemLocale& locale) {
  const auto dm = CreateDataModule(store, locale);
  dm->SaveBackAllProfileInfo();
}

void BM_CreateDataModuleFromFullFileStore(benchmark::State& state) {
  StoreFolder folder;
  FileRegistryStore store(folder.path());
  FakeSystemLocale locale;
  FillStore(store, locale);
  for (auto _ : state) benchmark::DoNotOptimize(CreateDataModule(store, locale));
}
BENCHMARK(BM_CreateDataModuleFromFullFileStore)->Unit(benchmark::kMicrosecond);

void BM_SaveAllProfilesToFileStore(benchmark::State& state) {
  StoreFolder folder;
  FileRegistryStore store(folder.path());
  FakeSystemLocale locale;
  const auto dm = CreateDataModule(store, locale);
  for (auto _ : state) {
    if (!dm->SaveBackAllProfileInfo()) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(state.iterations() * 5 * static_cast<int64_t>(sizeof(TMouseProfileInfoEasyShiftEx)));
}
BENCHMARK(BM_SaveAllProfilesToFileStore)->Unit(benchmark::kMillisecond);

void BM_CreateDataModuleFromFullMemoryStore(benchmark::State& state) {
  FakeRegistryStore store;
  FakeSystemLocale locale;
  FillStore(store, locale);
  for (auto _ : state) benchmark::DoNotOptimize(CreateDataModule(store, locale));
}
BENCHMARK(BM_CreateDataModuleFromFullMemoryStore)->Unit(benchmark::kMicrosecond);

void BM_SaveAllProfilesToMemoryStore(benchmark::State& state) {
  FakeRegistryStore store;
  FakeSystemLocale locale;
  const auto dm = CreateDataModule(store, locale);
  for (auto _ : state) dm->SaveBackAllProfileInfo();
}
BENCHMARK(BM_SaveAllProfilesToMemoryStore)->Unit(benchmark::kMicrosecond);

void BM_SwitchProfileAndSaveBack(benchmark::State& state) {
  FakeRegistryStore store;
  FakeSystemLocale locale;
  const auto dm = CreateDataModule(store, locale);
  int profile = 0;
  for (auto _ : state) {
    dm->SwitchToProfile(profile, 0);
    dm->SaveBackToCurrentProfileInfo();
    profile = (profile + 1) % kGameProfileCount;
  }
}
BENCHMARK(BM_SwitchProfileAndSaveBack)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace q9
