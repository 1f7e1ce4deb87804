// libFuzzer harness for importing a .GPX profile file: any file is loaded into a game profile as
// q9ctl import and the window's load do, and the profile then becomes the mouse's images or is
// refused with a DeviceImageError, nothing else. A file shorter than the record fills it from its
// start; a longer one keeps its tail through the save back.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/DataModule.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "protocol/DeviceImage.h"

namespace {

namespace fs = std::filesystem;

// A folder of this process for the file under test, in memory where the system has a tmpfs.
fs::path ImportFile() {
  std::error_code ec;
  fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
  fs::path folder = base / ("q9-fuzz-gpx-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  return folder / "import.GPX";
}

struct Fixture {
  q9::FakeRegistryStore store;
  q9::FakeSystemLocale locale;
  q9::TDM dm{store, locale};
  fs::path file = ImportFile();
  // The record is large: one for every run keeps the allocator out of the measurement.
  std::unique_ptr<q9::TMouseProfileInfoEasyShiftEx> record = std::make_unique<q9::TMouseProfileInfoEasyShiftEx>();
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(file.parent_path(), ec);
  }
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void WriteInput(const fs::path& file, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Fixture& f = TheFixture();
  WriteInput(f.file, data, size);
  // Profile 0 stays the current one: each run loads into it afresh.
  const bool loaded = f.dm.LoadCurrentProfileInfoFromFile(f.file.string());
  // An empty file is the only one that is refused; every other is taken as it is.
  if (loaded != (size != 0)) std::abort();
  if (!loaded) return 0;
  f.dm.SaveBackToCurrentProfileInfo();

  constexpr std::size_t kRecord = sizeof(q9::TMouseProfileInfoEasyShiftEx);
  const q9::TMemoryStream& stream = f.dm.ProfileComponent(0).Stream();
  if (stream.size() != std::max(size, kRecord)) std::abort();
  if (std::memcmp(stream.data(), data, std::min(size, kRecord)) != 0) std::abort();
  if (size > kRecord && std::memcmp(stream.data() + kRecord, data + kRecord, size - kRecord) != 0) std::abort();

  f.dm.ReadProfileInfo(*f.record, 0);
  try {
    q9::ReportIntervalCode(*f.record);
    q9::BuildLocationImages(*f.record);
  } catch (const q9::DeviceImageError&) {
  }
  return 0;
}
