#include "Q9Ctl.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <filesystem>

#include "CtlOptions.h"
#include "DeviceCommands.h"
#include "ProfileJson.h"
#include "ProfileReport.h"
#include "app/DataModule.h"
#include "platform/Backends.h"
#include "platform/DurableFile.h"
#include "platform/Utf8Path.h"

namespace q9 {

void RefuseToReplaceUnreadable(const TDM& dm, const Options& o, const std::vector<int>& values) {
  if (o.force) return;
  for (int value : values)
    if (const UnreadableValue* unreadable = dm.FindUnreadable(value))
      throw CommandFailed(unreadable->location + " could not be read (" + unreadable->reason +
                          ") and this command would save over it; nothing was changed (--force replaces it)");
}

namespace {

void WarnAboutUnreadable(const TDM& dm, std::ostream& err) {
  for (const UnreadableValue& value : dm.UnreadableValues())
    err << "q9ctl: warning: " << value.location << " could not be read (" << value.reason
        << "); working on factory settings for it\n";
}

/// Paths are made absolute, so a bare file name means one in the current folder.
std::string AbsolutePath(const std::string& file) {
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(PathFromUtf8(file), ec);
  return ec ? file : Utf8FromPath(absolute);
}

int Show(TDM& dm, const Options& o, std::ostream& out) {
  nlohmann::json profiles = nlohmann::json::array();
  const auto profile = std::make_unique<TMouseProfileInfoEasyShiftEx>();
  for (int i = 0; i < kGameProfileCount; ++i) {
    if (o.profile >= 0 && i != o.profile) continue;
    dm.ReadProfileInfo(*profile, i);
    profiles.push_back(DescribeProfile(*profile, i, dm.FSensorType));
  }
  const nlohmann::json settings = DescribeSettings(dm.FAllProfileSettingInfo);
  if (o.json) {
    out << nlohmann::json{{"settings", settings}, {"profiles", profiles}}.dump(2) << "\n";
    return 0;
  }
  PrintSettings(out, settings);
  for (const auto& p : profiles) PrintProfile(out, p);
  return 0;
}

void ExpectFileName(const Options& o, const char* command) {
  if (o.file.empty())
    throw CommandFailed(std::string("cannot ") + command + " profile " + std::to_string(o.profileArg) +
                        ": the file name is empty");
}

// JSON by --format, else by the file's extension (.json in any case); the .GPX image otherwise.
bool IsJsonFile(const Options& o) {
  if (!o.format.empty()) return o.format == "json";
  std::string extension = Utf8FromPath(PathFromUtf8(o.file).extension());
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".json";
}

std::vector<std::uint8_t> ReadProfileFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::string error;
  switch (ReadRegularFile(PathFromUtf8(path), kLargestStoredImage, bytes, error)) {
    case FileReadResult::Ok:
      break;
    case FileReadResult::Missing:
      throw CommandFailed("cannot import " + path + ": it does not exist");
    default:
      throw CommandFailed("cannot import " + path + ": " + error);
  }
  if (bytes.empty()) throw CommandFailed("cannot import " + path + ": it is empty");
  return bytes;
}

// The image an import of the file gives; a JSON file that is refused names the field.
std::vector<std::uint8_t> ImportedImage(const Options& o, const std::string& path) {
  std::vector<std::uint8_t> bytes = ReadProfileFile(path);
  if (!IsJsonFile(o)) return bytes;
  try {
    return ProfileImageFromJson(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const ProfileJsonError& e) {
    throw CommandFailed("cannot import " + path + ": " + e.what() + "; nothing was changed");
  }
}

int Export(TDM& dm, const Options& o, std::ostream& out) {
  ExpectFileName(o, "export");
  if (const UnreadableValue* unreadable = dm.FindUnreadable(o.profileArg); unreadable && !o.force)
    throw CommandFailed("profile " + std::to_string(o.profileArg) + " could not be read from " + unreadable->location +
                        " (" + unreadable->reason + "): the file would hold factory settings instead; nothing was "
                        "written (--force exports them)");
  dm.SwitchToProfile(o.profileArg, 0);
  const std::string path = AbsolutePath(o.file);
  if (IsJsonFile(o)) {
    const std::string text = ProfileImageToJson(dm.ProfileComponent(o.profileArg).Stream());
    std::string error;
    if (!WriteFileDurably(PathFromUtf8(path), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error))
      throw CommandFailed("cannot export profile " + std::to_string(o.profileArg) + ": " + error);
  } else if (!dm.SaveCurrentProfileInfoToFile(path))
    throw CommandFailed("cannot export profile " + std::to_string(o.profileArg) + ": " +
                        dm.ProfileComponent(o.profileArg).LastError());
  out << "exported profile " << o.profileArg << " to " << path << "\n";
  return 0;
}

// What an import stores: the image, at least a whole record (the working copies are folded back).
std::vector<std::uint8_t> AsStored(std::vector<std::uint8_t> image) {
  if (image.size() < sizeof(TMouseProfileInfoEasyShiftEx)) image.resize(sizeof(TMouseProfileInfoEasyShiftEx), 0);
  return image;
}

int DryRunImport(TDM& dm, const Options& o, std::ostream& out) {
  const std::string path = AbsolutePath(o.file);
  const std::vector<std::uint8_t> imported = AsStored(ImportedImage(o, path));
  const std::vector<std::uint8_t>& stored = dm.ProfileComponent(o.profileArg).Stream();
  const std::vector<std::string> changes = DescribeProfileChanges(stored, imported);
  out << "importing " << path << " into profile " << o.profileArg << " would change "
      << (changes.empty() ? "nothing" : std::to_string(changes.size()) + (changes.size() == 1 ? " field:" : " fields:")) << "\n";
  for (const std::string& change : changes) out << "  " << change << "\n";
  return 0;
}

int Import(TDM& dm, const Options& o, std::ostream& out) {
  ExpectFileName(o, "import into");
  if (o.dryRun) return DryRunImport(dm, o, out);
  RefuseToReplaceUnreadable(dm, o, {o.profileArg});
  dm.SwitchToProfile(o.profileArg, 0);
  const std::string path = AbsolutePath(o.file);
  if (IsJsonFile(o)) {
    const std::vector<std::uint8_t> image = ImportedImage(o, path);
    TuiProfile& component = dm.ProfileComponent(o.profileArg);
    component.SetSize(static_cast<std::int64_t>(image.size()));
    component.Write(image.data(), static_cast<int>(image.size()));
    dm.FButtonConfigIndex = 0;
    dm.ReadCurrentProfileInfo();
  } else if (!dm.LoadCurrentProfileInfoFromFile(path)) {
    throw CommandFailed("cannot import " + path + ": " + dm.ProfileComponent(o.profileArg).LastError());
  }
  // Store it as the window's next save would: the working copies folded back, a longer tail kept.
  dm.SaveBackToCurrentProfileInfo();
  if (!dm.SaveProfileInfoToRegistry(o.profileArg))
    throw CommandFailed("imported, but cannot save profile " + std::to_string(o.profileArg) + ": " +
                        dm.ProfileComponent(o.profileArg).LastError());
  out << "imported " << path << " into profile " << o.profileArg << "\n";
  return 0;
}

int Reset(TDM& dm, const Options& o, std::ostream& out) {
  RefuseToReplaceUnreadable(dm, o, {o.profileArg});
  dm.RestoreProfileInfoToDefault(o.profileArg);
  if (!dm.SaveProfileInfoToRegistry(o.profileArg))
    throw CommandFailed("cannot save profile " + std::to_string(o.profileArg) + ": " +
                        dm.ProfileComponent(o.profileArg).LastError());
  out << "profile " << o.profileArg << " reset to factory settings\n";
  return 0;
}

// The commands that save to the store; the others only read it (a first run's factory record aside).
bool WritesStore(const CLI::App& app, const Options& o) {
  if (app.got_subcommand("import") && o.dryRun) return false;
  for (const char* name : {"import", "reset", "set", "apply"})
    if (app.got_subcommand(name)) return true;
  if (app.got_subcommand("macro")) {
    const CLI::App* macro = app.get_subcommand("macro");
    for (const char* name : {"add", "remove", "rename"})
      if (macro->got_subcommand(name)) return true;
  }
  return false;
}

// A command reads, changes and writes the store under the store's lock, so that commands run
// together never lose each other's changes. A writer also keeps off a store a window works on:
// the window's next save would replace what it writes.
// True when the lock is held.
bool LockStore(StoreLock& lock, bool writes, bool force) {
  std::string error;
  switch (lock.Lock(writes ? StoreLockMode::Exclusive : StoreLockMode::Shared, kStoreLockWaitMs, error)) {
    case StoreLockResult::Acquired:
      break;
    case StoreLockResult::Busy:
      throw CommandFailed("the settings store " + lock.StoreName() + " is busy (another q9ctl is writing)");
    case StoreLockResult::Unavailable:
      // A store that cannot be locked cannot be written either; reading it goes unguarded.
      if (writes) throw CommandFailed("cannot lock the settings store " + lock.StoreName() + ": " + error);
      return false;
  }
  if (writes && !force && lock.WindowMarkHeldElsewhere())
    throw CommandFailed("q9config is open on this settings store (" + lock.StoreName() +
                        "); close it or use --force");
  return true;
}

}  // namespace

int RunQ9Ctl(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{"Q9 Gaming Mouse settings from the command line", "q9ctl"};
  app.require_subcommand(1);
  Options o;
  Command command = nullptr;
  app.add_option("--store", o.storeFolder, "Settings store folder (default $Q9_CONFIG_HOME, $XDG_CONFIG_HOME or ~/.config)");
  app.add_flag("--force", o.force,
               "Replace values that could not be read, and write even while q9config is open on the store "
               "(its next save replaces the change)");
  const auto profileRange = CLI::Range(0, kGameProfileCount - 1);

  CLI::App* show = app.add_subcommand("show", "Show the settings and the game profiles");
  show->add_flag("--json", o.json, "Print JSON");
  show->add_option("--profile", o.profile, "Only this game profile (0-4)")->check(profileRange);
  show->callback([&] { command = Show; });

  const auto formats = CLI::IsMember({"json", "gpx"});
  CLI::App* exportCmd = app.add_subcommand("export", "Write a game profile to a .GPX file, or a readable .json file");
  exportCmd->add_option("profile", o.profileArg, "Game profile (0-4)")->required()->check(profileRange);
  exportCmd->add_option("file", o.file, "Target file")->required();
  exportCmd->add_option("--format", o.format, "json or gpx (default: json for a .json file, else gpx)")->check(formats);
  exportCmd->callback([&] { command = Export; });

  CLI::App* importCmd = app.add_subcommand("import", "Read a .GPX or .json file into a game profile and save it");
  importCmd->add_option("profile", o.profileArg, "Game profile (0-4)")->required()->check(profileRange);
  importCmd->add_option("file", o.file, "Profile file")->required();
  importCmd->add_option("--format", o.format, "json or gpx (default: json for a .json file, else gpx)")->check(formats);
  importCmd->add_flag("--dry-run", o.dryRun, "Print what the import would change, field by field; change nothing");
  importCmd->callback([&] { command = Import; });

  CLI::App* reset = app.add_subcommand("reset", "Reset a game profile to its factory settings and save it");
  reset->add_option("profile", o.profileArg, "Game profile (0-4)")->required()->check(profileRange);
  reset->callback([&] { command = Reset; });

  AddDeviceCommands(app, o, command);
  app.add_option("--device-dir", o.deviceFolder, "Folder of the driver socket (default $Q9_DEVICE_DIR, $XDG_RUNTIME_DIR or /tmp)");
  app.add_option("--config", o.configFile, "The driver configuration file (default config.ini beside q9ctl)");
  if (argc > 0) o.programPath = argv[0];

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return 0;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::ParseError& e) {
    err << "q9ctl: " << e.what() << "\n";
    return 2;
  }

  try {
    const std::filesystem::path storeFolder = o.storeFolder.empty() ? std::filesystem::path() : PathFromUtf8(o.storeFolder);
    // Taken before the data module reads the store, held until the command has saved.
    const auto storeLock = MakeStoreLock(storeFolder);
    const bool locked = LockStore(*storeLock, WritesStore(app, o), o.force);
    const auto store = MakeRegistryStore(storeFolder);
    // Under the lock no other command writes; an open window may, so its files are left alone then.
    if (locked && !storeLock->WindowMarkHeldElsewhere())
      if (const std::string error = RemoveStoreLeftovers(*store); !error.empty())
        err << "q9ctl: leftover temporary files stay: " << error << "\n";
    const auto locale = MakeSystemLocale();
    const auto dm = CreateDataModule(*store, *locale);
    WarnAboutUnreadable(*dm, err);
    dm->SetOverwriteUnreadable(o.force);
    return command(*dm, o, out);
  } catch (const CommandFailed& e) {
    err << "q9ctl: " << e.what() << "\n";
    return e.ExitStatus();
  } catch (const std::exception& e) {
    err << "q9ctl: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace q9
