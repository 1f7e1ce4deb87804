// q9sim: the simulated mouse as a program.
//   q9sim serve [--device-dir DIR] [--name NAME] [--frames FILE] [--memory FILE] [--unplug-after N]
//               [--reply-delay MS | --never-answer]
//   q9sim decode MEMORY [--json]

#include <CLI/CLI.hpp>

#include <csignal>
#include <fstream>
#include <iostream>

#include "MemoryDecode.h"
#include "SimServer.h"

namespace {

q9::SimServer* running = nullptr;

// Ten minutes: longer than any client waits; a mouse that should never answer has --never-answer.
constexpr int kLongestReplyDelayMs = 600'000;

void StopOnSignal(int) {
  if (running) running->Stop();
}

int Serve(const q9::SimServerOptions& options) {
  q9::SimulatedMouse mouse;
  q9::SimServer server(mouse, options);
  std::string error;
  if (!server.Start(error)) {
    std::cerr << "q9sim: " << error << "\n";
    return 1;
  }
  running = &server;
  std::signal(SIGINT, StopOnSignal);
  std::signal(SIGTERM, StopOnSignal);
  std::cout << "q9sim: serving the mouse on " << server.SocketPath().string() << std::endl;
  server.Run();
  running = nullptr;
  std::cout << "q9sim: " << (mouse.Present() ? "stopped" : "device removed") << " after " << mouse.CurrentState().frames
            << " frames" << std::endl;
  return 0;
}

int Decode(const std::string& file, bool json) {
  std::vector<std::uint8_t> image;
  std::string error;
  if (!q9::ReadMemoryImageFile(file, image, error)) {
    std::cerr << "q9sim: " << error << "\n";
    return 1;
  }
  q9::SimulatedMouse mouse;
  mouse.LoadImage(image);
  std::optional<q9::SimulatedMouse::State> state;
  if (image.size() > q9::SimulatedMouse::kMemorySize) state = mouse.CurrentState();
  const auto memory = mouse.Memory();
  const nlohmann::json decoded = q9::DecodeMemory(memory, state);
  if (json) std::cout << decoded.dump(2) << "\n";
  else q9::PrintDecodedMemory(std::cout, decoded);
  return 0;
}

int Run(int argc, char** argv) {
  CLI::App app{"The simulated Q9 Gaming Mouse", "q9sim"};
  app.require_subcommand(1);
  q9::SimServerOptions options;
  std::string deviceFolder, frames, memory, decodeFile;
  bool json = false;
  CLI::App* serve = app.add_subcommand("serve", "Serve the mouse on the driver socket");
  serve->add_option("--device-dir", deviceFolder, "Folder of the driver socket ($Q9_DEVICE_DIR, $XDG_RUNTIME_DIR or /tmp)");
  serve->add_option("--name", options.name, "Device name (the socket's file name)");
  serve->add_option("--frames", frames, "Append every frame received to this file");
  serve->add_option("--memory", memory, "Keep the memory image in this file");
  serve->add_option("--unplug-after", options.unplugAfter, "Remove the device after N frames")->check(CLI::NonNegativeNumber);
  CLI::Option* delay =
      serve->add_option("--reply-delay", options.replyDelayMs, "Hold every reply back MS milliseconds (a slow mouse)")
          ->check(CLI::Range(0, kLongestReplyDelayMs));
  bool neverAnswer = false;
  serve->add_flag("--never-answer", neverAnswer, "Take every request and never reply (a silent mouse)")->excludes(delay);
  CLI::App* decode = app.add_subcommand("decode", "Show what a memory image holds");
  decode->add_option("memory", decodeFile, "Memory image")->required();
  decode->add_flag("--json", json, "Print JSON");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    std::cerr << "q9sim: " << e.what() << "\n";
    return 2;
  }
  if (*decode) return Decode(decodeFile, json);
  if (neverAnswer) options.replyDelayMs = q9::SimServerOptions::kNeverAnswer;
  options.deviceFolder = deviceFolder;
  options.framesFile = frames;
  options.memoryFile = memory;
  return Serve(options);
}

}  // namespace

int main(int argc, char** argv) {
  // Every failure has its own message; this only keeps an unforeseen one from aborting.
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "q9sim: " << e.what() << "\n";
    return 1;
  }
}
